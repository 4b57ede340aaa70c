"""Russian word forms in running text."""
import re

# A run of letters of any script; only runs made wholly of Russian letters count as Russian
# words, so a word with a Latin look-alike typed inside it ("сpeдa") or a Ukrainian letter is
# left out rather than counted as something it is not.
_LETTERS = re.compile(r"[^\W\d_]+")
_RUSSIAN = re.compile(r"[а-яёА-ЯЁ]+")
_SPACES = re.compile(r"[ \t]+")


def russian_words(text: str):
    for match in _LETTERS.finditer(text):
        if _RUSSIAN.fullmatch(match.group()):
            yield match.group()


def russian_words_in_lines(text: str):
    """Each Russian word, and whether it follows a small Russian word on its line with only
    spaces between: a place where no sentence starts, so that a capital there marks a name."""
    previous = None
    for match in _LETTERS.finditer(text):
        word = match.group()
        if not _RUSSIAN.fullmatch(word):
            previous = None
            continue
        yield word, bool(previous and previous.group().islower()
                         and _SPACES.fullmatch(text, previous.end(), match.start()))
        previous = match


def russian_words_after(text: str):
    """Each Russian word with the Russian word right before it, with only white space
    between (line breaks too: a sentence goes on across them); None where punctuation, a
    number or a word in other letters stands between, or nothing does."""
    previous = None
    for match in _LETTERS.finditer(text):
        word = match.group()
        russian = bool(_RUSSIAN.fullmatch(word))
        if russian:
            before = None
            if previous is not None and not text[previous.end():match.start()].strip():
                before = previous.group()
            yield before, word
        previous = match if russian else None
