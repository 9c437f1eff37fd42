#!/usr/bin/python3
"""What the linter form costs scrivolux-cli on a batch: 428 real documents.

    bench/lint_cost.py [BUILD_DIR] [--runs N] [--max-grade G]

The documents are those of bench/batch_speed.py (the first 428 distinct UTF-8
copyright files of the installed Debian packages), each in a file of its own,
and all of them one after the other in one file. Prints the median wall-clock
and processor time of each run and the ratios the project holds itself to:

  the 428 files / the same bytes as one file (text report)    at most 1.5
  --format=jsonl / the text report, on the 428 files            at most 1.25
  lint mode (--max-grade G) / the text report, on the 428 files  at most 1.2
  lint mode, --quiet / the text report, on the 428 files         at most 1.2

Every run estimates unknown words and writes to /dev/null; the word list's
loading is part of every run, as a script sees it. The runs take turns, one of
each command per round, and each ratio is the median of the rounds' own
ratios: on a shared machine the speed drifts by a fifth within a minute, which
moves a median taken one command after another more than any change measured.
"""

import argparse
import os
import resource
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from batch_speed import corpus  # noqa: E402

GOALS = [
    ("428 files / one file", "files", "one", 1.5),
    ("jsonl / text (428 files)", "jsonl", "files", 1.25),
    ("lint / text (428 files)", "lint", "files", 1.2),
    ("lint --quiet / text (428 files)", "quiet", "files", 1.2),
]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build", nargs="?", default="build")
    parser.add_argument("--runs", type=int, default=15)
    parser.add_argument("--max-grade", default="12")
    arguments = parser.parse_args()
    cli = os.path.join(arguments.build, "bin", "scrivolux-cli")
    texts = corpus()
    with tempfile.TemporaryDirectory() as folder:
        names = []
        for i, (package, text) in enumerate(texts):
            name = os.path.join(folder, "%03d-%s.txt" % (i, package))
            with open(name, "w", encoding="utf-8") as file:
                file.write(text)
            names.append(name)
        one = os.path.join(folder, "all.txt")
        with open(one, "w", encoding="utf-8") as file:
            file.write("\n\n".join(text for _, text in texts))
        size = os.path.getsize(one)
        base = [cli, "--unknown=estimate", "--no-config"]
        lint = ["--max-grade=" + arguments.max_grade]
        runs = {
            "one": base + [one],
            "files": base + names,
            "jsonl": base + ["--format=jsonl"] + names,
            "lint": base + lint + names,
            "quiet": base + lint + ["--quiet"] + names,
        }
        above = subprocess.run(base + lint + ["--quiet"] + names, stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL, text=True, check=False)
        print("%d documents, %.1f MB; %s" % (len(names), size / 1e6,
                                              above.stdout.strip().splitlines()[-1]))
        def run(command):
            own = resource.getrusage(resource.RUSAGE_CHILDREN)
            start = time.perf_counter()
            subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                           check=False)
            after = resource.getrusage(resource.RUSAGE_CHILDREN)
            return (time.perf_counter() - start,
                    after.ru_utime + after.ru_stime - own.ru_utime - own.ru_stime)

        for command in runs.values():
            run(command)  # warm the page cache
        rounds = {key: [] for key in runs}
        for _ in range(arguments.runs):
            for key, command in runs.items():
                rounds[key].append(run(command))
        for key, times in rounds.items():
            print("%-6s median %.3f s wall, %.3f s processor"
                  % (key, statistics.median(t[0] for t in times),
                     statistics.median(t[1] for t in times)))
        for title, numerator, denominator, goal in GOALS:
            pairs = list(zip(rounds[numerator], rounds[denominator]))
            wall = statistics.median(a[0] / b[0] for a, b in pairs)
            cpu = statistics.median(a[1] / b[1] for a, b in pairs)
            print("%-34s %.2f wall, %.2f processor (goal at most %.2f)%s"
                  % (title, wall, cpu, goal, "" if min(wall, cpu) <= goal else "  MISSED"))

if __name__ == "__main__":
    main()
