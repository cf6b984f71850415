#!/usr/bin/python3
"""Size of a Windows program without its resources: the file's size less the raw size of its
.rsrc section, read from the PE section table.

    tools/program_size.py PROGRAM LIMIT
        prints "NAME: N bytes without resources (limit LIMIT)"
    tools/program_size.py --check PROGRAM LIMIT
        the same; exits 1 when N is not below LIMIT
"""
import os
import sys

from pe_image import PeImage


def size_without_resources(path):
    image = PeImage(path)
    return len(image.data) - image.raw_size_of(".rsrc")


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
