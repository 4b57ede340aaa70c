#!/usr/bin/env python3
"""Checks that the options `lettermorph-cli --help` lists and the options the manual page
describes are the same: an option added to one and forgotten in the other fails here.

Usage: cli_options_documented.py LETTERMORPH-CLI MANUAL-PAGE
"""
import re
import subprocess
import sys

OPTION = re.compile(r"(?<![\w-])--?[A-Za-z][A-Za-z-]*")


def help_options(program):
    """The options in the first column of --help's option list."""
    text = subprocess.run([program, "--help"], capture_output=True, text=True, check=True).stdout
    options = set()
    for line in text.splitlines():
        column = re.match(r"\s+(-\S.*?)(\s{2,}|$)", line)
        if column:
            options |= set(OPTION.findall(column.group(1)))
    return options


def manual_options(path):
    """The options in the tags of the OPTIONS section's .TP paragraphs."""
    with open(path, encoding="utf-8") as page:
        lines = page.read().splitlines()
    options = set()
    section = None
    for previous, line in zip([""] + lines, lines):
        if line.startswith(".SH"):
            section = line[3:].strip().strip('"')
        elif section == "OPTIONS" and previous.startswith(".TP"):
            tag = re.sub(r"\\f(\[[^]]*\]|\(..|.)", "", line.replace("\\-", "-"))
            options |= set(OPTION.findall(tag))
    return options


def main():
    shown, described = help_options(sys.argv[1]), manual_options(sys.argv[2])
    if not shown:
        sys.exit("--help lists no options: the parser of its option list needs updating")
    faults = [f"{option} is listed by --help but not described in the manual page"
              for option in sorted(shown - described)]
    faults += [f"{option} is described in the manual page but not listed by --help"
               for option in sorted(described - shown)]
    for fault in faults:
        print(fault)
    if faults:
        sys.exit(1)
    print("both list " + " ".join(sorted(shown)))


main()
