#!/usr/bin/python3
"""The whole scrivolux-cli process in the text, JSON and details formats.

Usage: json_cost.py SCRIVOLUX_CLI FILE [RUNS]

Runs each format RUNS times (15 by default), alternating, and prints the median
wall-clock time of each.
"""
import statistics
import subprocess
import sys
import time


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    cli, text = sys.argv[1], sys.argv[2]
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 15
    cases = {
        "text": [text],
        "json": ["--json", text],
        "json --words --sentences 1 (details)": ["--json", "--words", "--sentences=1", text],
        "text --max-grade 8": ["--max-grade=8", text],
    }
    times = {name: [] for name in cases}
    for _ in range(runs):
        for name, arguments in cases.items():
            start = time.perf_counter()
            subprocess.run([cli, "--unknown=zero"] + arguments, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, check=False)
            times[name].append((time.perf_counter() - start) * 1000)
    for name, values in times.items():
        print(f"{name:40s} median {statistics.median(values):7.1f} ms")


if __name__ == "__main__":
    main()
