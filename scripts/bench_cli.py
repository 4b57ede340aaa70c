"""Times lettermorph-cli against `cat` and against the Python str.translate filter.

Usage: bench_cli.py LETTERMORPH_CLI SAMPLE_TEXT WORK_DIRECTORY [RUNS]
Writes three 64 MiB inputs into WORK_DIRECTORY: Russian prose made from SAMPLE_TEXT, the same
prose in plain ASCII, and text made only of the 66 letters. On each, `cat FILE` and
`lettermorph-cli FILE` run in turn RUNS times, to /dev/null, and the median times give the
ratio to cat and the throughput. Peak resident memory is read with GNU time in one more run of
each: a child started straight from Python would report Python's own memory as its peak, since
the two share it until the child starts the program. Then the Python filter runs on the prose,
after a check that it gives the same bytes, and 1 GiB of prose goes through a pipe to show that
memory does not grow with the input.
"""
import os
import random
import shutil
import statistics
import subprocess
import sys
import time

SIZE = 64 << 20
TABLE = ["--preset", "design"]
GNU_TIME = "/usr/bin/time"
CAPITALS = "АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"
LETTERS = CAPITALS + CAPITALS.lower()


def whole_words(text: bytes) -> bytes:
    """SIZE bytes of `text` repeated, cut after a word and padded with spaces."""
    data = (text * (SIZE // len(text) + 2))[: SIZE + 1]
    data = data[: data.rindex(b" ")]
    return data + b" " * (SIZE - len(data))


def make_inputs(sample: str, work: str) -> dict[str, str]:
    with open(sample, encoding="utf-8") as f:
        prose = f.read()
    latin = prose.translate(str.maketrans(
        dict(zip(LETTERS, "ABVGDEEJZIIKLMNOPRSTUFHCCSS'Y'EUAabvgdeejziiklmnoprstufhccss'y'eua"))
        | {"«": '"', "»": '"', "—": "-"}))
    assert latin.isascii()
    rng = random.Random(1)
    letters = "".join(rng.choices(LETTERS, k=1 << 20)).encode()
    contents = {
        "prose": whole_words(prose.encode()),
        "ascii": whole_words(latin.encode()),
        "letters": (letters * (SIZE // len(letters) + 1))[:SIZE],
    }
    paths = {}
    for name, data in contents.items():
        paths[name] = os.path.join(work, name + ".txt")
        with open(paths[name], "wb") as f:
            f.write(data)
    return paths


def elapsed(command: list[str], stdin=None) -> float:
    start = time.perf_counter()
    subprocess.run(command, stdin=stdin, stdout=subprocess.DEVNULL, check=True)
    return time.perf_counter() - start


def peak_mib(command: list[str], report: str, stdin=None) -> float:
    if not shutil.which(GNU_TIME):
        return float("nan")
    subprocess.run([GNU_TIME, "-f", "%M", "-o", report] + command, stdin=stdin,
                   stdout=subprocess.DEVNULL, check=True)
    with open(report) as f:
        peak = int(f.read().split()[-1]) / 1024
    os.remove(report)
    return peak


def versus_cat(cli: list[str], inputs: dict[str, str], runs: int, report: str) -> None:
    print(f"{'input':8} {'cat':>9} {'cli':>9} {'ratio':>6} {'cli MB/s':>9} "
          f"{'cat peak':>9} {'cli peak':>9}")
    for name, path in inputs.items():
        commands = {"cat": ["cat", path], "cli": cli + [path]}
        times = {side: [] for side in commands}
        for _ in range(runs):
            for side, command in commands.items():
                times[side].append(elapsed(command))
        median = {side: statistics.median(values) for side, values in times.items()}
        peaks = {side: peak_mib(command, report) for side, command in commands.items()}
        print(f"{name:8} {median['cat'] * 1e3:7.2f}ms {median['cli'] * 1e3:7.2f}ms "
              f"{median['cli'] / median['cat']:5.2f}x {SIZE / median['cli'] / 1e6:9.0f} "
              f"{peaks['cat']:5.1f} MiB {peaks['cli']:5.1f} MiB")


def versus_python(cli: list[str], prose: str, runs: int) -> None:
    filter_script = os.path.join(os.path.dirname(__file__), "..", "bench", "translate_filter.py")
    commands = {
        "lettermorph-cli": cli,
        "Python str.translate": [sys.executable, filter_script] + cli,
    }
    # Both must give the same bytes, or the comparison means nothing.
    with open(prose, "rb") as f:
        head = f.read(4 << 20)
    outputs = [subprocess.run(command, input=head, capture_output=True, check=True).stdout
               for command in commands.values()]
    if outputs[0] != outputs[1]:
        sys.exit("bench_cli: lettermorph-cli and the Python filter disagree")
    times = {name: [] for name in commands}
    for _ in range(runs):
        for name, command in commands.items():
            with open(prose, "rb") as source:
                times[name].append(elapsed(command, source))
    medians = {name: statistics.median(values) for name, values in times.items()}
    for name in commands:
        print(f"{name:22} {medians[name]:7.3f} s  {SIZE / medians[name] / 1e6:7.0f} MB/s")
    ratio = medians["Python str.translate"] / medians["lettermorph-cli"]
    print(f"{'ratio':22} {ratio:7.1f}x the Python filter's speed")


def main() -> None:
    cli_path, sample, work = sys.argv[1:4]
    runs = max(5, int(sys.argv[4]) if len(sys.argv) > 4 else 7)
    cli = [cli_path] + TABLE
    report = os.path.join(work, "peak.txt")
    inputs = make_inputs(sample, work)

    print(f"-- 64 MiB files to /dev/null, median of {runs} runs side by side with cat --")
    versus_cat(cli, inputs, runs, report)

    print(f"\n-- Standard input from the 64 MiB prose, median of {runs} runs --")
    versus_python(cli, inputs["prose"], runs)

    # Sixteen times the prose through a pipe: the program's memory does not grow with it.
    with subprocess.Popen(["cat"] + [inputs["prose"]] * 16, stdout=subprocess.PIPE) as cat:
        start = time.perf_counter()
        peak = peak_mib(cli, report, cat.stdout)
        seconds = time.perf_counter() - start
    print(f"\n{'lettermorph-cli':22} peak {peak:5.1f} MiB on 1 GiB of prose through a pipe, "
          f"{16 * SIZE / seconds / 1e6:.0f} MB/s")


if __name__ == "__main__":
    main()
