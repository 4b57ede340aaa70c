"""Measures the word forms of Debian's Hunspell dictionaries and what they miss.

Usage: dictionary_forms.py CORPORA_FOLDER FREQUENCY_LIST [LETTERMORPH_CLI]
Expands ru_RU and en_US, with unmunch and as the evaluation does, and reports forms, bytes, time
and forms with ё, checking with libhunspell where the two differ; sizes the plain English list
of wamerican; counts the words of each corpus (made by corpora.py) that ru_RU lacks, how many
of those the frequency list has, and how each corpus writes words that have a ё form. With
LETTERMORPH_CLI, also counts the Russian forms whose look-alike under a built-in set is an
English word.
"""
import collections
import ctypes
import glob
import os
import statistics
import subprocess
import sys

# Run from the source tree, which keeps no compiled modules.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from russian_text.debian_packages import PackageCache  # noqa: E402
from russian_text.hunspell_forms import ExpandedDictionary, Unmunched  # noqa: E402
from russian_text.words import russian_words  # noqa: E402

EXAMPLES = 12


def describe(cache: PackageCache, name: str) -> ExpandedDictionary:
    expanded = ExpandedDictionary(cache, name)
    with open(expanded.base + ".dic", encoding="utf-8", errors="replace") as f:
        stems = int(f.readline().split()[0])
    sizes = sum(os.path.getsize(expanded.base + ext) for ext in (".dic", ".aff"))
    print(f"{name}: {stems} stems in {sizes} bytes of .dic and .aff")
    unmunched = [Unmunched(cache, name) for _ in range(3)]
    for title, forms, size, seconds in (
            ("unmunch", unmunched[0].forms, unmunched[0].bytes,
             statistics.median(u.seconds for u in unmunched)),
            ("expanded here", expanded.forms, expanded.bytes, expanded.seconds)):
        print(f"  {title:14} {len(forms):8} forms ({len(set(forms))} distinct), {size} bytes of "
              f"UTF-8 lines, {sum('ё' in f for f in forms)} with ё, in {seconds:.2f} s")
    missed, extra = set(expanded.forms) - set(unmunched[0].forms), set(unmunched[0].forms) - set(
        expanded.forms)
    if missed or extra:
        print(f"  unmunch lacks {len(missed)} of the forms expanded here "
              f"(e.g. {', '.join(sorted(missed)[:: max(1, len(missed) // EXAMPLES)][:EXAMPLES])})"
              f" and has {len(extra)} others (e.g. {', '.join(sorted(extra)[:EXAMPLES])})")
        check_with_hunspell(expanded.base, set(expanded.forms), extra)
    return expanded


def check_with_hunspell(base: str, forms: set[str], others: set[str]) -> None:
    """Asks the Hunspell library itself which of the two expansions is right."""
    try:
        library = ctypes.CDLL("libhunspell-1.7.so.0")
    except OSError:
        print("  (libhunspell-1.7.so.0 is not installed: the forms were not checked with it)")
        return
    library.Hunspell_create.restype = ctypes.c_void_p
    library.Hunspell_create.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
    library.Hunspell_spell.argtypes = [ctypes.c_void_p, ctypes.c_char_p]
    library.Hunspell_destroy.argtypes = [ctypes.c_void_p]
    handle = library.Hunspell_create((base + ".aff").encode(), (base + ".dic").encode())
    refused = sum(not library.Hunspell_spell(handle, f.encode()) for f in forms)
    accepted = sum(bool(library.Hunspell_spell(handle, f.encode())) for f in others)
    library.Hunspell_destroy(handle)
    print(f"  libhunspell refuses {refused} of the forms expanded here and accepts {accepted} of "
          f"unmunch's others")


def read_frequencies(path: str) -> dict[str, int]:
    with open(path, encoding="utf-8") as f:
        return {form: int(n) for form, n, *_ in (line.rstrip("\n").split("\t") for line in f
                                                 if not line.startswith("#"))}


def missing_words(folder: str, dictionary: set[str], frequencies: dict[str, int]) -> None:
    print("\nWords that ru_RU lacks (occurrences; distinct forms), and how many of them the "
          "frequency list has:")
    for path in sorted(glob.glob(os.path.join(folder, "*", "*.txt"))):
        with open(path, encoding="utf-8") as f:
            words = collections.Counter(w.lower() for w in russian_words(f.read()))
        lacking = {w: n for w, n in words.items() if w not in dictionary}
        listed = {w: n for w, n in lacking.items() if w in frequencies}
        name = os.path.relpath(path, folder)[:-4]
        print(f"  {name:30} {sum(lacking.values()):6} of {sum(words.values()):7} "
              f"({100 * sum(lacking.values()) / sum(words.values()):4.1f}%); {len(lacking):5} "
              f"forms; listed: {sum(listed.values()):6} ({len(listed)} forms)")
        top = sorted(lacking.items(), key=lambda item: (-item[1], item[0]))[:EXAMPLES]
        print("    " + ", ".join(f"{w}{'*' if w in frequencies else ''} ×{n}" for w, n in top))
    print("  (* the frequency list has it)")


def yo_spelling(folder: str, russian: ExpandedDictionary) -> None:
    """How each corpus writes the words that the dictionary also spells with ё."""
    keys = {form.replace("ё", "е") for form in russian.lower if "ё" in form}
    print("\nWords that have a ё form in ru_RU, as each corpus writes them:")
    for path in sorted(glob.glob(os.path.join(folder, "*", "*.txt"))):
        with open(path, encoding="utf-8") as f:
            words = [w.lower() for w in russian_words(f.read())]
        yo = sum("ё" in w for w in words)
        e = sum("ё" not in w and w in keys for w in words)
        print(f"  {os.path.relpath(path, folder)[:-4]:30} with ё {yo:6}, with е {e:6} "
              f"({100 * yo / max(1, yo + e):4.1f}% ё)")


def english_look_alikes(cli: str, russian: ExpandedDictionary, english: set[str]) -> None:
    print("\nRussian forms whose look-alike is an English word (en_US, exact case):")
    forms = sorted(set(russian.forms))
    for preset in ("design", "reset"):
        recoded = subprocess.run([cli, "--preset", preset], input="\n".join(forms).encode(),
                                 capture_output=True, check=True).stdout.decode().split("\n")
        both = [(f, r) for f, r in zip(forms, recoded) if r in english]
        print(f"  {preset}: {len(both)}, e.g. " +
              ", ".join(f"{f}={r}" for f, r in both[:: max(1, len(both) // EXAMPLES)]))


def main() -> None:
    folder, frequency_list = sys.argv[1], sys.argv[2]
    cache = PackageCache(os.path.join(folder, "packages"))
    russian = describe(cache, "ru_RU")
    english = describe(cache, "en_US")
    wordlist = os.path.join(cache.unpacked("wamerican", ("usr/share/dict/*",)),
                            "usr/share/dict/american-english")
    with open(wordlist, encoding="utf-8") as f:
        print(f"wamerican: {len(f.read().split())} words in {os.path.getsize(wordlist)} bytes")
    missing_words(folder, russian.lower, read_frequencies(frequency_list))
    yo_spelling(folder, russian)
    if len(sys.argv) > 3:
        english_look_alikes(sys.argv[3], russian, set(english.forms))


if __name__ == "__main__":
    main()
