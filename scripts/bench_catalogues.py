"""Times lettermorph-cli --decode on every Russian message catalogue installed on this machine.

Usage: bench_catalogues.py LETTERMORPH_CLI [RUNS]
The translations of /usr/share/locale/ru/LC_MESSAGES/*.mo are joined into one text: many
distinct words, few repeated often, the text decoding has the most trouble being fast on. It is
recoded with each built-in set and decoded once per run, in a fresh process, as a user would.
The runs use a cache folder of their own: the first run builds the look-alike index there, and is
timed on its own line; the others map it. Speed is the recoded size over the median time the
whole process takes by the wall clock, index opened and checked, as the user waits for it (the
decoder decodes words ahead on a second processor); its processor time, all threads together,
and the time of a run on empty input, which opens and checks the index too, are given beside it. Peak memory is the largest of the decoding
runs, each measured on its own, so that building the index does not count in it.
The decoding alone is timed as well, in-process by bench/decode_bench beside lettermorph-cli:
each run decodes the text once with a new decoder, the index open already.
"""
import glob
import os
import time
import resource
import statistics
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from russian_text.extract import catalogue_text  # noqa: E402

CATALOGUES = "/usr/share/locale/ru/LC_MESSAGES/*.mo"


def timed(command: list[str], data: bytes, env: dict[str, str]) -> tuple[float, float, float]:
    """Wall-clock and processor seconds of one run of the command on the data, and its own peak
    memory in MiB."""
    with tempfile.TemporaryFile() as stdin:
        stdin.write(data)
        stdin.seek(0)
        start = time.perf_counter()
        child = subprocess.Popen(command, stdin=stdin, stdout=subprocess.DEVNULL, env=env)
        _, status, usage = os.wait4(child.pid, 0)
        wall = time.perf_counter() - start
        child.returncode = os.waitstatus_to_exitcode(status)
    if child.returncode != 0:
        raise subprocess.CalledProcessError(child.returncode, command)
    return wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss / 1024


def main() -> None:
    cli, runs = sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 5
    paths = sorted(glob.glob(CATALOGUES))
    if not paths:
        print("no Russian message catalogues are installed; nothing to time")
        return
    text = "".join(catalogue_text(p) for p in paths).encode()
    print(f"{len(paths)} catalogues, {len(text) / 1e6:.1f} MB of translations")
    print(f"{'set':6} {'recoded MB':>10} {'ms':>7} {'MB/s':>7} {'cpu ms':>7} {'empty ms':>8} "
          f"{'peak MiB':>8}   first run, index built: {'s':>5} {'peak MiB':>8}")
    with tempfile.TemporaryDirectory() as cache:
        env = dict(os.environ, XDG_CACHE_HOME=cache)
        for preset in ("design", "reset"):
            recoded = subprocess.run([cli, "--preset", preset], input=text, capture_output=True,
                                     check=True).stdout
            decode = [cli, "--decode", "--preset", preset]
            build_seconds, _, build_peak = timed(decode, recoded, env)
            whole, processor, empty, peak = [], [], [], 0.0
            for _ in range(runs):
                seconds, processor_seconds, run_peak = timed(decode, recoded, env)
                whole.append(seconds)
                processor.append(processor_seconds)
                peak = max(peak, run_peak)
                empty.append(timed(decode, b"", env)[0])
            ms = statistics.median(whole) * 1e3
            print(f"{preset:6} {len(recoded) / 1e6:10.2f} {ms:7.1f} "
                  f"{len(recoded) / 1e3 / ms:7.1f} {statistics.median(processor) * 1e3:7.1f} "
                  f"{statistics.median(empty) * 1e3:8.1f} "
                  f"{peak:8.0f}   {'':23} {build_seconds:5.2f} {build_peak:8.0f}")
        decode_bench = os.path.join(os.path.dirname(os.path.abspath(cli)), "bench", "decode_bench")
        if os.path.exists(decode_bench):
            with tempfile.NamedTemporaryFile(suffix=".txt") as original:
                original.write(text)
                original.flush()
                subprocess.run([decode_bench, str(runs), original.name], env=env, check=True)


if __name__ == "__main__":
    main()
