#!/usr/bin/python3
"""Batch speed of scrivolux-cli and the Python module on 428 real documents.

    bench/batch_speed.py [BUILD_DIR] [--runs N] [--skip-pure-python]

The documents are the first 428 distinct UTF-8 copyright files of the
installed Debian packages (/usr/share/doc/*/copyright, by path): real English,
mostly licence prose, about 6 MB. Each is written to a file of its own and all
of them, one after the other, to one file. Prints the median wall-clock time of
each way of analysing them and the ratios the project holds itself to:

  scrivolux-cli --format=jsonl / text report, on the one file    at most 1.25
  scrivolux-cli on the 428 files / on the one file (each format) at most 1.5
  analyse_many(428 texts) / scrivolux-cli jsonl on the one file  at most 1.5
  pure Python, six formulas (each counting for itself) / analyse_many
  lean Flesch-Kincaid in pure Python / analyse_many              at least 20

The command line is timed as a whole process (word list loading included);
analyse_many in a process that has loaded the word list already, as a batch
job calls it again and again. Each time is given as wall-clock time and as
processor time (all threads and child processes), which a busy machine
disturbs less. Needs python3-pyphen for the last two lines.

The lean Flesch-Kincaid is the least a textstat user's script does for that one
grade: one pass of one regular expression over the text finds the words and
the sentence ends, pyphen gives each word's syllables (pyphen keeps each
word's hyphenation, so a word met again costs a look-up), one text at a time.
A script scores a corpus once, so each timed run starts with pyphen's
hyphenation cache empty, as such a script's run does; the warm line, where
every word's hyphenation is known before the run starts, is for comparison.
"""

import argparse
import glob
import hashlib
import os
import re
import resource
import statistics
import subprocess
import sys
import tempfile
import time

DOCUMENTS = 428


def corpus():
    texts = []
    seen = set()
    for path in sorted(glob.glob("/usr/share/doc/*/copyright")):
        if os.path.islink(path) or not os.path.isfile(path):
            continue
        with open(path, "rb") as file:
            data = file.read()
        digest = hashlib.sha1(data).digest()
        if digest in seen or b"\0" in data or data.startswith(b"\xef\xbb\xbf"):
            continue
        try:
            texts.append((path.split("/")[4], data.decode("utf-8")))
        except UnicodeDecodeError:
            continue
        seen.add(digest)
        if len(texts) == DOCUMENTS:
            break
    return texts


def median_time(run, runs):
    """Median wall-clock and processor time (this process and its children,
    every thread) of run()."""
    def processor():
        own = resource.getrusage(resource.RUSAGE_SELF)
        children = resource.getrusage(resource.RUSAGE_CHILDREN)
        return own.ru_utime + own.ru_stime + children.ru_utime + children.ru_stime

    run()  # warm the page cache and the word list
    walls = []
    cpus = []
    for _ in range(runs):
        start = time.perf_counter()
        cpu = processor()
        run()
        cpus.append(processor() - cpu)
        walls.append(time.perf_counter() - start)
    return statistics.median(walls), statistics.median(cpus)


# What Python users run today: each formula a function of the text, which
# counts what it needs itself: words and sentences by regular expressions,
# syllables by hyphenation (pyphen keeps the hyphenation of each word).
WORD = re.compile(r"[A-Za-z][A-Za-z'-]*")
SENTENCE_END = re.compile(r"[.!?]+(?=\s|$)")
WORD_OR_END = re.compile(r"([A-Za-z][A-Za-z'-]*)|([.!?]+(?=\s|$))")


class PurePython:
    def __init__(self):
        import pyphen
        self.hyphenator = pyphen.Pyphen(lang="en_US")

    def syllables(self, word):
        return len(self.hyphenator.positions(word)) + 1

    def lexicon_count(self, text):
        return max(1, len(WORD.findall(text)))

    def sentence_count(self, text):
        return max(1, len(SENTENCE_END.findall(text)))

    def syllable_count(self, text):
        return sum(self.syllables(word) for word in WORD.findall(text.lower()))

    def polysyllable_count(self, text):
        return sum(self.syllables(word) >= 3 for word in WORD.findall(text.lower()))

    def letter_count(self, text):
        return sum(len(word) for word in WORD.findall(text))

    def flesch_reading_ease(self, text):
        words = self.lexicon_count(text)
        return (206.835 - 1.015 * words / self.sentence_count(text)
                - 84.6 * self.syllable_count(text) / words)

    def flesch_kincaid_grade(self, text):
        words = self.lexicon_count(text)
        return (0.39 * words / self.sentence_count(text)
                + 11.8 * self.syllable_count(text) / words - 15.59)

    def gunning_fog(self, text):
        words = self.lexicon_count(text)
        return 0.4 * (words / self.sentence_count(text)
                      + 100 * self.polysyllable_count(text) / words)

    def smog_index(self, text):
        return 1.043 * (self.polysyllable_count(text) * 30 / self.sentence_count(text)) ** 0.5 \
            + 3.1291

    def coleman_liau_index(self, text):
        words = self.lexicon_count(text)
        return (0.0588 * self.letter_count(text) / words * 100
                - 0.296 * self.sentence_count(text) / words * 100 - 15.8)

    def automated_readability_index(self, text):
        words = self.lexicon_count(text)
        return (4.71 * self.letter_count(text) / words
                + 0.5 * words / self.sentence_count(text) - 21.43)

    def forget_hyphenations(self):
        self.hyphenator.hd.cache.clear()

    def lean_flesch_kincaid(self, text):
        words = sentences = syllables = 0
        for word, end in WORD_OR_END.findall(text):
            if word:
                words += 1
                syllables += self.syllables(word.lower())
            else:
                sentences += 1
        words = max(1, words)
        return 0.39 * words / max(1, sentences) + 11.8 * syllables / words - 15.59

    def figures(self, text):
        return {name: getattr(self, name)(text) for name in (
            "flesch_reading_ease", "flesch_kincaid_grade", "gunning_fog", "smog_index",
            "coleman_liau_index", "automated_readability_index")}


