#!/usr/bin/env python3
"""Packs one file into one bare zlib stream (RFC 1950): header 78 01 (deflate, 32 KiB window,
fastest level), deflate data, Adler-32. Reads and writes in blocks, so any size packs in
constant memory.

usage: pack.py INPUT OUTPUT
"""
import os
import sys
import zlib

BLOCK = 1 << 20


def pack(source, target):
    packer = zlib.compressobj(level=1, method=zlib.DEFLATED, wbits=15)
    partial = target + ".part"
    with open(source, "rb") as src, open(partial, "wb") as dst:
        while True:
            block = src.read(BLOCK)
            if not block:
                break
            dst.write(packer.compress(block))
        dst.write(packer.flush(zlib.Z_FINISH))
    os.replace(partial, target)


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    pack(argv[1], argv[2])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
