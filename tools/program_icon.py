"""The programs' icon: the wizard's mark, white on a rounded tile of the brand gradient.

Every size is drawn at its own resolution (not scaled down from the large one), so the small
images keep crisp edges. The .ico holds 32-bit images with an AND mask for the sizes up to 48
and a PNG for the 256-pixel image, as the shell expects.
"""
import io
import struct

import numpy as np

import skinart as sa

SIZES = (16, 20, 24, 32, 48, 256)


def picture(n):
    """The n x n icon image (PIL RGBA)."""
    c = sa.Canvas(n, n)
    # A small margin at the larger sizes, as system icons have; the small ones use every pixel.
    m = 0 if n <= 24 else n / 32.0
    tile = sa.rounded_rect(n, n, round(m), round(m), n - round(m), n - round(m), n * 0.22)
    yy, xx = np.mgrid[0:n, 0:n].astype(np.float32) / n
    grad = sa.vertical_gradient(n, n, sa.BLUE_TOP, sa.BLUE_BOTTOM)
    glow = np.exp(-(((xx - 0.15) / 0.55) ** 2 + ((yy - 0.95) / 0.45) ** 2))[..., None]
    c.over(grad * (1 - 0.55 * glow) + sa.rgb(sa.TEAL) * 0.55 * glow, tile)
    # The bubble's tail reaches down to the left; the mark sits a little high to balance it.
    body, gusts = sa.emblem(n, n, n * 0.52, n * 0.46, n * 0.34)
    c.over((255, 255, 255), body * (1 - gusts))
    return c.image()


def bitmap_entry(img):
    """BITMAPINFOHEADER, bottom-up BGRA rows and the AND mask (1 where fully transparent)."""
    px = np.asarray(img, dtype=np.uint8)
    n = px.shape[0]
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, n * n * 4, 0, 0, 0, 0)
    bgra = px[::-1][..., [2, 1, 0, 3]].tobytes()
    stride = (n + 31) // 32 * 4
    mask = b""
    for row in px[::-1]:
        bits = np.packbits((row[:, 3] == 0).astype(np.uint8))
        mask += bits.tobytes().ljust(stride, b"\0")
    return header + bgra + mask


def png_entry(img):
    out = io.BytesIO()
    img.save(out, "PNG", compress_level=9, optimize=False)
    return out.getvalue()


def ico_bytes(images=None):
    """The .ico file of the pictures of SIZES (or of the given {size: image})."""
    images = images or {n: picture(n) for n in SIZES}
    blobs = [(n, png_entry(images[n]) if n >= 256 else bitmap_entry(images[n])) for n in sorted(images)]
    offset = 6 + 16 * len(blobs)
    head = struct.pack("<HHH", 0, 1, len(blobs))
    entries = b""
    for n, blob in blobs:
        entries += struct.pack("<BBBBHHII", n % 256, n % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    return head + entries + b"".join(blob for _, blob in blobs)
