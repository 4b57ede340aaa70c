"""Russian word forms in running text."""
import re

# A run of letters of any script; only runs made wholly of Russian letters count as Russian
# words, so a word with a Latin look-alike typed inside it ("сpeдa") or a Ukrainian letter is
# left out rather than counted as something it is not.
_LETTERS = re.compile(r"[^\W\d_]+")
_RUSSIAN = re.compile(r"[а-яёА-ЯЁ]+")


def russian_words(text: str):
    for match in _LETTERS.finditer(text):
        if _RUSSIAN.fullmatch(match.group()):
            yield match.group()
