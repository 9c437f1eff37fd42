"""examples/dask_corpus.py on a local cluster of two worker processes: its
results equal one process's, document for document. Skipped (exit 77) only
when dask.distributed is not installed."""

import glob
import json
import os
import random
import runpy
import sys
import tempfile
import types
import unittest

try:
    from distributed import Client, LocalCluster
except ImportError:
    print("SKIP: dask.distributed is not installed (Debian package python3-distributed)")
    sys.exit(77)

import scrivolux

EXAMPLE = os.environ["SCRIVOLUX_DASK_EXAMPLE"]
dask_corpus = types.SimpleNamespace(**runpy.run_path(EXAMPLE, run_name="dask_corpus"))
FRAME_EXAMPLE = os.path.join(os.path.dirname(EXAMPLE), "dask_frame.py")

WORDS = ("the a reader teacher understand readability of sentence long short "
         "zorblefax quixotic photosynthesis it was and is in on Mr. 1.5 e.g. "
         "extraordinary happy cat sat mat went home jump\u00e9d na\u00efve").split()


def generated_documents(count):
    generator = random.Random(428)
    documents = []
    for i in range(count):
        sentences = []
        for _ in range(generator.randrange(1, 30)):
            words = generator.choices(WORDS, k=generator.randrange(1, 25))
            sentences.append(" ".join(words).capitalize() + generator.choice([".", ".", "!", "?"]))
        documents.append((f"doc{i:04d}", "\n".join(sentences)))
    return documents


def read_parts(folder, suffix):
    text = ""
    for path in sorted(glob.glob(os.path.join(folder, "*." + suffix))):
        with open(path, encoding="utf-8", newline="") as file:
            text += file.read()
    return text


class OnATwoWorkerCluster(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.cluster = LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                   dashboard_address=None)
        cls.client = Client(cls.cluster)
        cls.documents = generated_documents(428)
        cls.names = [name for name, _ in cls.documents]
        cls.texts = [text for _, text in cls.documents]

    @classmethod
    def tearDownClass(cls):
        cls.client.close()
        cls.cluster.close()

    def test_json_lines_in_json_lines_out(self):
        with tempfile.TemporaryDirectory() as folder:
            source = os.path.join(folder, "corpus.jsonl")
            with open(source, "w", encoding="utf-8") as file:
                for i, (name, text) in enumerate(self.documents):
                    file.write(json.dumps({"id": name, "text": text}) + "\n")
                    if i == 200:
                        file.write("\n")  # a blank line is no document
            output = os.path.join(folder, "out")
            # Small blocks, so that the documents are spread over many tasks.
            written = dask_corpus.analyse_corpus(source, output, "jsonl", blocksize=50_000,
                                                 rules="careful")
            got = [json.loads(line) for line in read_parts(output, "jsonl").splitlines()]
        self.assertGreater(len(written), 4)
        expected = scrivolux.analyse_many(self.texts, names=self.names, rules="careful")
        self.assertEqual(len(got), len(expected))
        for mine, theirs in zip(got, expected):
            self.assertEqual(mine, theirs, theirs["name"])

    def test_a_folder_in_csv_out(self):
        with tempfile.TemporaryDirectory() as folder:
            source = os.path.join(folder, "texts")
            os.mkdir(source)
            paths = []
            texts = list(self.texts)
            texts[0] += " The caf\u00e9 was na\u00efve."
            for (name, _), text in zip(self.documents, texts):
                paths.append(os.path.join(source, name + ".txt"))
                # One file as an older Windows program saved it.
                with open(paths[-1], "w", encoding="cp1252" if name == "doc0000" else "utf-8") as file:
                    file.write(text)
            output = os.path.join(folder, "out")
            written = dask_corpus.analyse_corpus(source, output, "csv", partition_size=50)
            got = read_parts(output, "csv")
        self.assertEqual(len(written), 9)
        header = scrivolux.csv_header()
        rows = scrivolux.csv_rows(texts, names=paths)
        self.assertEqual(got.replace(header, ""), "".join(rows))
        self.assertEqual(got.count(header), 9)
        # Both worker processes did part of the work.
        loaded = self.client.run(lambda: "scrivolux" in sys.modules)
        self.assertEqual(list(loaded.values()), [True, True])

    def write_json_lines(self, folder):
        source = os.path.join(folder, "corpus.jsonl")
        with open(source, "w", encoding="utf-8") as file:
            for name, text in self.documents:
                file.write(json.dumps({"id": name, "text": text}) + "\n")
        return source

    def test_the_block_size_from_the_command_line(self):
        with tempfile.TemporaryDirectory() as folder:
            source = self.write_json_lines(folder)
            size = os.path.getsize(source)
            self.assertGreater(size, 400_000)
            for blocksize, parts in ("16MiB", {1}), (str(size // 3), {3, 4}), ("100kB", {5, 6}):
                with self.subTest(blocksize=blocksize):
                    output = os.path.join(folder, "out" + blocksize)
                    code = dask_corpus.main([source, output, "--blocksize", blocksize,
                                             "--scheduler", self.cluster.scheduler_address])
                    self.assertEqual(code, 0)
                    self.assertIn(len(glob.glob(os.path.join(output, "*.jsonl"))), parts)
                    got = [json.loads(line)["name"]
                           for line in read_parts(output, "jsonl").splitlines()]
                    self.assertEqual(got, self.names)
        for bad in "0", "lots":
            with self.assertRaises(SystemExit):
                dask_corpus.main(["in", "out", "--blocksize", bad])

    def test_a_dask_dataframe_of_the_corpus(self):
        dask_frame = types.SimpleNamespace(**runpy.run_path(FRAME_EXAMPLE, run_name="dask_frame"))
        expected = scrivolux.analyse_frame(self.texts, names=self.names, rules="careful")
        with tempfile.TemporaryDirectory() as folder:
            source = self.write_json_lines(folder)
            frame = dask_frame.analyse_corpus_frame(source, blocksize=50_000, rules="careful")
            self.assertGreater(frame.npartitions, 4)
            got = frame.compute()
            texts = os.path.join(folder, "texts")
            os.mkdir(texts)
            for name, text in self.documents[:120]:
                with open(os.path.join(texts, name), "w", encoding="utf-8") as file:
                    file.write(text)
            by_file = dask_frame.analyse_corpus_frame(texts, partition_size=25, rules="careful",
                                                      columns=["words", "lix"])
            self.assertEqual(by_file.npartitions, 5)
            by_file = by_file.compute()
        self.assertEqual(list(got.index), self.names)
        self.assertEqual(list(got.columns), list(expected.columns))
        self.assertTrue(got.equals(expected) or got.fillna(-1).eq(expected.fillna(-1)).all().all())
        self.assertEqual(list(by_file["lix"]), list(expected["lix"][:120]))
        self.assertEqual([os.path.basename(p) for p in by_file.index], self.names[:120])


if __name__ == "__main__":
    unittest.main()
