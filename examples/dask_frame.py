#!/usr/bin/python3
"""Readability of a corpus as a dask.dataframe, one row per document.

    dask_frame.py INPUT [--output FILE.parquet|FILE.csv] [--scheduler ADDRESS]
                  [--workers N] [--blocksize SIZE] [--partition-size N]
                  [--rules classic|careful] [--columns a,b,c] [--checks]

INPUT is a JSON Lines file with one document per line, {"id": ..., "text": ...},
cut into blocks of --blocksize bytes (16MiB by default), or a folder whose files
(read as UTF-8 text) are cut into partitions of --partition-size files. Each
partition becomes a pandas DataFrame through one call of
scrivolux.analyse_frame, indexed by the documents' ids or paths. Without
--output the summary of a few columns is printed; with it, the frame is
written (one file per partition for CSV, FILE-*.csv).
"""

import argparse
import os
import sys

import dask
import dask.dataframe as dd
import pandas

import scrivolux

DEFAULT_BLOCKSIZE = 16 * 1024 * 1024


# As in dask_corpus.py; each example stands alone, so that a worker needs only
# the scrivolux module.
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


def frame_of_partition(documents, options):
    """documents: a pandas DataFrame with "id" and "text" columns."""
    return scrivolux.analyse_frame(documents["text"], names=documents["id"], threads=1,
                                   **options)


def document_frame(source, blocksize, partition_size):
    """A dask.dataframe of ("id", "text") from a JSON Lines file or a folder."""
    if os.path.isdir(source):
        paths = folder_documents(source)
        chunks = [paths[i:i + partition_size] for i in range(0, len(paths), partition_size)]
        parts = [dask.delayed(lambda chunk: pandas.DataFrame(
            {"id": chunk, "text": [read_document(p) for p in chunk]}))(chunk) for chunk in chunks]
        meta = pandas.DataFrame({"id": pandas.Series(dtype=object),
                                 "text": pandas.Series(dtype=object)})
        return dd.from_delayed(parts, meta=meta)
    return dd.read_json(source, lines=True, blocksize=blocksize, dtype={"id": object,
                                                                        "text": object})


def analyse_corpus_frame(source, blocksize=DEFAULT_BLOCKSIZE, partition_size=100, **options):
    """The corpus's frame on the current Dask client, not yet computed."""
    documents = document_frame(source, blocksize, partition_size)
    # The frame's columns and types, from one short text.
    meta = scrivolux.analyse_frame(["A text."], **options).iloc[:0]
    return documents.map_partitions(frame_of_partition, options, meta=meta)


def main(arguments):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("input", help="a JSON Lines file or a folder of text files")
    parser.add_argument("--output", help="a .parquet or .csv file for the frame")
    parser.add_argument("--scheduler", help="the address of a running Dask scheduler")
    parser.add_argument("--workers", type=int, default=os.cpu_count() or 1)
    parser.add_argument("--blocksize", type=block_size, default=DEFAULT_BLOCKSIZE,
                        help="bytes per partition of a JSON Lines file (default: 16MiB)")
    parser.add_argument("--partition-size", type=int, default=100,
                        help="files per partition, for a folder (default: 100)")
    parser.add_argument("--rules", choices=["classic", "careful"], default="classic")
    parser.add_argument("--columns", type=lambda text: text.split(","),
                        help="the frame's columns, comma-separated (default: all)")
    parser.add_argument("--checks", action="store_true", help="count the writing checks")
    args = parser.parse_args(arguments)

    from distributed import Client, LocalCluster

    cluster = None
    if args.scheduler:
        client = Client(args.scheduler)
    else:
        cluster = LocalCluster(n_workers=args.workers, threads_per_worker=1, processes=True,
                               dashboard_address=None)
        client = Client(cluster)
    try:
        frame = analyse_corpus_frame(args.input, args.blocksize, args.partition_size,
                                     rules=args.rules, columns=args.columns,
                                     checks=args.checks)
        if args.output and args.output.endswith(".parquet"):
            frame.to_parquet(args.output)
        elif args.output:
            frame.to_csv(args.output.replace(".csv", "-*.csv"))
        else:
            shown = [c for c in ("words", "flesch_kincaid_grade", "consensus_grade")
                     if c in frame.columns]
            print(f"{frame.npartitions} partitions")
            print(frame[shown].describe().compute())
    finally:
        client.close()
        if cluster is not None:
            cluster.close()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
