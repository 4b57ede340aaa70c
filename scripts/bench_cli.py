"""Times lettermorph-cli and the Python str.translate filter side by side on the same input.

Usage: bench_cli.py LETTERMORPH_CLI SAMPLE_TEXT WORK_DIRECTORY [RUNS]
Writes 256 MiB of prose made from SAMPLE_TEXT into WORK_DIRECTORY, checks that both commands
give the same output, then runs each RUNS times in turn, to /dev/null, and prints the median
time, the throughput, the ratio, and each command's peak resident memory. The peak is read
with GNU time: a child started straight from Python would report Python's own memory as its
peak, since the two share it until the child starts the program.
"""
import os
import shutil
import statistics
import subprocess
import sys
import time

SIZE = 256 << 20
TABLE = ["--preset", "design"]
GNU_TIME = "/usr/bin/time"


def make_prose(sample: str, path: str) -> None:
    with open(sample, "rb") as f:
        text = f.read()
    data = (text * (SIZE // len(text) + 2))[: SIZE + 1]
    data = data[: data.rindex(b" ")]  # whole words, never half a letter
    with open(path, "wb") as f:
        f.write(data + b" " * (SIZE - len(data)))


def run(command: list[str], stdin, report: str) -> tuple[float, float]:
    """Runs the command to its end, output to /dev/null: wall time in s, peak memory in MiB.
    GNU time writes the peak to the file `report`."""
    measure = [GNU_TIME, "-f", "%M", "-o", report] if shutil.which(GNU_TIME) else []
    start = time.perf_counter()
    subprocess.run(measure + command, stdin=stdin, stdout=subprocess.DEVNULL, check=True)
    elapsed = time.perf_counter() - start
    if not measure:
        return elapsed, float("nan")
    with open(report) as f:
        peak = int(f.read().split()[-1]) / 1024
    os.remove(report)
    return elapsed, peak


def main() -> None:
    cli, sample, work = sys.argv[1:4]
    runs = int(sys.argv[4]) if len(sys.argv) > 4 else 5
    prose = os.path.join(work, "prose.txt")
    report = os.path.join(work, "peak.txt")
    make_prose(sample, prose)
    filter_script = os.path.join(os.path.dirname(__file__), "..", "bench", "translate_filter.py")
    commands = {
        "lettermorph-cli": [cli] + TABLE,
        "Python str.translate": [sys.executable, filter_script, cli] + TABLE,
    }

    # Both must give the same bytes, or the comparison means nothing.
    outputs = []
    with open(prose, "rb") as f:
        head = f.read(4 << 20)
    for command in commands.values():
        outputs.append(subprocess.run(command, input=head, capture_output=True, check=True).stdout)
    if outputs[0] != outputs[1]:
        sys.exit("bench_cli: lettermorph-cli and the Python filter disagree")

    times = {name: [] for name in commands}
    peaks = {name: [] for name in commands}
    for _ in range(runs):
        for name, command in commands.items():
            with open(prose, "rb") as source:
                elapsed, peak = run(command, source, report)
            times[name].append(elapsed)
            peaks[name].append(peak)

    medians = {name: statistics.median(values) for name, values in times.items()}
    for name in commands:
        rate = SIZE / medians[name] / 1e9
        print(f"{name:22} {medians[name]:7.3f} s  {rate:6.3f} GB/s  "
              f"peak {max(peaks[name]):5.1f} MiB")
    ratio = medians["Python str.translate"] / medians["lettermorph-cli"]
    print(f"{'ratio':22} {ratio:7.1f}x the Python filter's speed")

    # Four times the input through a pipe: the program's memory does not grow with it.
    with subprocess.Popen(["cat"] + [prose] * 4, stdout=subprocess.PIPE) as cat:
        _, peak = run(commands["lettermorph-cli"], cat.stdout, report)
    print(f"{'lettermorph-cli':22} peak {peak:5.1f} MiB on 1 GiB through a pipe")


if __name__ == "__main__":
    main()
