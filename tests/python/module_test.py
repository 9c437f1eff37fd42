"""The Python module against scrivolux-cli, its arguments, its threads and odd
strings. Run by ctest with the build tree's python/ folder on PYTHONPATH and
SCRIVOLUX_CLI naming the command-line program."""

import collections
import glob
import hashlib
import json
import os
import random
import re
import resource
import signal
import subprocess
import sys
import tempfile
import textwrap
import threading
import time
import unittest

import scrivolux

CLI = os.environ["SCRIVOLUX_CLI"]
GPL = "/usr/share/common-licenses/GPL-3"


def read(path):
    with open(path, encoding="utf-8") as file:
        return file.read()


def held_out_corpus():
    """Real English prose nothing was tuned on: the licences and the distinct
    copyright files of the installed packages, as UTF-8 text."""
    texts = {}
    seen = set()
    paths = sorted(glob.glob("/usr/share/common-licenses/*"))
    paths += sorted(glob.glob("/usr/share/doc/*/copyright"))
    for path in paths:
        if not os.path.isfile(path) or os.path.islink(path):
            continue
        with open(path, "rb") as file:
            data = file.read()
        digest = hashlib.sha1(data).digest()
        # The command line reads other encodings and refuses NUL bytes.
        if digest in seen or b"\0" in data or data.startswith(b"\xef\xbb\xbf"):
            continue
        try:
            texts[path] = data.decode("utf-8")
        except UnicodeDecodeError:
            continue
        seen.add(digest)
    return texts


def cli_objects(paths, *options):
    with tempfile.TemporaryDirectory() as home:
        result = subprocess.run(
            [CLI, "--format=jsonl", "--unknown=estimate",
             "--custom", os.path.join(home, "none.dat"), *options, *paths],
            capture_output=True, check=True, env={**os.environ, "HOME": home})
    return [json.loads(line) for line in result.stdout.decode().splitlines()]


def cli_object_of_text(text, *options):
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "text.txt")
        with open(path, "w", encoding="utf-8", newline="") as file:
            file.write(text)
        [found] = cli_objects([path], *options)
    found["name"] = "-"
    return found


