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
loading is part of every run, as a script sees it.
"""

import argparse
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from batch_speed import corpus, median_time  # noqa: E402

GOALS = [
    ("428 files / one file", "files", "one", 1.5),
    ("jsonl / text (428 files)", "jsonl", "files", 1.25),
    ("lint / text (428 files)", "lint", "files", 1.2),
    ("lint --quiet / text (428 files)", "quiet", "files", 1.2),
]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build", nargs="?", default="build")
    parser.add_argument("--runs", type=int, default=5)
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
        times = {}
        for key, command in runs.items():
            def run(command=command):
                subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                               check=False)
            times[key] = median_time(run, arguments.runs)
            print("%-6s median %.3f s wall, %.3f s processor" % (key, *times[key]))
        for title, numerator, denominator, goal in GOALS:
            wall = times[numerator][0] / times[denominator][0]
            cpu = times[numerator][1] / times[denominator][1]
            print("%-34s %.2f wall, %.2f processor (goal at most %.2f)%s"
                  % (title, wall, cpu, goal, "" if min(wall, cpu) <= goal else "  MISSED"))


if __name__ == "__main__":
    main()
