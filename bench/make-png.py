#!/usr/bin/env python3
"""A PNG of WIDTH x HEIGHT, every pixel zero, for timing the preview's reading (`brenwick-bench preview`).

usage: make-png.py OUT WIDTH HEIGHT DEPTH COLOUR FILTER [--interlaced]

DEPTH and COLOUR as in the PNG header (COLOUR 0 grey, 2 RGB, 4 grey and alpha, 6 RGBA); FILTER the filter
type of every row (0 none, 2 up, 4 Paeth: the costliest to undo). Rows are compressed a block at a time, so
that gigapixels take little memory and a small file.
"""
import struct
import sys
import zlib

ADAM7 = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]


def chunk(out, kind, data):
    out.write(struct.pack('>I', len(data)) + kind + data)
    out.write(struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff))


def main():
    args = [a for a in sys.argv[1:] if a != '--interlaced']
    interlaced = len(args) != len(sys.argv) - 1
    if len(args) != 6:
        sys.exit(__doc__)
    path, width, height, depth, colour, row_filter = args[0], *map(int, args[1:])
    channels = {0: 1, 2: 3, 4: 2, 6: 4}[colour]
    passes = [(width, height)]
    if interlaced:
        passes = [(max(0, (width - x + dx - 1) // dx), max(0, (height - y + dy - 1) // dy)) for x, y, dx, dy in ADAM7]
    with open(path, 'wb') as out:
        out.write(b'\x89PNG\r\n\x1a\n')
        chunk(out, b'IHDR', struct.pack('>IIBBBBB', width, height, depth, colour, 0, 0, int(interlaced)))
        compressor = zlib.compressobj(9)
        for pass_width, pass_height in passes:
            if pass_width == 0 or pass_height == 0:
                continue
            row = bytes([row_filter]) + bytes((pass_width * channels * depth + 7) // 8)
            per_block = max(1, (4 << 20) // len(row))
            for y in range(0, pass_height, per_block):
                data = compressor.compress(row * min(per_block, pass_height - y))
                if data:
                    chunk(out, b'IDAT', data)
        chunk(out, b'IDAT', compressor.flush())
        chunk(out, b'IEND', b'')


main()
