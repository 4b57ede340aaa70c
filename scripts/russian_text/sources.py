"""Which Russian text from Debian's packages goes where.

Three uses must never share a file. The held-out corpora are only ever scored: no word list,
no rule and no setting is fitted to them, and their genres (sayings and dialogue, user help, a
question-and-answer manual) appear nowhere else. The other sources are split file by file: one
file in eight, chosen by a checksum of its path, forms the development corpora that the
decoder may be tuned on, and the other seven are counted into the word frequencies. So the
development corpora are of the frequency list's genres but not in it, and their scores predict
unseen text of those genres. A few sources of other genres serve development alone, a sample
of their files and never the frequencies, so that the decoder's rules are checked on more kinds
of text than the frequency list's; their other files are not read.
"""
import dataclasses
import fnmatch
import os
import zlib

HELD_OUT, DEVELOPMENT, FREQUENCIES = "held-out", "development", "frequencies"
UNUSED = "unused"
_DEVELOPMENT_SHARE = 8
# The eighth whose development corpora each come to more than 100 KB of text.
_DEVELOPMENT_BUCKET = 3


@dataclasses.dataclass(frozen=True)
class Source:
    corpus: str  # the corpus its text joins, named after the genre
    package: str
    patterns: tuple[str, ...]  # paths inside the package, as shell patterns
    reader: str  # a key of extract.READERS
    held_out: bool = False
    excluded: tuple[str, ...] = ()
    # When set, the source is for development only: one file in this many, by checksum.
    development_sample: int = 0

    def files(self, root: str) -> list[str]:
        """The package's matching files, as paths relative to its root, in a fixed order."""
        found = []
        for folder, _, names in os.walk(root):
            for name in names:
                path = os.path.relpath(os.path.join(folder, name), root)
                if os.path.islink(os.path.join(root, path)):
                    continue  # another name for a file that is read under its own
                if any(fnmatch.fnmatchcase(path, p) for p in self.patterns) and not any(
                        fnmatch.fnmatchcase(path, p) for p in self.excluded):
                    found.append(path)
        return sorted(found)

    def role(self, path: str) -> str:
        if self.held_out:
            return HELD_OUT
        key = f"{self.package}/{path}".encode()
        if self.development_sample:
            return DEVELOPMENT if zlib.crc32(key) % self.development_sample == 0 else UNUSED
        bucket = zlib.crc32(key) % _DEVELOPMENT_SHARE
        return DEVELOPMENT if bucket == _DEVELOPMENT_BUCKET else FREQUENCIES


def _catalogues(package: str) -> Source:
    return Source("messages", package, ("usr/share/locale/ru/LC_MESSAGES/*.mo",
                                        "usr/lib/libreoffice/program/resource/ru/LC_MESSAGES/*.mo"),
                  "catalogue")


SOURCES = (
    Source("sayings", "fortunes-ru", ("usr/share/games/fortunes/ru/*",), "fortune", True,
           ("*.dat",)),
    Source("user-help", "doublecmd-help-ru", ("usr/share/doublecmd/doc/ru/*.html",), "html", True),
    Source("user-help", "kicad-doc-ru", ("usr/share/doc/kicad/help/ru/*.html",), "html", True),
    Source("faq", "debian-faq-ru", ("usr/share/doc/debian/FAQ/ru/*.html",), "html", True),
    Source("manual-pages", "manpages-ru", ("usr/share/man/ru/man*/*",), "man"),
    Source("manual-pages", "manpages-ru-dev", ("usr/share/man/ru/man*/*",), "man"),
    Source("technical-manuals", "developers-reference-ru",
           ("usr/share/developers-reference/ru/*.html",), "html"),
    Source("technical-manuals", "maint-guide-ru", ("usr/share/doc/maint-guide-ru/html/*.html",),
           "html"),
    Source("technical-manuals", "aptitude-doc-ru", ("usr/share/doc/aptitude/html/ru/*.html",),
           "html"),
    Source("office-help", "libreoffice-help-ru", ("usr/share/libreoffice/help/ru/text/*.html",),
           "html", development_sample=32),
) + tuple(_catalogues(p) for p in (
    "appstream", "apt", "aptitude-common", "bash", "binutils-common", "coreutils", "diffutils",
    "dpkg", "findutils", "gcc-12-locales", "gettext", "gimp-data", "git", "gnupg-l10n", "grep",
    "inkscape", "libc-l10n", "libglib2.0-data", "libgtk-3-common", "libreoffice-l10n-ru",
    "login", "make", "man-db", "mc-data", "psmisc", "sed", "synaptic", "tar",
    "util-linux-locales", "vlc-l10n", "wget"))