class SameAsTheCommandLine(unittest.TestCase):
    def test_every_text_of_a_held_out_corpus(self):
        corpus = held_out_corpus()
        self.assertGreater(len(corpus), 100)
        paths = list(corpus)
        for rules in "classic", "careful":
            expected = cli_objects(paths, f"--rules={rules}")
            got = scrivolux.analyse_many(corpus.values(), names=paths, rules=rules)
            self.assertEqual(len(got), len(expected))
            for path, mine, theirs in zip(paths, got, expected):
                self.assertEqual(mine, theirs, f"{path} ({rules})")

    def test_index_counts_from_the_counting_pass_match_the_details(self):
        # Without words or sentences the index counts come from the syllable
        # pass; with them, from the details of every word.
        corpus = held_out_corpus()
        texts = list(corpus.values())[:150] + [read(GPL) * 10]
        for rules in "classic", "careful":
            plain = scrivolux.analyse_many(texts, rules=rules)
            detailed = scrivolux.analyse_many(texts, rules=rules, words=True)
            for text, mine, theirs in zip(texts, plain, detailed):
                del theirs["words"]
                self.assertEqual(mine, theirs, text[:60])
        # A text counted on two threads, its halves' index counts added.
        quoted = scrivolux.analyse(texts[-1], sentences=1)
        del quoted["longestSentences"], quoted["mostDifficultSentences"]
        self.assertEqual(scrivolux.analyse(texts[-1]), quoted)

    def test_csv_rows(self):
        corpus = held_out_corpus()
        paths = list(corpus)[:80]
        with tempfile.TemporaryDirectory() as home:
            expected = subprocess.run(
                [CLI, "--format=csv", "--unknown=estimate", "--custom",
                 os.path.join(home, "none.dat"), *paths],
                capture_output=True, check=True, env={**os.environ, "HOME": home}).stdout
        got = scrivolux.csv_header() + "".join(
            scrivolux.csv_rows([corpus[p] for p in paths], names=paths, threads=3))
        self.assertEqual(got.encode(), expected)

    def test_the_options_the_command_line_shares(self):
        text = (read(GPL)[:20000] + " Zorbleflax qwxyzzk qwxyzzk. Mr. J. R. Smith paid $3.50 "
                "at e.g. www.example.com on 1.5.2024.\n")
        for keywords, options in [
            ({}, []),
            ({"unknown": "zero"}, ["--unknown=zero"]),
            ({"words": True, "sentences": 3}, ["--words", "--sentences=3"]),
            ({"rules": "careful"}, ["--rules=careful"]),
            ({"rules": "careful", "sentences": 2}, ["--rules=careful", "--sentences=2"]),
        ]:
            with self.subTest(options=options):
                self.assertEqual(scrivolux.analyse(text, **keywords),
                                 cli_object_of_text(text, *options))

    def test_the_dicts_are_what_json_loads_makes_of_the_line(self):
        # The dicts are built from the report, not read back from JSON text:
        # equal values are not enough, the keys' order and each number's type
        # (a whole 100.0 is the int 100 in JSON) must be json.loads' too.
        text = ("Zorbleflax qwxyzzk said \"hi\"\t\x01 to Mr. J. Smith \\ e.g. at "
                "\u00e9t\u00e9 \U0001F600! It cost 3.50 dollars.\n" + read(GPL)[:4000])
        for keywords, options in [
            ({}, []),
            ({"rules": "careful", "words": True, "sentences": 2, "checks": True},
             ["--rules=careful", "--words", "--sentences=2", "--checks"]),
        ]:
            with self.subTest(options=options):
                theirs = json.dumps(cli_object_of_text(text, *options))
                self.assertEqual(json.dumps(scrivolux.analyse(text, **keywords)), theirs)
                [mine] = scrivolux.analyse_many([text], **keywords)
                self.assertEqual(json.dumps(mine), theirs)
        # As json.loads shares a call's keys, every dict holds the same key
        # objects: 100,000 results do not hold 100,000 copies of each.
        first, second = scrivolux.analyse_many(["One.", "Two words."])
        for a, b in [(first, second), (first["counts"], second["counts"]),
                     (first["fry"], scrivolux.analyse("Three.")["fry"])]:
            self.assertTrue(all(x is y for x, y in zip(a, b)))

    def test_a_document_as_the_command_line_reads_it(self):
        folder = os.path.join(os.path.dirname(__file__), "..", "data", "documents")
        for name in ["passage.docx", "passage.odt", "passage.html", "passage.md",
                     "passage.txt", "structured.md"]:
            path = os.path.join(folder, name)
            for rules in ["auto", "classic", "careful"]:
                with self.subTest(name=name, rules=rules):
                    [expected] = cli_objects([path], "--rules=" + rules, "--sentences=2")
                    self.assertEqual(scrivolux.analyse_file(path, rules=rules, sentences=2),
                                     expected)
            # Without rules, the file's kind chooses them as the command line does.
            self.assertEqual(scrivolux.analyse_file(path)["rules"],
                             "classic" if name.endswith(".txt") else "careful")
        with self.assertRaises(OSError) as raised:
            scrivolux.analyse_file(os.path.join(folder, "missing.docx"))
        self.assertEqual(raised.exception.filename, os.path.join(folder, "missing.docx"))
        self.assertNotIsInstance(raised.exception, scrivolux.WordListError)
        with tempfile.TemporaryDirectory() as home:
            old = os.path.join(home, "old.doc")
            with open(old, "wb") as file:
                file.write(b"\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1" + bytes(600))
            with self.assertRaises(ValueError):
                scrivolux.analyse_file(old)
        with self.assertRaises(ValueError):
            scrivolux.analyse_file("a\0b.txt")

    def test_a_text_counted_on_two_threads_and_on_one(self):
        # Over 256 KB analyse() splits the syllable pass; analyse_many() does
        # not. The unknown words must come out in the same order either way.
        # Words the list lacks, met first in the head and first in the tail.
        def invented(first, count):
            return [f"zorb{chr(97 + i // 26)}{chr(97 + i % 26)}" for i in range(first, count)]
        head, tail = invented(0, 100), invented(100, 200)
        text = (read(GPL) + " ".join(head) + ".\n") * 10 + " ".join(tail) + ".\n"
        self.assertGreater(len(text), 300_000)
        single = scrivolux.analyse(text)
        [batched] = scrivolux.analyse_many([text], threads=1)
        self.assertEqual(single, batched)
        self.assertEqual(single, cli_object_of_text(text))
        found = [w["word"] for w in single["unknownWords"] if w["word"].startswith("zorb")]
        self.assertEqual(found, head + tail)

    def test_figures_are_the_numbers_json_gives(self):
        r = scrivolux.analyse("The cat sat on the mat. It was happy.")
        self.assertEqual(r["figures"]["fleschKincaidGradeLevel"], -0.7238889)
        self.assertIsInstance(r["counts"]["words"], int)
        self.assertIsNone(scrivolux.analyse("")["figures"]["fleschReadingEase"])


