#!/usr/bin/python3
"""The whole scrivolux-cli process in the text, JSON and details formats.

Usage: json_cost.py SCRIVOLUX_CLI FILE [RUNS]
       json_cost.py --callgrind SCRIVOLUX_CLI

The first form runs each format RUNS times (15 by default), alternating, and
prints the median wall-clock time of each.

The second counts the instructions (valgrind's callgrind) of the text report
and of --format=jsonl on the 428 documents of batch_speed.py, as 428 files and
as one file, and prints the counts and their ratios: unlike a clock, the count
is the same on a busy machine. Needs valgrind; takes about a minute.
"""
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time


def timed(cli, text, runs):
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


def instructions(command, folder):
    out = os.path.join(folder, "callgrind.out")
    result = subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=" + out]
                            + command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                            text=True, check=True)
    os.remove(out)
    return int(re.search(r"Collected : (\d+)", result.stderr).group(1))


def counted(cli):
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    from batch_speed import corpus  # noqa: E402
    with tempfile.TemporaryDirectory() as folder:
        names = []
        texts = corpus()
        for i, (package, text) in enumerate(texts):
            names.append(os.path.join(folder, "%03d-%s.txt" % (i, package)))
            with open(names[-1], "w", encoding="utf-8", newline="") as file:
                file.write(text)
        one = os.path.join(folder, "all.txt")
        with open(one, "w", encoding="utf-8", newline="") as file:
            file.write("".join(text for _, text in texts))
        base = [cli, "--unknown=estimate", "--no-config"]
        counts = {}
        for inputs, label in ((names, "428 files"), ([one], "one file")):
            for form in ("text", "jsonl"):
                counts[form, label] = instructions(base + ["--format=" + form] + inputs, folder)
                print(f"{form:5s} {label:9s} {counts[form, label] / 1e6:9.1f} M instructions")
        for label in ("428 files", "one file"):
            print(f"jsonl / text ({label}) {counts['jsonl', label] / counts['text', label]:.3f}")


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--callgrind":
        counted(sys.argv[2])
    elif len(sys.argv) >= 3:
        timed(sys.argv[1], sys.argv[2], int(sys.argv[3]) if len(sys.argv) > 3 else 15)
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
