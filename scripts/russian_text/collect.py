"""Reads the text of every source file that has one of the wanted roles.

A line that recurs word for word in one corpus is kept only where it first appears: the
translators' credit at the foot of every manual page, the author's name under each of his
sayings, or a message that several catalogues share would otherwise count hundreds of times, in
the frequencies and in the scores alike. Short lines, such as headings, are kept every time.
"""
import collections
import concurrent.futures
import os
import re

from russian_text import extract, sources
from russian_text.debian_packages import PackageCache


def collect(cache: PackageCache, roles: set[str]) -> dict[tuple[str, str], list[tuple[str, str]]]:
    """{(role, corpus): [(package/path, text), ...]}, each list in a fixed order."""
    jobs = []
    for source in sources.SOURCES:
        possible = ({sources.HELD_OUT} if source.held_out
                    else {sources.DEVELOPMENT} if source.development_sample
                    else {sources.DEVELOPMENT, sources.FREQUENCIES})
        if not possible & roles:
            continue  # not even fetched: a held-out package stays away from the frequencies
        root = cache.unpacked(source.package, source.patterns)
        for path in source.files(root):
            if source.role(path) in roles:
                jobs.append((source, path, os.path.join(root, path)))
    # Manual pages take a process each to render, so several run at once.
    with concurrent.futures.ThreadPoolExecutor(os.cpu_count() or 2) as pool:
        texts = pool.map(lambda job: extract.READERS[job[0].reader](job[2]), jobs)
        found = collections.defaultdict(list)
        for (source, path, _), text in zip(jobs, texts):
            found[(source.role(path), source.corpus)].append((f"{source.package}/{path}", text))
    return {key: _without_repeated_lines(texts) for key, texts in found.items()}


_REPEATABLE_LENGTH = 12


def _without_repeated_lines(texts: list[tuple[str, str]]) -> list[tuple[str, str]]:
    seen = set()
    kept = []
    for name, text in texts:
        lines = []
        for line in text.split("\n"):
            key = re.sub(r"\s+", " ", line.strip())
            if len(key) >= _REPEATABLE_LENGTH:
                if key in seen:
                    continue
                seen.add(key)
            lines.append(line)
        kept.append((name, "\n".join(lines)))
    return kept
