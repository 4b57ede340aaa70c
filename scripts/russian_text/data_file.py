"""Writes a generated data file whole or not at all, under a header that names its sources."""
import os
import textwrap


def write_data_file(path: str, header: list[str], versions: dict[str, str],
                    rows: list[str]) -> None:
    """Writes the header's lines and the packages' versions as comments, then the rows.

    The file is written beside its final name and then renamed, so that a run that fails
    half-way leaves the old file in place."""
    comments = header + textwrap.wrap(
        " ".join(f"{p}={v}" for p, v in sorted(versions.items())), 96, break_on_hyphens=False)
    partial = path + ".partial"
    with open(partial, "w", encoding="utf-8", newline="\n") as out:
        out.writelines(f"# {line}\n" for line in comments)
        out.writelines(rows)
    os.replace(partial, path)
