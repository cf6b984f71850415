#!/usr/bin/env python3
"""Makes a damaged copy of a packed payload stream for the failure tests.

usage: break_stream.py corrupt|truncate INPUT OUTPUT
  corrupt:  flips the lowest bit of the Adler-32 (every inflated byte is still produced)
  truncate: keeps the first half of the stream
"""
import sys


def main(argv):
    if len(argv) != 4 or argv[1] not in ("corrupt", "truncate"):
        sys.stderr.write(__doc__)
        return 2
    data = bytearray(open(argv[2], "rb").read())
    if argv[1] == "corrupt":
        data[-1] ^= 0x01
    else:
        data = data[: len(data) // 2]
    open(argv[3], "wb").write(bytes(data))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
