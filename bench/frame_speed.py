#!/usr/bin/python3
"""What a DataFrame and the single-figure readers cost over the analysis.

    bench/frame_speed.py [BUILD_DIR] [--runs N]

The documents are 10,000 paragraphs (blank-line separated, at least 20 words)
of the distinct UTF-8 copyright files of the installed Debian packages (again
with a sentence added, when there are fewer), with
every tenth replaced by None as a pandas column with gaps would hold. Prints
the median wall-clock time, the runs alternating, of

  analyse_frame(texts) / analyse_many(texts, errors="none")     at most 1.2
  flesch_kincaid_grade + lix + text_standard / one analyse()    at most 1.2

The readers are timed on the GPL version 3 text, a new one each run (the text
with the run's number appended), so that the first reader analyses it and the
other two find its report kept.
"""

import argparse
import glob
import os
import statistics
import sys
import time

DOCUMENTS = 10_000


def paragraphs():
    found = []
    seen = set()
    for path in sorted(glob.glob("/usr/share/doc/*/copyright")):
        try:
            with open(path, encoding="utf-8") as file:
                text = file.read()
        except (OSError, UnicodeDecodeError):
            continue
        for paragraph in text.split("\n\n"):
            if len(paragraph.split()) >= 20 and paragraph not in seen:
                seen.add(paragraph)
                found.append(paragraph)
    # Too few here: the paragraphs again, each made distinct by a sentence.
    for copy in range(1, DOCUMENTS):
        for paragraph in found[:]:
            if len(found) == DOCUMENTS:
                return found[:DOCUMENTS]
            found.append(f"{paragraph} Copy {copy}.")
    return found[:DOCUMENTS]


def medians(runs, **calls):
    """The median wall-clock time of each call, taking turns run by run."""
    for call in calls.values():
        call(-1)  # warm the word list and the page cache
    times = {name: [] for name in calls}
    for run in range(runs):
        for name, call in calls.items():
            start = time.perf_counter()
            call(run)
            times[name].append(time.perf_counter() - start)
    return {name: statistics.median(values) for name, values in times.items()}


def main(arguments):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("build", nargs="?", default="build")
    parser.add_argument("--runs", type=int, default=11)
    args = parser.parse_args(arguments)
    sys.path.insert(0, os.path.join(args.build, "python"))
    import scrivolux

    texts = paragraphs()
    texts = [None if i % 10 == 9 else text for i, text in enumerate(texts)]
    size = sum(len(text) for text in texts if text)
    print(f"{len(texts)} documents ({size} characters), median of {args.runs} runs;"
          f" load average {os.getloadavg()[0]:.1f}")
    batch = medians(args.runs,
                    many=lambda run: scrivolux.analyse_many(texts, errors="none"),
                    frame=lambda run: scrivolux.analyse_frame(texts))

    with open("/usr/share/common-licenses/GPL-3", encoding="utf-8") as file:
        gpl = file.read()

    def three_readers(run):
        text = f"{gpl} Run {run}."
        scrivolux.flesch_kincaid_grade(text)
        scrivolux.lix(text)
        scrivolux.text_standard(text)

    readers = medians(args.runs * 3,
                      analyse=lambda run: scrivolux.analyse(f"{gpl} Run {run}."),
                      readers=three_readers)

    for name, seconds in [("analyse_many, 10,000 texts", batch["many"]),
                          ("analyse_frame, 10,000 texts", batch["frame"]),
                          ("analyse, GPL-3", readers["analyse"]),
                          ("three readers, GPL-3", readers["readers"])]:
        print(f"{name:34} {seconds * 1000:9.1f} ms")
    print(f"{'analyse_frame / analyse_many':34} {batch['frame'] / batch['many']:9.2f} x"
          "   (goal: at most 1.2)")
    print(f"{'three readers / analyse':34} {readers['readers'] / readers['analyse']:9.2f} x"
          "   (goal: at most 1.2)")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