def main(arguments):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("build", nargs="?", default="build")
    parser.add_argument("--runs", type=int, default=11)
    parser.add_argument("--skip-pure-python", action="store_true")
    args = parser.parse_args(arguments)
    cli = os.path.join(args.build, "bin", "scrivolux-cli")
    sys.path.insert(0, os.path.join(args.build, "python"))
    import scrivolux

    documents = corpus()
    with tempfile.TemporaryDirectory() as work:
        paths = []
        for i, (name, text) in enumerate(documents):
            paths.append(os.path.join(work, f"{i:03d}-{name}.txt"))
            with open(paths[-1], "w", encoding="utf-8", newline="") as file:
                file.write(text)
        whole = os.path.join(work, "all.txt")
        with open(whole, "w", encoding="utf-8", newline="") as file:
            file.write("".join(text for _, text in documents))
        size = os.path.getsize(whole)
        print(f"{len(documents)} documents, {size} bytes; median of {args.runs} runs;"
              f" load average {os.getloadavg()[0]:.1f}")

        env = {**os.environ, "HOME": work}
        custom = ["--custom", os.path.join(work, "none.dat"), "--unknown=estimate"]

        def command(*options):
            return lambda: subprocess.run([cli, *custom, *options], env=env, check=True,
                                          stdout=subprocess.DEVNULL)

        times = {
            "cli text, one file": median_time(command(whole), args.runs),
            "cli jsonl, one file": median_time(command("--format=jsonl", whole), args.runs),
            "cli text, 428 files": median_time(command(*paths), args.runs),
            "cli jsonl, 428 files": median_time(command("--format=jsonl", *paths), args.runs),
        }
        texts = [text for _, text in documents]
        times["analyse_many, 428 texts"] = median_time(
            lambda: scrivolux.analyse_many(texts), args.runs)
        times["analyse_many, 428 texts, 1 thread"] = median_time(
            lambda: scrivolux.analyse_many(texts, threads=1), args.runs)
        if not args.skip_pure_python:
            pure = PurePython()
            times["pure Python, 428 texts"] = median_time(
                lambda: [pure.figures(text) for text in texts], max(3, args.runs // 3))
            def lean_from_cold():
                pure.forget_hyphenations()
                return [pure.lean_flesch_kincaid(text) for text in texts]
            times["lean Flesch-Kincaid, 428 texts"] = median_time(
                lean_from_cold, max(3, args.runs // 3))
            times["lean Flesch-Kincaid, warm cache"] = median_time(
                lambda: [pure.lean_flesch_kincaid(text) for text in texts], max(3, args.runs // 3))

    print(f"{'':36} {'wall':>9}    {'processor':>9}")
    for name, (wall, cpu) in times.items():
        print(f"{name:36} {wall * 1000:9.1f} ms {cpu * 1000:9.1f} ms")
    ratios = [
        ("jsonl / text, one file", "cli jsonl, one file", "cli text, one file", "at most 1.25"),
        ("428 files / one file, text", "cli text, 428 files", "cli text, one file", "at most 1.5"),
        ("428 files / one file, jsonl", "cli jsonl, 428 files", "cli jsonl, one file",
         "at most 1.5"),
        ("analyse_many / cli jsonl, one file", "analyse_many, 428 texts", "cli jsonl, one file",
         "at most 1.5"),
        ("analyse_many / cli text, one file", "analyse_many, 428 texts", "cli text, one file",
         "for comparison"),
        ("pure Python / analyse_many", "pure Python, 428 texts", "analyse_many, 428 texts",
         "for comparison"),
        ("lean Flesch-Kincaid / analyse_many", "lean Flesch-Kincaid, 428 texts",
         "analyse_many, 428 texts", "at least 20"),
        ("lean F-K, warm cache / analyse_many", "lean Flesch-Kincaid, warm cache",
         "analyse_many, 428 texts", "for comparison"),
    ]
    for name, top, bottom, goal in ratios:
        if top in times and bottom in times:
            wall = times[top][0] / times[bottom][0]
            cpu = times[top][1] / times[bottom][1]
            print(f"{name:36} {wall:9.2f} x  {cpu:9.2f} x   (goal: {goal})")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
