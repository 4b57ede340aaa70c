"""Prints the medians of a Google Benchmark JSON report, and each one's ratio to a reference.

Usage: bench_summary.py REPORT.json REFERENCE_PREFIX
A benchmark named Name/arg is compared with REFERENCE_PREFIX/arg from the same run.
"""
import json
import sys


def main() -> None:
    report, reference = sys.argv[1], sys.argv[2]
    with open(report, encoding="utf-8") as f:
        runs = json.load(f)["benchmarks"]
    medians = {r["run_name"]: r for r in runs if r.get("aggregate_name") == "median"}
    for name, run in medians.items():
        rate = run.get("items_per_second")
        line = f"{name:40} {run['real_time']:10.2f} {run['time_unit']}"
        if rate:
            line += f"  {rate / 1e6:9.1f} M chars/s"
            arg = name.split("/", 1)[1] if "/" in name else ""
            ref = medians.get(f"{reference}/{arg}" if arg else reference)
            if ref and ref is not run and ref.get("items_per_second"):
                line += f"  {rate / ref['items_per_second']:7.1f}x the reference"
        print(line)


if __name__ == "__main__":
    main()
