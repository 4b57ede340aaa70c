"""Generates data/russian-word-frequencies.tsv from Russian text that Debian packages ship.

Usage: word_frequencies.py CACHE_FOLDER OUTPUT
Counts the lower-case Russian word forms of the frequency sources (manual pages, message
catalogues, technical manuals; never a held-out or development file), with ё kept as the
sources write it, and writes every form as "form<TAB>count", the most frequent first and equal
counts in code-point order, so the same packages always give the same bytes. A form that the
sources write with a capital inside a line more often than they write it small anywhere gets
a third column, "name", so that the decoder capitalises it there; one they capitalise there
often and never write small, "name-always", which outweighs a common word of the dictionary
with the same letters. Then reports how often the sources write ё where the dictionary has a
ё form.
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
from russian_text.words import russian_words_in_lines  # noqa: E402

YO_REPORT_WORDS = 15
# A name is seen written with a capital inside a line at least this often: once may be a
# heading's word quoted in a sentence.
NAME_USES = 2
# A form the dictionary also has as a common word is a name only if the sources never write it
# small and capitalise it inside a line at least this often: twice is how help text quotes the
# name of an option ("тип обтекания Насквозь"), which other text writes small.
ALWAYS_NAME_USES = 3


class Counts:
    def __init__(self):
        self.forms = collections.Counter()      # lower-case form -> occurrences
        self.small = collections.Counter()      # written in small letters
        self.capital = collections.Counter()    # Capitalised after a small word on its line

    def add(self, text: str) -> None:
        for word, inside in russian_words_in_lines(text):
            form = word.lower()
            self.forms[form] += 1
            if word == form:
                self.small[form] += 1
            elif inside and word[1:] == form[1:]:
                self.capital[form] += 1

    def update(self, other: "Counts") -> None:
        self.forms.update(other.forms)
        self.small.update(other.small)
        self.capital.update(other.capital)

    def names(self) -> dict[str, str]:
        """The mark of each form the sources write as a name: "name-always" or "name"."""
        return {form: "name-always" if n >= ALWAYS_NAME_USES and self.small[form] == 0
                else "name"
                for form, n in self.capital.items() if n >= NAME_USES and n > self.small[form]}


def count(texts) -> Counts:
    counts = Counts()
    for _, text in texts:
        counts.add(text)
    return counts


def write_list(path: str, counts: Counts,
               versions: dict[str, str]) -> tuple[int, collections.Counter]:
    kept = sorted(counts.forms.items(), key=lambda item: (-item[1], item[0]))
    names = counts.names()
    write_data_file(path, [
        "Russian word forms and how often they occur in the text of these Debian 12 packages",
        "(manual pages, message catalogues, technical manuals), lower-case, ё as written;",
        "\"name\" after a form the sources capitalise inside a line more than they write small,",
        f"\"name-always\" where that is {ALWAYS_NAME_USES} times or more and never small.",
        "Made by scripts/word_frequencies.py.",
    ], versions, [f"{form}\t{n}\t{names[form]}\n" if form in names else f"{form}\t{n}\n"
                  for form, n in kept])
    return len(kept), collections.Counter(names.values())


def report_yo(counts: collections.Counter, dictionary: ExpandedDictionary) -> None:
    """How often a word whose dictionary spelling has ё is written with it."""
    with_yo = collections.defaultdict(set)
    for form in dictionary.lower:
        if "ё" in form:
            with_yo[form.replace("ё", "е")].add(form)
    written = collections.Counter()  # е spelling -> [written with ё, written with е]
    pairs = {}
    for form, n in counts.items():
        key = form.replace("ё", "е")
        if key in with_yo:
            pairs.setdefault(key, [0, 0])[0 if "ё" in form else 1] += n
            written[key] += n
    print_share("All words whose dictionary spelling has ё", pairs.values())
    print_share("Those the sources write with ё at least once",
                [p for p in pairs.values() if p[0] > 0])
    # Some е spellings are words of their own (все, чем, перед), so the commonest are shown.
    print(f"The {YO_REPORT_WORDS} commonest, as 'е spelling: with ё / with е':")
    for key, _ in written.most_common(YO_REPORT_WORDS):
        print(f"  {key:12} {pairs[key][0]:6} / {pairs[key][1]:6}   "
              f"(dictionary: {', '.join(sorted(with_yo[key]))})")


def print_share(title: str, pairs) -> None:
    yo, e = sum(p[0] for p in pairs), sum(p[1] for p in pairs)
    print(f"{title}: {yo + e} occurrences, {yo} written with ё ({100 * yo / (yo + e):.1f}%), "
          f"{e} with е.")


def main() -> None:
    cache = PackageCache(os.path.join(sys.argv[1], "packages"))
    found = collect(cache, {sources.FREQUENCIES})
    counts = Counts()
    for (_, corpus), texts in sorted(found.items()):
        part = count(texts)
        print(f"{corpus:18} {len(texts):4} files {sum(part.forms.values()):9} words "
              f"{len(part.forms):7} forms")
        counts.update(part)
    used = {name.split("/", 1)[0] for texts in found.values() for name, _ in texts}
    kept, names = write_list(sys.argv[2], counts, {p: cache.versions[p] for p in used})
    print(f"All: {sum(counts.forms.values())} words, {kept} forms ({names['name']} names, "
          f"{names['name-always']} always names), in "
          f"{sys.argv[2]} ({os.path.getsize(sys.argv[2])} bytes)")
    report_yo(counts.forms, ExpandedDictionary(cache, "ru_RU"))


if __name__ == "__main__":
    main()
