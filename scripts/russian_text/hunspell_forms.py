"""Every word form of a Hunspell dictionary from Debian's packages.

ru_RU is expanded in Python (affix_expansion), since unmunch of hunspell-tools misreads its
UTF-8 affix conditions; en_US, whose conditions are plain ASCII and which has prefix rules, is
expanded with unmunch. The dictionaries and unmunch come through the package cache, so the
forms are those of a known version and nothing needs installing.
"""
import os
import subprocess
import time

from russian_text import affix_expansion
from russian_text.debian_packages import PackageCache

DICTIONARIES = {"ru_RU": "hunspell-ru", "en_US": "hunspell-en-us"}


def dictionary_base(cache: PackageCache, name: str) -> str:
    root = cache.unpacked(DICTIONARIES[name], ("usr/share/hunspell/*",))
    return os.path.join(root, "usr/share/hunspell", name)


class Unmunched:
    """unmunch's own expansion, kept for comparison."""

    def __init__(self, cache: PackageCache, name: str):
        base = dictionary_base(cache, name)
        unmunch = os.path.join(cache.unpacked("hunspell-tools", ("usr/bin/unmunch",)),
                               "usr/bin/unmunch")
        start = time.perf_counter()
        output = subprocess.run([unmunch, base + ".dic", base + ".aff"], capture_output=True,
                                check=True).stdout
        self.seconds = time.perf_counter() - start
        self.bytes = len(output)
        self.forms = output.decode("utf-8").split()


class ExpandedDictionary:
    def __init__(self, cache: PackageCache, name: str):
        self.base = dictionary_base(cache, name)
        start = time.perf_counter()
        try:
            self.forms = affix_expansion.expand(self.base + ".dic", self.base + ".aff")
        except affix_expansion.Unsupported:
            self.forms = Unmunched(cache, name).forms
        self.seconds = time.perf_counter() - start
        self.bytes = sum(len(form.encode()) + 1 for form in self.forms)
        self.lower = {form.lower() for form in self.forms}
