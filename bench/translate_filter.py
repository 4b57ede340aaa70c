"""The reference for lettermorph-cli's speed: the same recoding as a Python str.translate filter.

Usage: translate_filter.py LETTERMORPH_CLI [TABLE OPTIONS...] < INPUT > OUTPUT
The table is taken from the program itself, by recoding the 66 letters one per line with the
given options, so both sides always use the same replacements. Malformed UTF-8 passes through
unchanged, as it does in the program.
"""
import io
import subprocess
import sys

CAPITALS = "АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"
LETTERS = CAPITALS + CAPITALS.lower()


def table_from(command: list[str]) -> dict[int, str]:
    lines = "".join(letter + "\n" for letter in LETTERS).encode()
    recoded = subprocess.run(command, input=lines, capture_output=True, check=True).stdout
    replacements = recoded.decode("utf-8").split("\n")[: len(LETTERS)]
    return str.maketrans(dict(zip(LETTERS, replacements)))


def main() -> None:
    table = table_from(sys.argv[1:])
    text = dict(encoding="utf-8", errors="surrogateescape", newline="")
    source = io.TextIOWrapper(sys.stdin.buffer, **text)
    sink = io.TextIOWrapper(sys.stdout.buffer, **text)
    while chunk := source.read(1 << 20):
        sink.write(chunk.translate(table))
    sink.flush()


if __name__ == "__main__":
    main()