class TextstatStyle(unittest.TestCase):
    def test_each_function_reads_its_figure(self):
        text = read(GPL)[:30000]
        report = scrivolux.analyse(text)
        for function, section, key in [
            (scrivolux.flesch_reading_ease, "figures", "fleschReadingEase"),
            (scrivolux.flesch_kincaid_grade, "figures", "fleschKincaidGradeLevel"),
            (scrivolux.gunning_fog, "figures", "gunningFogIndex"),
            (scrivolux.smog_index, "indices", "smogGrade"),
            (scrivolux.coleman_liau_index, "indices", "colemanLiauIndex"),
            (scrivolux.automated_readability_index, "indices", "automatedReadabilityIndex"),
            (scrivolux.dale_chall_readability_score, "indices", "newDaleChall"),
            (scrivolux.linsear_write_formula, "indices", "linsearWrite"),
            (scrivolux.mcalpine_eflaw, "indices", "mcalpineEflaw"),
            (lambda t: scrivolux.text_standard(t, float_output=True), "indices",
             "consensusGrade"),
            (scrivolux.syllable_count, "counts", "syllables"),
            (scrivolux.lexicon_count, "counts", "words"),
            (scrivolux.sentence_count, "counts", "sentences"),
        ]:
            with self.subTest(key=key):
                self.assertEqual(function(text), report[section][key])
                self.assertIsInstance(function(text), int if section == "counts" else float)

    def test_a_whole_grade_is_a_float_and_no_words_is_none(self):
        self.assertIsInstance(scrivolux.flesch_reading_ease("Go. Go. Go."), float)
        self.assertIsNone(scrivolux.flesch_kincaid_grade(""))
        self.assertEqual(scrivolux.lexicon_count(""), 0)
        self.assertEqual(scrivolux.syllable_count("Zorbleflax.", unknown="zero"), 0)


class Stub(unittest.TestCase):
    def test_the_stub_names_what_the_module_offers(self):
        import ast
        import inspect
        path = os.path.join(os.path.dirname(scrivolux.__file__), "__init__.pyi")
        with open(path, encoding="utf-8") as file:
            tree = ast.parse(file.read())
        stubbed = {node.name: node for node in tree.body
                   if isinstance(node, (ast.FunctionDef, ast.ClassDef))}
        public = {name for name in scrivolux.__all__ if name != "__version__"}
        self.assertEqual(set(stubbed), public)
        # The keyword arguments, as the module takes them.
        for name in "analyse", "analyse_file", "analyse_many", "csv_rows":
            signature = getattr(scrivolux, name).__doc__.splitlines()[0]
            taken = re.findall(r"(\w+): ", signature.split("*, ")[1])
            self.assertEqual([a.arg for a in stubbed[name].args.kwonlyargs], taken, name)
        self.assertTrue(inspect.isclass(scrivolux.WordListError))


class BadArguments(unittest.TestCase):
    def check(self, error, message, call):
        with self.assertRaises(error) as caught:
            call()
        self.assertEqual(str(caught.exception), message)

    def test_messages(self):
        a, many = scrivolux.analyse, scrivolux.analyse_many
        for error, message, call in [
            (TypeError, "text must be str, not bytes", lambda: a(b"text")),
            (TypeError, "text must be str, not NoneType", lambda: a(None)),
            (ValueError, "rules must be 'classic' or 'careful', not 'strict'",
             lambda: a("x", rules="strict")),
            (TypeError, "rules must be 'classic' or 'careful', not int", lambda: a("x", rules=1)),
            (ValueError, "unknown must be 'estimate' or 'zero', not 'ask'",
             lambda: a("x", unknown="ask")),
            (ValueError, "sentences must be between 0 and 2147483647, not -1",
             lambda: a("x", sentences=-1)),
            (TypeError, "words must be a bool, not int", lambda: a("x", words=1)),
            (TypeError, "dictionary must be a path (str, bytes or os.PathLike), not int",
             lambda: a("x", dictionary=3)),
            (ValueError, "dictionary must name a file, not ''", lambda: a("x", dictionary="")),
            (ValueError, "threads must be between 0 and 2147483647, not -1",
             lambda: many(["x"], threads=-1)),
            (TypeError, "threads must be an int, not bool", lambda: many(["x"], threads=True)),
            (TypeError, "texts must be an iterable of str, not a single str; use analyse() "
             "for one text", lambda: many("text")),
            (TypeError, "texts must be an iterable of str, not int", lambda: many(5)),
            (TypeError, "texts[1] must be str, not float", lambda: many(["x", 2.5])),
            (ValueError, "names holds 1 names for 2 texts", lambda: many(["a", "b"], names=["a"])),
            (ValueError, "names holds 2 names for 1 texts", lambda: many(["a"], names=["a", "b"])),
            (ValueError, "rules must be 'classic' or 'careful', not '\\udcff'",
             lambda: a("x", rules="\udcff")),
            (ValueError, "dictionary must not contain a NUL character",
             lambda: a("x", dictionary="words.dat\0.txt")),
            (TypeError, "names[0] must be hashable, not list", lambda: many(["a"], names=[[7]])),
            (TypeError, "target_grade must be a number or None, not str",
             lambda: a("x", checks=True, target_grade="8")),
            (TypeError, "checks must be a bool, not int", lambda: a("x", checks=1)),
            (TypeError, "texts[0] must be str, not bytes",
             lambda: scrivolux.csv_rows([b"x"])),
        ]:
            with self.subTest(message=message):
                self.check(error, message, call)

    def test_missing_and_damaged_word_lists_name_the_file(self):
        with tempfile.TemporaryDirectory() as folder:
            missing = os.path.join(folder, "missing.dat")
            bad = os.path.join(folder, "bad.dat")
            with open(bad, "w") as file:
                file.write("cat|1\ndog|x\n")
            empty = os.path.join(folder, "empty.dat")
            open(empty, "w").close()
            nul = os.path.join(folder, "nul.dat")
            with open(nul, "wb") as file:
                file.write(b"\0" * 4096)
            for path, message in [
                (missing, f"cannot read the word list {missing}: No such file or directory"),
                (bad, f"{bad}, line 2: 'x' is not a valid integer value"),
                (empty, f"the word list {empty} holds no words"),
                (nul, f"the word list {nul} holds no words"),
                (folder, f"cannot read the word list {folder}: Is a directory"),
            ]:
                with self.subTest(path=path):
                    with self.assertRaises(scrivolux.WordListError) as caught:
                        scrivolux.analyse("The cat.", dictionary=path)
                    self.assertIsInstance(caught.exception, OSError)
                    self.assertEqual(str(caught.exception), message)
                    self.assertEqual(caught.exception.filename, path)

    def test_a_missing_word_list_whose_name_is_not_utf8(self):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(os.fsencode(folder), b"caf\xe9.dat")
            with self.assertRaises(scrivolux.WordListError) as caught:
                scrivolux.analyse("The cat.", dictionary=path)
        self.assertEqual(str(caught.exception), f"cannot read the word list {folder}/caf\\xe9.dat: "
                         "No such file or directory")
        self.assertEqual(caught.exception.filename, os.fsdecode(path))

    def test_a_named_word_list_is_used(self):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "words.dat")
            with open(path, "w") as file:
                file.write("cat|7\n")
            report = scrivolux.analyse("Cat cat dog.", dictionary=path, unknown="zero")
        self.assertEqual(report["counts"]["syllables"], 14)
        self.assertEqual(report["unknownWords"], [{"word": "dog", "occurrences": 1, "syllables": 0}])


