"""Writes the evaluation corpora of Russian text, extracted from Debian's packages.

Usage: corpora.py FOLDER
FOLDER/packages caches the fetched packages. FOLDER/held-out/NAME.txt and
FOLDER/development/NAME.txt are the corpora, one per genre, files joined by a blank line, and
FOLDER/manifest.tsv names every file that went into each with its package's version. Nothing
is fetched or written again while the manifest is newer than this script's sources.
"""
import os
import sys

# Run from the source tree, which keeps no compiled modules.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from russian_text import sources  # noqa: E402
from russian_text.collect import collect  # noqa: E402
from russian_text.debian_packages import PackageCache  # noqa: E402


def up_to_date(manifest: str) -> bool:
    if not os.path.exists(manifest):
        return False
    here = os.path.dirname(os.path.abspath(__file__))
    scripts = [__file__] + [os.path.join(here, "russian_text", n)
                            for n in os.listdir(os.path.join(here, "russian_text"))]
    return os.path.getmtime(manifest) > max(os.path.getmtime(p) for p in scripts)


def main() -> None:
    folder = sys.argv[1]
    manifest = os.path.join(folder, "manifest.tsv")
    if up_to_date(manifest):
        return
    cache = PackageCache(os.path.join(folder, "packages"))
    found = collect(cache, {sources.HELD_OUT, sources.DEVELOPMENT})
    rows = ["role\tcorpus\tpackage\tversion\tfile\tbytes"]
    for (role, corpus), texts in sorted(found.items()):
        os.makedirs(os.path.join(folder, role), exist_ok=True)
        with open(os.path.join(folder, role, corpus + ".txt"), "w", encoding="utf-8") as out:
            out.write("\n".join(text for _, text in texts))
        for name, text in texts:
            package, path = name.split("/", 1)
            rows.append(f"{role}\t{corpus}\t{package}\t{cache.versions[package]}\t{path}\t"
                        f"{len(text.encode())}")
    # Written last, so an interrupted run is done again next time.
    with open(manifest, "w", encoding="utf-8") as out:
        out.write("\n".join(rows) + "\n")
    for (role, corpus), texts in sorted(found.items()):
        size = sum(len(text.encode()) for _, text in texts)
        print(f"{role:12} {corpus:18} {len(texts):4} files {size / 1024:8.0f} KiB")


if __name__ == "__main__":
    main()
