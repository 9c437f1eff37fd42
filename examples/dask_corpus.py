#!/usr/bin/python3
"""Readability of a whole corpus on a Dask cluster, with the scrivolux module.

    dask_corpus.py INPUT OUTPUT [--format jsonl|csv] [--scheduler ADDRESS]
                   [--workers N] [--partition-size N] [--blocksize SIZE]
                   [--rules classic|careful] [--unknown estimate|zero]

INPUT is a folder (every regular file in it and below, read as UTF-8 text) or a
JSON Lines file with one document per line: {"id": ..., "text": ...}. A folder
is cut into partitions of --partition-size files; a JSON Lines file into blocks
of --blocksize bytes (16MiB by default; "2MB", "512KiB" or a number of bytes),
so that a corpus of one large file still keeps every worker busy (Dask makes
size // blocksize blocks, at least one: give a file of 20 MB on 8 workers 2MB
blocks). OUTPUT
is a folder that receives one part file per partition (00000.jsonl,
00001.jsonl, ... or 00000.csv, ...): per document the object of
scrivolux-cli --format=jsonl, or its CSV row. Without --scheduler a local
cluster of --workers processes is started.

Each partition is analysed by one call of scrivolux.analyse_many, which counts
without the GIL; the word list is loaded once per worker process.
"""

import argparse
import json
import os
import sys

import dask.bag as db

import scrivolux


def read_document(path):
    with open(path, "rb") as file:
        data = file.read()
    try:
        return data.decode("utf-8")
    except UnicodeDecodeError:
        return data.decode("cp1252", errors="replace")


def folder_documents(folder):
    paths = []
    for root, _, files in os.walk(folder):
        paths += [os.path.join(root, name) for name in files]
    return sorted(paths)


def analyse_partition(documents, output_format, options):
    """documents: (name, text) pairs. One result line per document."""
    documents = list(documents)  # a partition may come as an iterator
    names = [name for name, _ in documents]
    texts = [text for _, text in documents]
    if output_format == "csv":
        return scrivolux.csv_rows(texts, names=names, threads=1, **options)
    reports = scrivolux.analyse_many(texts, names=names, threads=1, **options)
    return [json.dumps(report, ensure_ascii=False) + "\n" for report in reports]


def document_bag(source, partition_size, blocksize):
    """A bag of (name, text) pairs from a folder or a JSON Lines file."""
    if os.path.isdir(source):
        paths = folder_documents(source)
        return db.from_sequence(paths, partition_size=partition_size).map(
            lambda path: (path, read_document(path)))
    records = db.read_text(source, blocksize=blocksize).filter(str.strip).map(json.loads)
    return records.map(lambda record: (str(record.get("id", "")), record["text"]))


DEFAULT_BLOCKSIZE = 16 * 1024 * 1024


def block_size(text):
    """--blocksize: a number of bytes, with or without a unit (2MB, 512KiB)."""
    from dask.utils import parse_bytes

    try:
        size = parse_bytes(text)
    except (ValueError, TypeError):
        raise argparse.ArgumentTypeError(f"not a size: {text!r}")
    if size < 1:
        raise argparse.ArgumentTypeError(f"a block must hold at least one byte, not {text!r}")
    return size


def analyse_corpus(source, output, output_format="jsonl", partition_size=100,
                   blocksize=DEFAULT_BLOCKSIZE, **options):
    """Writes the part files of OUTPUT on the current Dask client and returns
    their paths, in the order of the documents. A folder is cut into partitions
    of partition_size documents, a JSON Lines file into blocks of about
    blocksize bytes."""
    documents = document_bag(source, partition_size, blocksize)
    lines = documents.map_partitions(analyse_partition, output_format, options)
    os.makedirs(output, exist_ok=True)
    header = scrivolux.csv_header() if output_format == "csv" else ""
    parts = lines.map_partitions(lambda rows: [header + "".join(rows)])
    return parts.to_textfiles(os.path.join(output, "*." + output_format),
                              name_function=lambda i: f"{i:05d}", last_endline=False)


def main(arguments):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("input", help="a folder of text files or a JSON Lines file")
    parser.add_argument("output", help="the folder for the part files")
    parser.add_argument("--format", choices=["jsonl", "csv"], default="jsonl")
    parser.add_argument("--scheduler", help="the address of a running Dask scheduler")
    parser.add_argument("--workers", type=int, default=os.cpu_count() or 1,
                        help="worker processes of the local cluster (default: one per processor)")
    parser.add_argument("--partition-size", type=int, default=100,
                        help="documents per partition, for a folder (default: 100)")
    parser.add_argument("--blocksize", type=block_size, default=DEFAULT_BLOCKSIZE,
                        help="bytes per partition of a JSON Lines file, such as 2MB "
                             "(default: 16MiB)")
    parser.add_argument("--rules", choices=["classic", "careful"], default="classic")
    parser.add_argument("--unknown", choices=["estimate", "zero"], default="estimate")
    args = parser.parse_args(arguments)

    from distributed import Client, LocalCluster

    if args.scheduler:
        client = Client(args.scheduler)
        cluster = None
    else:
        cluster = LocalCluster(n_workers=args.workers, threads_per_worker=1, processes=True,
                               dashboard_address=None)
        client = Client(cluster)
    try:
        written = analyse_corpus(args.input, args.output, args.format, args.partition_size,
                                 args.blocksize, rules=args.rules, unknown=args.unknown)
        print(f"{len(written)} part files in {args.output}")
    finally:
        client.close()
        if cluster is not None:
            cluster.close()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
