#!/usr/bin/python3
"""Size of a Windows program without its resources: the file's size less the raw size of its
.rsrc section, read from the PE section table.

    tools/program_size.py PROGRAM LIMIT
        prints "NAME: N bytes without resources (limit LIMIT)"
    tools/program_size.py --check PROGRAM LIMIT
        the same; exits 1 when N is not below LIMIT
"""
import os
import struct
import sys


def size_without_resources(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"MZ":
        raise ValueError("%s: not an executable" % path)
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("%s: no PE header" % path)
    sections, = struct.unpack_from("<H", data, pe + 6)
    optional_size, = struct.unpack_from("<H", data, pe + 20)
    table = pe + 24 + optional_size
    resources = 0
    for i in range(sections):
        header = table + 40 * i
        name = data[header:header + 8].rstrip(b"\0")
        raw_size, = struct.unpack_from("<I", data, header + 16)
        if name == b".rsrc":
            resources += raw_size
    return len(data) - resources


def main(argv):
    check = argv[:1] == ["--check"]
    if check:
        argv = argv[1:]
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    path, limit = argv[0], int(argv[1])
    size = size_without_resources(path)
    print("%s: %d bytes without resources (limit %d)" % (os.path.basename(path), size, limit))
    if check and size >= limit:
        print("%s is not below its limit" % os.path.basename(path))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
