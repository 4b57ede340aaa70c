"""How well lettermorph-cli --decode reads recoded Russian text back, on real text.

Usage: evaluate_decode.py [--roles ROLE,...] LETTERMORPH_CLI CORPORA_FOLDER [RUNS] [EXTRA_TEXT...]
--roles scores only the corpora of those roles (say "development" while tuning, so that the
held-out text is never looked at); all of them by default. CORPORA_FOLDER is what corpora.py writes (it is made when missing). Each corpus of it, and each
EXTRA_TEXT (a mixed Russian and English sample, say), is recoded with each built-in set, decoded
back, and compared word by word: Russian words exact, exact ignoring case, Latin words kept, and
the decoder's speed over the recoded text: processor time, the median of RUNS runs less that of
a run on empty input, which is given as the start. Then the wrong words of the held-out and the
development corpora are sorted into kinds, with their share and the commonest examples of each.
"""
import argparse
import collections
import glob
import os
import resource
import statistics
import subprocess
import sys

# Run from the source tree, which keeps no compiled modules.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from russian_text import word_alignment  # noqa: E402
from russian_text.debian_packages import PackageCache  # noqa: E402
from russian_text.hunspell_forms import ExpandedDictionary  # noqa: E402

SETS = ("design", "reset")
ROLES = ("held-out", "development")
EXAMPLES = 6
# Below this many words the start dwarfs the decoding, and no speed is given.
SPEED_WORDS = 5000


def run(command: list[str], data: bytes) -> tuple[bytes, float]:
    """The command's output, and the processor time it took, which other work on a shared
    machine does not lengthen as it does the wall-clock time."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    done = subprocess.run(command, input=data, capture_output=True)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    seconds = after.ru_utime + after.ru_stime - before.ru_utime - before.ru_stime
    if done.returncode != 0:
        sys.exit(f"evaluate_decode: {' '.join(command)} failed: {done.stderr.decode()}")
    return done.stdout, seconds


def evaluate(cli: str, path: str, preset: str, runs: int, dictionary: set[str]):
    with open(path, "rb") as f:
        original = f.read()
    recoded, _ = run([cli, "--preset", preset], original)
    decode = [cli, "--decode", "--preset", preset]
    start_up = statistics.median(run(decode, b"")[1] for _ in range(runs))
    times = []
    for _ in range(runs):
        decoded, seconds = run(decode, recoded)
        times.append(seconds)
    score = word_alignment.score(original.decode(), decoded.decode(), dictionary)
    speed = len(recoded) / max(statistics.median(times) - start_up, 1e-6) / 1e6
    return score, speed, start_up


def percent(part: int, whole: int) -> str:
    return f"{100 * part / whole:6.2f}%" if whole else "     - "


def print_row(role, name, preset, score, speed=None, start_up=None) -> None:
    timing = f"{start_up * 1e3:15.0f}" if speed is not None else ""
    if speed is not None and score.russian >= SPEED_WORDS:
        timing = f"{speed:7.2f} {start_up * 1e3:7.0f}"
    print(f"{role:11} {name:18} {preset:6} {score.russian:8} {percent(score.exact, score.russian)} "
          f"{percent(score.exact_ignoring_case, score.russian)} {score.latin:6} "
          f"{percent(score.latin_kept, score.latin)} {timing}")


def print_errors(title: str, score: word_alignment.Score) -> None:
    wrong = sum(score.errors.values())
    print(f"\n-- {title}: {wrong} wrong words of {score.russian} --")
    for kind, n in score.errors.most_common():
        examples = ", ".join(f"{e} ×{k}" for e, k in score.examples[kind].most_common(EXAMPLES))
        print(f"{n:7} {percent(n, wrong)}  {kind}: {examples}")


def main() -> None:
    parser = argparse.ArgumentParser(description="Score lettermorph-cli --decode on real text.")
    parser.add_argument("--roles", default=",".join(ROLES),
                        help="comma-separated roles of the corpora to score (default: all)")
    parser.add_argument("cli")
    parser.add_argument("folder")
    parser.add_argument("runs", nargs="?", type=int, default=3)
    parser.add_argument("extras", nargs="*")
    args = parser.parse_args()
    roles = [role for role in args.roles.split(",") if role]
    unknown = [role for role in roles if role not in ROLES]
    if unknown:
        parser.error(f"unknown role {', '.join(unknown)}; the roles are {', '.join(ROLES)}")
    cli, folder, runs, extras = args.cli, args.folder, args.runs, args.extras
    here = os.path.dirname(os.path.abspath(__file__))
    subprocess.run([sys.executable, os.path.join(here, "corpora.py"), folder], check=True)
    dictionary = ExpandedDictionary(PackageCache(os.path.join(folder, "packages")), "ru_RU").lower
    corpora = [(os.path.basename(os.path.dirname(p)), os.path.basename(p)[:-4], p)
               for role in roles
               for p in sorted(glob.glob(os.path.join(folder, role, "*.txt")))]
    corpora += [("sample", os.path.basename(p), p) for p in extras]

    print(f"{'role':11} {'corpus':18} {'set':6} {'Russian':>8} {'exact':>7} {'no case':>7} "
          f"{'Latin':>6} {'kept':>7} {'MB/s':>7} {'start ms':>7}")
    totals = collections.defaultdict(word_alignment.Score)
    for role, name, path in corpora:
        for preset in SETS:
            score, speed, start_up = evaluate(cli, path, preset, runs, dictionary)
            print_row(role, name, preset, score, speed, start_up)
            totals[(role, preset)].add(score)
            totals[(role, "both")].add(score)
    print()
    for (role, preset), score in sorted(totals.items()):
        if role != "sample":
            print_row(role, "all", preset, score)
    for role in roles:
        print_errors(f"{role}, both sets", totals[(role, "both")])


if __name__ == "__main__":
    main()
