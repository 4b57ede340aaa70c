"""Every word form of a Hunspell dictionary that has suffix rules only, expanded in Python.

unmunch compares the conditions of affix rules byte by byte, so in a UTF-8 dictionary a
condition such as [^сз]ться never matches and the forms it guards are left out. Here each
condition becomes a regular expression over characters.
"""
import re


class Unsupported(ValueError):
    """The dictionary uses affix rules that this expansion does not apply."""


def read_suffix_rules(aff_path: str) -> dict[str, list[tuple[str, str, re.Pattern]]]:
    """{flag: [(strip, add, condition), ...]} of the SFX rules; other affix kinds are refused."""
    rules: dict[str, list] = {}
    with open(aff_path, encoding="utf-8") as f:
        for line in f:
            fields = line.split()
            if not fields or fields[0] != "SFX":
                if fields and fields[0] in ("PFX", "FLAG", "COMPLEXPREFIXES", "CIRCUMFIX"):
                    raise Unsupported(f"{aff_path}: {fields[0]} is not handled")
                continue
            if len(fields) == 4 and fields[3].isdigit():
                rules[fields[1]] = []  # the header of a rule group
                continue
            flag, strip, add, condition = fields[1:5]
            if "/" in add:
                raise Unsupported(f"{aff_path}: continuation flags are not handled")
            rules[flag].append((
                "" if strip == "0" else strip, "" if add == "0" else add,
                re.compile(("" if condition == "." else f"(?:{condition})") + r"\Z")))
    return rules


def expand(dic_path: str, aff_path: str) -> list[str]:
    rules = read_suffix_rules(aff_path)
    forms = []
    with open(dic_path, encoding="utf-8") as f:
        next(f)  # the number of stems
        for line in f:
            stem, _, flags = line.strip().partition("/")
            if not stem:
                continue
            forms.append(stem)
            for flag in flags:
                for strip, add, condition in rules.get(flag, ()):
                    if stem.endswith(strip) and condition.search(stem):
                        forms.append(stem[: len(stem) - len(strip)] + add)
    return forms
