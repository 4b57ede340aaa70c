"""Generates data/russian-twin-contexts.tsv: which words stand right before the twins in "-ии"
and "-ий" in Russian text that Debian packages ship.

Usage: twin_contexts.py CACHE_FOLDER OUTPUT
Recoded text spells "версии" and "версий" alike under some tables, and the word before tells
them apart: "при версии", "нескольких версий". The sources are those of the frequency list
(manual pages, message catalogues, technical manuals; never a held-out or development file).
A twin is a form in "-ии" or "-ий" whose other ending is a word too, five letters or more,
with a consonant before "-ии" ("версии") or "а", "е", "о" before the last letter ("случаи").
Twins are counted by kind, so that what is learnt of one noun serves every noun of its kind:

  ия  a noun like "версия":      "-ии" is its singular, "-ий" its genitive plural
  ие  a noun like "сообщение":   "-ии" its prepositional, "-ий" its genitive plural
  ий  a noun like "комментарий": "-ий" its nominative, "-ии" its plural
  ай  "случай", "идея", "герой": "а", "е" or "о" before the last letter

The word before is seen as the first of these that occurs before twins of some kind at least
MIN_SEEN times: the word itself ("при", "несколько"), then its last three, two and one letters
after a dash ("-ких", "-их", "-х"). ё is read as е. "." stands for no word right
before: the twin follows punctuation, a number, a word in other letters or nothing.
Every line is "kind<TAB>context<TAB>count before -ии<TAB>count before -ий", sorted, after a
line per kind with the context "*" that counts all its twins.
"""
import collections
import os
import sys

# Run from the source tree, which keeps no compiled modules.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from russian_text import sources  # noqa: E402
from russian_text.collect import collect  # noqa: E402
from russian_text.data_file import write_data_file  # noqa: E402
from russian_text.debian_packages import PackageCache  # noqa: E402
from russian_text.hunspell_forms import ExpandedDictionary  # noqa: E402
from russian_text.words import russian_words_after  # noqa: E402

# A context seen fewer times than this says too little: the shorter one stands for it.
MIN_SEEN = 3
VOWELS = set("аеёиоуыэюя")
NOTHING_BEFORE = "."
ALL = "*"


def twin_kind(form: str, known: set[str], counted: set[str]) -> str | None:
    """The kind of twin that `form`, a lower-case word, is, or None if it is none. `known` are
    the forms of the dictionary and the sources, `counted` those of the sources alone: a
    dictionary's rare word that a feminine noun's letters spell ("копие" beside "копия")
    does not make it neuter."""
    if len(form) < 5 or form[-1] not in "ий":
        return None
    before = form[-2]
    if before == "и" and form[-3] in VOWELS or before not in "иаео":
        return None
    if form[:-1] + ("й" if form[-1] == "и" else "и") not in known:
        return None
    stem = form[:-1]
    if before != "и":
        return "ай"
    if stem + "е" in counted:
        return "ие"
    return "ий" if stem + "ем" in known else "ия"


def contexts(previous: str | None) -> list[str]:
    """What the word before may be seen as, the most particular first."""
    if previous is None:
        return [NOTHING_BEFORE]
    previous = previous.replace("ё", "е")
    return [previous] + ["-" + previous[-n:] for n in (3, 2, 1) if len(previous) > n]


def count(texts, known: set[str], counted: set[str]) -> collections.Counter:
    """(kind, context, last letter) -> occurrences, with ALL for every twin of a kind."""
    counts = collections.Counter()
    for _, text in texts:
        for previous, word in russian_words_after(text):
            form = word.lower()
            kind = twin_kind(form, known, counted)
            if kind:
                counts[(kind, ALL, form[-1])] += 1
                for context in contexts(previous and previous.lower()):
                    counts[(kind, context, form[-1])] += 1
    return counts


def write_table(path: str, counts: collections.Counter, versions: dict[str, str]) -> int:
    rows = sorted({(kind, context) for kind, context, _ in counts})
    kept = [(kind, context, counts[(kind, context, "и")], counts[(kind, context, "й")])
            for kind, context in rows]
    kept = [row for row in kept if row[1] == ALL or row[2] + row[3] >= MIN_SEEN]
    write_data_file(path, [
        "Which words stand right before nouns in -ии and -ий whose other ending is a word too,",
        "in the text of these Debian 12 packages (manual pages, message catalogues, technical",
        "manuals): kind<TAB>context<TAB>count before -ии<TAB>count before -ий.",
        "Made by scripts/twin_contexts.py.",
    ], versions, [f"{kind}\t{context}\t{i}\t{short_i}\n" for kind, context, i, short_i in kept])
    return len(kept)


def main() -> None:
    cache = PackageCache(os.path.join(sys.argv[1], "packages"))
    found = collect(cache, {sources.FREQUENCIES})
    texts = [text for _, corpus_texts in sorted(found.items()) for text in corpus_texts]
    counted = {word.lower() for _, text in texts for _, word in russian_words_after(text)}
    known = ExpandedDictionary(cache, "ru_RU").lower | counted
    counts = count(texts, known, counted)
    # The packages read: the sources and the dictionary that tells the kinds apart.
    kept = write_table(sys.argv[2], counts, cache.versions)
    for kind in sorted({kind for kind, _, _ in counts}):
        print(f"{kind}: {counts[(kind, ALL, 'и')]} in -ии, {counts[(kind, ALL, 'й')]} in -ий")
    print(f"{kept} lines in {sys.argv[2]} ({os.path.getsize(sys.argv[2])} bytes)")


if __name__ == "__main__":
    main()
