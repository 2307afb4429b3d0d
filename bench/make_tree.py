#!/usr/bin/env python3
"""Writes the benchmark tree: TOP folders of SUB folders of FILES files each, plus one folder 'big'
holding BIG files. Names and sizes follow from the file's index alone, so every run builds the same
tree. Work is spread over processes by top folder (and by slices of 'big').
Usage: make_tree.py ROOT [SCALE]; SCALE (default 1) multiplies TOP and BIG, so 4 gives about 5 million
entries."""
import os
import sys
from multiprocessing import Pool

TOP, SUB, FILES, BIG = 50, 1000, 20, 200_000
EXTENSIONS = [".txt", ".jpg", ".png", ".mp4", ".c", ".h", ".json", ".log", ".pdf", ".mp3", ".gz", ".dat", "", ".py"]
ZEROS = bytes(200_000)


def size_of(index):
    h = (index * 2654435761) & 0xFFFFFFFF
    if index % 10 == 0:
        return 0
    if index % 997 == 0:
        return 100_000 + h % 100_000
    return h % 4000


def write(folder, index):
    name = "item%07d%s" % (index, EXTENSIONS[index % len(EXTENSIONS)])
    fd = os.open(os.path.join(folder, name), os.O_CREAT | os.O_WRONLY | os.O_TRUNC, 0o644)
    size = size_of(index)
    if size:
        os.write(fd, ZEROS[:size])
    os.close(fd)


def make_top(args):
    root, t = args
    for s in range(SUB):
        folder = os.path.join(root, "d%02d" % t, "s%04d" % s)
        os.makedirs(folder, exist_ok=True)
        first = (t * SUB + s) * FILES
        for i in range(first, first + FILES):
            write(folder, i)


def make_big_slice(args):
    root, start, end, top = args
    folder = os.path.join(root, "big")
    for i in range(start, end):
        write(folder, top * SUB * FILES + i)


def main():
    root = sys.argv[1]
    scale = int(sys.argv[2]) if len(sys.argv) > 2 else 1
    top, big = TOP * scale, BIG * scale
    os.makedirs(os.path.join(root, "big"), exist_ok=True)
    jobs = os.cpu_count() or 4
    step = big // (jobs * 4)
    with Pool(jobs) as pool:
        pool.map(make_big_slice, [(root, a, min(a + step, big), top) for a in range(0, big, step)], chunksize=1)
        pool.map(make_top, [(root, t) for t in range(top)], chunksize=1)


if __name__ == "__main__":
    main()