class OddStrings(unittest.TestCase):
    def test_nothing_odd_brings_the_interpreter_down(self):
        base = scrivolux.analyse("one two")["counts"]
        for text in ["", "\0", "a\0b. c", "\ud800", "x\udfffy. \ud83d", "\u2028\u2029\ufdd0",
                     "\U0001F600 emoji.", "\r\n" * 1000, "." * 100000, "a" * 1_000_000]:
            with self.subTest(text=text[:20]):
                report = scrivolux.analyse(text)
                self.assertGreaterEqual(report["counts"]["words"], 0)
        # A lone surrogate stands for no character: it counts as U+FFFD does.
        self.assertEqual(scrivolux.analyse("one \ud800 two"), scrivolux.analyse("one \ufffd two"))
        self.assertEqual(base["words"], 2)
        generator = random.Random(21)
        alphabet = "aeiou xyz.\n\r\t\0\u00e9\u2028\ud800\U0001F600'-"
        texts = ["".join(generator.choice(alphabet) for _ in range(generator.randrange(200)))
                 for _ in range(500)]
        self.assertEqual(len(scrivolux.analyse_many(texts)), 500)

    def test_ten_megabytes_and_over_the_bound(self):
        text = read(GPL)
        big = text * (10_000_000 // len(text))
        report = scrivolux.analyse(big)
        self.assertEqual(report["counts"]["words"],
                         scrivolux.analyse(text)["counts"]["words"] * (10_000_000 // len(text)))
        with self.assertRaises(ValueError) as caught:
            scrivolux.analyse("a" * (64 * 1024 * 1024 + 1))
        self.assertEqual(str(caught.exception),
                         "text is larger than 64 MB of UTF-8; split it into smaller texts")


class Threads(unittest.TestCase):
    def test_order_and_thread_counts_agree(self):
        corpus = list(held_out_corpus().values())[:60]
        one = scrivolux.analyse_many(corpus, threads=1)
        self.assertEqual(one, [scrivolux.analyse(text) for text in corpus])
        self.assertEqual(scrivolux.analyse_many(corpus, threads=0), one)
        self.assertEqual(scrivolux.analyse_many(iter(corpus), threads=7), one)
        self.assertEqual(scrivolux.analyse_many([]), [])

    def test_several_python_threads_at_once(self):
        corpus = list(held_out_corpus().values())[:40]
        expected = scrivolux.analyse_many(corpus, threads=1)
        results = [None] * 6

        def run(slot):
            results[slot] = scrivolux.analyse_many(corpus, threads=2)

        workers = [threading.Thread(target=run, args=(i,)) for i in range(len(results))]
        for worker in workers:
            worker.start()
        for worker in workers:
            worker.join()
        for result in results:
            self.assertEqual(result, expected)

    @staticmethod
    def busy_threads(texts, threads):
        # The threads stay from batch to batch, so the workers are the threads
        # that spent processor time on this batch.
        def cpu_ticks():
            ticks = {}
            for task in os.listdir("/proc/self/task"):
                try:
                    with open(f"/proc/self/task/{task}/stat") as stat:
                        fields = stat.read().rsplit(")", 1)[1].split()
                    ticks[task] = int(fields[11]) + int(fields[12])
                except OSError:
                    pass
            return ticks

        before = cpu_ticks()
        scrivolux.analyse_many(texts, threads=threads)
        after = cpu_ticks()
        return sum(ticks > before.get(task, 0) for task, ticks in after.items())

    def test_the_worker_count(self):
        processors = len(os.sched_getaffinity(0))
        texts = [read(GPL)] * 1000  # a second or so: each thread gets its share
        for threads, workers in (0, processors), (1, 1), (min(2, processors),) * 2:
            with self.subTest(threads=threads):
                # This thread counts too.
                self.assertEqual(self.busy_threads(texts, threads), workers)

    def test_threads_beyond_the_processors_start_and_stay(self):
        # Five threads, the kept ones among them, count a batch on any machine.
        script = textwrap.dedent("""
            import os, scrivolux, sys
            sys.path.insert(0, %r)
            from module_test import Threads, read, GPL
            def tasks():
                return len(os.listdir("/proc/self/task"))
            texts = ["The cat sat on the mat."] * 100
            start = tasks()
            scrivolux.analyse_many(texts, threads=5)
            after_five = tasks()
            scrivolux.analyse_many(texts, threads=3)
            after_three = tasks()
            busy = Threads.busy_threads([read(GPL)] * 1000, 5)
            print(after_five - start, after_three - after_five, tasks() - after_three, busy)
            """ % os.path.dirname(os.path.abspath(__file__)))
        run = subprocess.run([sys.executable, "-c", script], capture_output=True, timeout=120)
        self.assertEqual(run.stdout, b"4 0 0 5\n", run.stderr.decode())

    def test_a_forked_child_has_workers_of_its_own(self):
        texts = [read(GPL)] * 1000
        scrivolux.analyse_many(texts[:10], threads=2)
        pid = os.fork()
        if pid == 0:
            try:
                os._exit(self.busy_threads(texts, 2))
            finally:
                os._exit(100)
        _, status = os.waitpid(pid, 0)
        self.assertEqual(os.waitstatus_to_exitcode(status), 2)

    def test_threads_that_cannot_start_cost_no_text(self):
        # Held to a few tasks (root is held to none: the child runs as nobody),
        # most of 2000 threads cannot start; those that did count every text.
        def tasks_of(uid):
            count = 0
            for pid in filter(str.isdigit, os.listdir("/proc")):
                try:
                    if os.stat(f"/proc/{pid}").st_uid == uid:
                        count += len(os.listdir(f"/proc/{pid}/task"))
                except OSError:
                    pass
            return count

        uid = 65534 if os.geteuid() == 0 else os.getuid()
        limit = tasks_of(uid) + 20

        def few_tasks():
            if os.geteuid() == 0:
                os.setgid(65534)
                os.setuid(65534)
            resource.setrlimit(resource.RLIMIT_NPROC, (limit, limit))

        script = textwrap.dedent("""
            import scrivolux
            texts = ["The cat sat on the mat. It was happy."] * 2000
            expected = scrivolux.analyse(texts[0])
            got = scrivolux.analyse_many(texts, threads=2000)
            print(len(got), got == [expected] * 2000)
            """)
        run = subprocess.run([sys.executable, "-c", script], capture_output=True, timeout=300,
                             preexec_fn=few_tasks, cwd="/")
        self.assertEqual((run.returncode, run.stdout), (0, b"2000 True\n"), run.stderr.decode())

    def test_a_fork_while_another_thread_loads_the_word_list(self):
        # The fork waits for the load; the child finds the list loaded.
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "big.dat")
            with open(path, "w") as file:
                for i in range(1_000_000):
                    file.write(f"q{i:x}".translate(str.maketrans("0123456789", "ghijklmnop")) +
                               "|2\n")
            loader = threading.Thread(target=scrivolux.analyse, args=("Qg qh.",),
                                      kwargs={"dictionary": path})
            loader.start()
            time.sleep(0.1)
            self.assertTrue(loader.is_alive(), "the list loaded too fast to fork meanwhile")
            pid = os.fork()
            if pid == 0:
                try:
                    report = scrivolux.analyse("Qg qh.", dictionary=path, unknown="zero")
                    os._exit(0 if report["counts"]["syllables"] == 4 else 1)
                finally:
                    os._exit(2)
            loader.join()
            deadline = time.monotonic() + 60
            while True:
                done, status = os.waitpid(pid, os.WNOHANG)
                if done:
                    break
                if time.monotonic() > deadline:
                    os.kill(pid, signal.SIGKILL)
                    os.waitpid(pid, 0)
                    self.fail("the child was left waiting for the word list")
                time.sleep(0.05)
        self.assertEqual(os.waitstatus_to_exitcode(status), 0)

    def test_the_gil_is_free_while_the_core_counts(self):
        text = read(GPL) * 300
        span = {}
        started = threading.Event()

        def run():
            started.set()
            span["start"] = time.monotonic()
            scrivolux.analyse_many([text], threads=1)
            span["end"] = time.monotonic()

        worker = threading.Thread(target=run)
        worker.start()
        started.wait()
        ticks = []
        while worker.is_alive():
            ticks.append(time.monotonic())
        worker.join()
        middle = (span["start"] + span["end"]) / 2
        quarter = (span["end"] - span["start"]) / 4
        self.assertTrue(any(abs(tick - middle) < quarter for tick in ticks),
                        "this thread did not run while the text was counted")


# The frame's columns that stand for a key of analyse_many's dicts.
FRAME_KEYS = {
    "rules_used": ("rules",), "looks_like_prose": ("looksLikeProse",),
    "words": ("counts", "words"), "sentences": ("counts", "sentences"),
    "syllables": ("counts", "syllables"), "difficult_words": ("counts", "difficultWords"),
    "letters": ("counts", "letters"), "long_words": ("counts", "longWords"),
    "polysyllables": ("counts", "polysyllables"), "monosyllables": ("counts", "monosyllables"),
    "mini_words": ("counts", "miniWords"),
    "dale_chall_unfamiliar_words": ("counts", "daleChallUnfamiliarWords"),
    "spache_unfamiliar_words": ("counts", "spacheUnfamiliarWords"),
    "syllables_per_word": ("figures", "syllablesPerWord"),
    "syllables_per_sentence": ("figures", "syllablesPerSentence"),
    "words_per_sentence": ("figures", "wordsPerSentence"),
    "syllables_per_100_words": ("figures", "syllablesPer100Words"),
    "sentences_per_100_words": ("figures", "sentencesPer100Words"),
    "flesch_reading_ease": ("figures", "fleschReadingEase"),
    "flesch_kincaid_grade": ("figures", "fleschKincaidGradeLevel"),
    "gunning_fog": ("figures", "gunningFogIndex"),
    "smog_grade": ("indices", "smogGrade"), "coleman_liau_index": ("indices", "colemanLiauIndex"),
    "automated_readability_index": ("indices", "automatedReadabilityIndex"),
    "lix": ("indices", "lix"), "forcast": ("indices", "forcast"),
    "new_dale_chall": ("indices", "newDaleChall"), "spache": ("indices", "spache"),
    "mcalpine_eflaw": ("indices", "mcalpineEflaw"), "linsear_write": ("indices", "linsearWrite"),
    "consensus_grade": ("indices", "consensusGrade"),
    "consensus_low": ("consensusRange", "low"), "consensus_high": ("consensusRange", "high"),
    "dale_chall_grades": ("daleChallGrades",),
    "fry_reading": ("fry", "reading"), "fry_region": ("fry", "region"),
    "fry_zone": ("fry", "zone"), "fry_college": ("fry", "college"),
    "fry_near_boundary": ("fry", "nearBoundary"), "fry_other_zone": ("fry", "otherZone"),
}


def dig(report, path):
    for key in path:
        if report is None:
            return None
        report = report[key]
    return report


def missing(value):
    return value is None or value != value


class Frame(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        import pandas
        cls.pandas = pandas

    def test_the_licences_value_for_value(self):
        licences = {path: text for path, text in held_out_corpus().items()
                    if path.startswith("/usr/share/common-licenses/")}
        self.assertGreater(len(licences), 5)
        texts = list(licences.values()) + ["", "Go."]
        names = list(licences) + ["empty", "short"]
        for rules in "classic", "careful":
            many = scrivolux.analyse_many(texts, rules=rules)
            frame = scrivolux.analyse_frame(texts, names=names, rules=rules)
            self.assertEqual(list(frame.index), names)
            self.assertEqual(set(frame.columns), set(FRAME_KEYS) | {"unknown_words", "error"})
            for name, report in zip(names, many):
                row = frame.loc[name]
                for column, path in FRAME_KEYS.items():
                    expected, got = dig(report, path), row[column]
                    with self.subTest(name=name, column=column, rules=rules):
                        if expected is None:
                            self.assertTrue(missing(got), got)
                        else:
                            self.assertEqual(got, expected)
                self.assertEqual(row["unknown_words"], len(report["unknownWords"]))
                self.assertTrue(missing(row["error"]))

    def test_a_series_with_none_and_nan(self):
        pandas = self.pandas
        series = pandas.Series(["The cat sat.", None, float("nan"), "A dog ran. It sat."],
                               index=[10, 20, 30, 40])
        frame = scrivolux.analyse_frame(series)
        self.assertEqual(list(frame.index), [10, 20, 30, 40])
        self.assertEqual(list(frame["words"][[10, 40]]), [3, 5])
        for label, reason in (20, "a NoneType, not a str"), (30, "a float, not a str"):
            self.assertEqual(frame.loc[label, "error"], reason)
        series[20] = 7
        frame = scrivolux.analyse_frame(series)
        for label, reason in (20, "an int, not a str"), (30, "a float, not a str"):
            self.assertEqual(frame.loc[label, "error"], reason)
            self.assertTrue(all(missing(value) for value in frame.loc[label].drop("error")))
        self.assertTrue(missing(frame.loc[10, "error"]))
        # Names of any hashable kind, and a generator of texts.
        frame = scrivolux.analyse_frame((t for t in ["a b.", "c."]), names=[("x", 1), 7],
                                        columns=["sentences", "words"])
        self.assertEqual(list(frame.columns), ["sentences", "words", "error"])
        self.assertEqual(list(scrivolux.analyse_frame([], columns="lix").columns), ["lix", "error"])
        self.assertEqual(len(scrivolux.analyse_frame([])), 0)
        self.assertEqual(frame.loc[7, "words"], 1)
        self.assertEqual(frame.loc[[("x", 1)], "words"].iloc[0], 2)

    def test_bad_columns_and_names(self):
        with self.assertRaises(ValueError) as caught:
            scrivolux.analyse_frame(["x"], columns=["words", "fk"])
        self.assertTrue(str(caught.exception).startswith("no column 'fk'; the columns are "
                                                         "rules_used, looks_like_prose, words"))
        with self.assertRaises(ValueError) as caught:
            scrivolux.analyse_frame(["x", "y"], names=["a"])
        self.assertEqual(str(caught.exception), "names holds 1 names for 2 texts")
        with self.assertRaises(TypeError):
            scrivolux.analyse_frame("a text")

    def test_checks_are_counted_per_rule(self):
        text = ("The report was written by the committee. It is very, very important that we "
                "basically utilize this. " * 3)
        report = scrivolux.analyse(text, checks=True)
        rules = collections.Counter(finding["rule"] for finding in report["checks"])
        self.assertEqual(rules["adverb"], 6)
        frame = scrivolux.analyse_frame([text, "Go.", None], checks=True)
        self.assertEqual(frame.loc[0, "checks"], len(report["checks"]))
        for rule, count in rules.items():
            self.assertEqual(frame.loc[0, "checks_" + rule.replace("-", "_")], count)
        self.assertEqual(frame.loc[1, "checks"], 0)
        self.assertTrue(missing(frame.loc[2, "checks"]))
        # The checks change no count.
        plain = scrivolux.analyse(text)
        del report["checks"]
        self.assertEqual(report, plain)
        [many] = scrivolux.analyse_many([text], checks=True)
        self.assertEqual(len(many["checks"]), frame.loc[0, "checks"])
        self.assertNotIn("checks", scrivolux.analyse_frame([text]).columns)
        # The target grade decides which sentences are hard.
        hard = {"hard-sentence", "very-hard-sentence"}
        for target, found in (0, 6), (40, 0):
            report = scrivolux.analyse(text, checks=True, target_grade=target)
            self.assertEqual(sum(f["rule"] in hard for f in report["checks"]), found, target)


class NotText(unittest.TestCase):
    def test_errors_none_and_names_of_any_kind(self):
        texts = ["The cat sat.", None, float("nan"), "Go."]
        got = scrivolux.analyse_many(texts, names=[1, "two", 3.5, (4,)], errors="none")
        self.assertEqual([r is None for r in got], [False, True, True, False])
        self.assertEqual(got[0]["name"], 1)
        self.assertEqual(got[3]["name"], (4,))
        expected = scrivolux.analyse("Go.")
        del got[3]["name"], expected["name"]
        self.assertEqual(got[3], expected)
        with self.assertRaises(TypeError) as caught:
            scrivolux.analyse_many(texts)
        self.assertEqual(str(caught.exception), "texts[1] must be str, not NoneType")
        with self.assertRaises(ValueError) as caught:
            scrivolux.analyse_many(texts, errors="skip")
        self.assertEqual(str(caught.exception), "errors must be 'raise' or 'none', not 'skip'")

    def test_ctrl_c_stops_a_long_batch(self):
        script = textwrap.dedent("""
            import sys, scrivolux
            text = open("/usr/share/common-licenses/GPL-3").read()[:600]
            texts = [text + str(i) for i in range(100_000)]
            print("ready", flush=True)
            try:
                scrivolux.analyse_many(texts, threads=2)
            except KeyboardInterrupt:
                print("interrupted", flush=True)
                sys.exit(3)
            print("finished", flush=True)
            """)
        self.assert_ctrl_c_stops(script, b"ready\n", 0.5)

    def assert_ctrl_c_stops(self, script, cue, pause):
        # SIGINT goes pause seconds after the script prints cue; the script
        # must print "interrupted" within a second and exit with 3.
        child = subprocess.Popen([sys.executable, "-c", script], stdout=subprocess.PIPE)
        try:
            self.assertEqual(child.stdout.readline(), cue)
            time.sleep(pause)
            child.send_signal(signal.SIGINT)
            sent = time.monotonic()
            line = child.stdout.readline()
            took = time.monotonic() - sent
            self.assertEqual(line, b"interrupted\n")
            self.assertLess(took, 1.0)
            self.assertEqual(child.wait(timeout=30), 3)
        finally:
            child.kill()
            child.wait()


    def test_ctrl_c_stops_the_making_of_the_dicts(self):
        # Empty texts cost nothing to count but a whole dict each: the signal
        # comes when the first dicts are made (the collector's first run),
        # seconds before the last.
        script = textwrap.dedent("""
            import gc, sys, scrivolux
            texts = [""] * 200_000
            scrivolux.analyse("")
            def started(phase, info):
                gc.callbacks.clear()
                print("building", flush=True)
            gc.callbacks.append(started)
            try:
                scrivolux.analyse_many(texts, threads=2)
            except KeyboardInterrupt:
                print("interrupted", flush=True)
                sys.exit(3)
            print("finished", flush=True)
            """)
        # Not while the callback still runs: the collector would swallow the
        # KeyboardInterrupt raised in it.
        self.assert_ctrl_c_stops(script, b"building\n", 0.2)


class Readers(unittest.TestCase):
    def test_textstat_names_read_our_json(self):
        text = read(GPL)[:20000]
        report = scrivolux.analyse(text)
        counts, figures, indices = report["counts"], report["figures"], report["indices"]
        for function, expected in [
            (scrivolux.difficult_words, counts["daleChallUnfamiliarWords"]),
            (scrivolux.spache_readability, indices["spache"]),
            (scrivolux.lix, indices["lix"]),
            (scrivolux.polysyllabcount, counts["polysyllables"]),
            (scrivolux.monosyllabcount, counts["monosyllables"]),
            (scrivolux.letter_count, counts["letters"]),
            (scrivolux.avg_sentence_length, figures["wordsPerSentence"]),
            (scrivolux.avg_syllables_per_word, figures["syllablesPerWord"]),
            (scrivolux.avg_letter_per_word, counts["letters"] / counts["words"]),
        ]:
            with self.subTest(function=function.__name__):
                self.assertEqual(function(text), expected)
                self.assertEqual(function(report), expected)
        careful = scrivolux.analyse(text, rules="careful")
        self.assertEqual(scrivolux.sentence_count(text, rules="careful"),
                         careful["counts"]["sentences"])
        self.assertIsNone(scrivolux.avg_letter_per_word(""))
        self.assertEqual(scrivolux.char_count(" a\tb.\n"), 3)
        self.assertEqual(scrivolux.char_count(" a b", ignore_spaces=False), 4)
        self.assertEqual(scrivolux.reading_time("Hello there world."), 0.24)
        self.assertEqual(scrivolux.reading_time("Hello there.", ms_per_char=100), 1.1)
        with self.assertRaises(TypeError):
            scrivolux.char_count(report)

    def test_text_standard_in_words(self):
        def with_grade(grade):
            return {"indices": {"consensusGrade": grade}}
        for grade, words in [(8.6, "8th and 9th grade"), (9.49, "8th and 9th grade"),
                             (1.2, "0th and 1st grade"), (2.5, "1st and 2nd grade"),
                             (3.0, "2nd and 3rd grade"), (12.2, "11th and 12th grade"),
                             (13.7, "13th and 14th grade"), (21.9, "21st and 22nd grade"),
                             (112, "111th and 112th grade")]:
            with self.subTest(grade=grade):
                self.assertEqual(scrivolux.text_standard(with_grade(grade)), words)
        self.assertEqual(scrivolux.text_standard(with_grade(8.6), float_output=True), 8.6)
        self.assertIsNone(scrivolux.text_standard(""))
        text = read(GPL)[:5000]
        self.assertIsInstance(scrivolux.text_standard(text), str)

    def test_one_analysis_per_text_and_options(self):
        calls = []
        original = scrivolux.analyse

        def counted(text, **options):
            calls.append(text)
            return original(text, **options)

        scrivolux.analyse = counted
        try:
            text = "A text read for three figures. " + str(time.monotonic())
            scrivolux.flesch_kincaid_grade(text)
            scrivolux.lix(text)
            scrivolux.text_standard(text)
            self.assertEqual(len(calls), 1)
            scrivolux.lix(text, rules="careful")
            self.assertEqual(len(calls), 2)
            # The cache keeps the last 32 reports, the least recently read leaving first.
            others = [f"Text number {i}." for i in range(32)]
            for other in others[:30]:
                scrivolux.lix(other)
            scrivolux.lix(text)
            self.assertEqual(len(calls), 2 + 30)
            scrivolux.lix(others[30])  # the careful report of text leaves
            scrivolux.lix(text, rules="careful")  # and others[0]
            scrivolux.lix(others[0])
            scrivolux.lix(text)
            self.assertEqual(calls[32:], [others[30], text, others[0]])
            # Two texts of 40 Mi characters are more than the cache holds.
            big = ["x " * (20 * 1024 * 1024), "y " * (20 * 1024 * 1024)]
            del calls[:]
            for _ in range(2):
                scrivolux.letter_count(big[0], unknown="zero")
            scrivolux.letter_count(big[1], unknown="zero")
            scrivolux.letter_count(big[1], unknown="zero")
            scrivolux.letter_count(big[0], unknown="zero")
            self.assertEqual(len(calls), 3)
        finally:
            scrivolux.analyse = original


if __name__ == "__main__":
    unittest.main()
