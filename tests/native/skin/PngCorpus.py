#!/usr/bin/env python3
"""Writes the PNG test corpus into the folder given as the only argument.

Every colour type with each bit depth it allows, interlaced and not, with and without tRNS,
in several odd sizes. Rows cycle through all five filter types, the compressed data is split
over several IDAT chunks (one of them empty) and ancillary chunks sit before and after it.

File names say what a file holds: c<colour type>_d<bit depth>_i<interlace>_<trns>_<w>x<h>.png
with <trns> one of none, key (grey or RGB key, or a palette whose tRNS entries are all 0 or
255) and partial (palette entries with partial alpha). In key files pixel (0, 0) has the
transparent colour.
"""
import os
import random
import struct
import sys
import zlib

DEPTHS = {0: (1, 2, 4, 8, 16), 2: (8, 16), 3: (1, 2, 4, 8), 4: (8, 16), 6: (8, 16)}
CHANNELS = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}
SIZES = ((1, 1), (3, 7), (33, 17), (70, 9))
ADAM7 = ((0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4),
         (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2))


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def pack_row(pixels, depth):
    if depth == 8:
        return bytes(s for p in pixels for s in p)
    if depth == 16:
        return b"".join(struct.pack(">H", s) for p in pixels for s in p)
    out, acc, bits = bytearray(), 0, 0
    for p in pixels:
        acc = (acc << depth) | p[0]
        bits += depth
        if bits == 8:
            out.append(acc)
            acc, bits = 0, 0
    if bits:
        out.append(acc << (8 - bits))
    return bytes(out)


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def filter_row(kind, row, prev, bpp):
    out = bytearray([kind])
    for i, x in enumerate(row):
        a = row[i - bpp] if i >= bpp else 0
        b = prev[i]
        c = prev[i - bpp] if i >= bpp else 0
        pred = (0, a, b, (a + b) // 2, paeth(a, b, c))[kind]
        out.append((x - pred) & 0xFF)
    return bytes(out)


def image_data(pixels, width, height, depth, channels, interlaced):
    bpp = max(1, channels * depth // 8)
    passes = ADAM7 if interlaced else ((0, 0, 1, 1),)
    raw, counter = bytearray(), 0
    for x0, y0, dx, dy in passes:
        rows = [pack_row(pixels[y][x0::dx], depth) for y in range(y0, height, dy)]
        if x0 >= width:
            continue
        prev = bytes(len(rows[0])) if rows else b""
        for row in rows:
            raw += filter_row(counter % 5, row, prev, bpp)
            counter += 1
            prev = row
    return zlib.compress(bytes(raw), 6)


def make_image(rng, ctype, depth, width, height, trns):
    channels = CHANNELS[ctype]
    top = (1 << depth) - 1
    palette_size = min(1 << depth, 200)
    if ctype == 3:
        pixels = [[(rng.randrange(palette_size),) for _ in range(width)] for _ in range(height)]
    else:
        # Smooth ramps with noise, so that every Paeth branch and both halves of the range occur.
        pixels = [[tuple(min(top, max(0, (x * 37 + y * 11 + c * 53) * top // 200
                                      + rng.randrange(-top // 8 - 1, top // 8 + 2)))
                         for c in range(channels))
                   for x in range(width)] for y in range(height)]
    chunks = []
    if ctype == 3:
        palette = bytes(rng.randrange(256) for _ in range(3 * palette_size))
        chunks.append(chunk(b"PLTE", palette))
        if trns == "key":
            alphas = [0 if i % 3 == 1 else 255 for i in range(palette_size)]
            chunks.append(chunk(b"tRNS", bytes(alphas[:max(2, palette_size - 1)])))
            pixels[0][0] = (1,)
        elif trns == "partial":
            alphas = [(i * 67 + 30) % 256 for i in range(palette_size)]
            chunks.append(chunk(b"tRNS", bytes(alphas[:max(1, palette_size // 2)])))
    elif trns == "key":
        key = tuple(rng.randrange(top + 1) for _ in range(channels))
        chunks.append(chunk(b"tRNS", b"".join(struct.pack(">H", k) for k in key)))
        pixels[0][0] = key
        if depth == 16 and width > 1:
            # Same high bytes as the key but not the key: must stay opaque.
            pixels[0][1] = tuple(k ^ 1 for k in key)
    return pixels, chunks


def write_png(path, rng, ctype, depth, width, height, interlaced, trns):
    pixels, extra = make_image(rng, ctype, depth, width, height, trns)
    header = struct.pack(">IIBBBBB", width, height, depth, ctype, 0, 0, 1 if interlaced else 0)
    data = image_data(pixels, width, height, depth, CHANNELS[ctype], interlaced)
    cut = [0, len(data) // 3, len(data) // 3, 2 * len(data) // 3, len(data)]
    idats = [chunk(b"IDAT", data[a:b]) for a, b in zip(cut, cut[1:])]
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header))
        f.write(chunk(b"gAMA", struct.pack(">I", 45455)))
        for c in extra:
            f.write(c)
        f.write(chunk(b"tEXt", b"Comment\0corpus"))
        for c in idats:
            f.write(c)
        f.write(chunk(b"tIME", bytes(7)))
        f.write(chunk(b"IEND", b""))


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    rng = random.Random(20261208)
    for ctype, depths in DEPTHS.items():
        kinds = {0: ("none", "key"), 2: ("none", "key"), 3: ("none", "key", "partial")}.get(ctype, ("none",))
        for depth in depths:
            for interlaced in (0, 1):
                for trns in kinds:
                    for width, height in SIZES:
                        name = "c%d_d%d_i%d_%s_%dx%d.png" % (ctype, depth, interlaced, trns, width, height)
                        write_png(os.path.join(out, name), rng, ctype, depth, width, height, interlaced, trns)


if __name__ == "__main__":
    main()
