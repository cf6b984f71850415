"""Checks of the generated files as the installer and the messenger will read them.

PNG headers are read from the bytes (chunk walk with CRCs), not through PIL, so a file that PIL
would accept but a strict decoder would not is caught. Pixel checks look at what a user sees:
the shapes are where the window's hit areas are and the faces differ.
"""
import io
import os
import struct
import zlib

import numpy as np
from PIL import Image

import skin_pictures as sp
import wallpapers as wp

SKIN = sp.picture_sizes()
WALLS = ["wall%d.png" % i for i in range(1, 5)]
THUMBS = ["smwall%d.png" % i for i in range(1, 5)]
ICON = "resources/Marlowind.ico"
ICON_SIZES = (16, 20, 24, 32, 48, 256)
OUTPUTS = (["resources/skin/" + n for n in SKIN] + ["resources/wallpapers/" + n for n in WALLS + THUMBS]
           + ["resources/wallpapers/about.png", "resources/License.txt",
              "resources/MarlowindOnTheWeb.url", "payloads/theme/Ririvud", ICON])
MAX_WALLPAPER_BYTES = 3 * 1024 * 1024


class PngFault(Exception):
    pass


def png_header(data):
    """Walks the chunks of the PNG at the start of data. Returns (width, height, bit depth,
    colour type, interlace, offset just past IEND). Raises PngFault on any damage."""
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise PngFault("no PNG signature")
    pos, ihdr, seen_idat = 8, None, False
    while True:
        if pos + 12 > len(data):
            raise PngFault("truncated before IEND")
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if len(body) != length or pos + 12 + length > len(data):
            raise PngFault("chunk %r runs past the end" % kind)
        (crc,) = struct.unpack(">I", data[pos + 8 + length:pos + 12 + length])
        if zlib.crc32(kind + body) != crc:
            raise PngFault("bad CRC in %r" % kind)
        if ihdr is None and kind != b"IHDR":
            raise PngFault("first chunk is not IHDR")
        if kind == b"IHDR":
            ihdr = struct.unpack(">IIBBBBB", body)
        seen_idat |= kind == b"IDAT"
        pos += 12 + length
        if kind == b"IEND":
            break
    if not seen_idat:
        raise PngFault("no image data")
    w, h, depth, ctype, _, _, interlace = ihdr
    return w, h, depth, ctype, interlace, pos


def _rgba(path):
    return np.asarray(Image.open(path).convert("RGBA"), dtype=np.int32)


def _lum(px):
    return 0.299 * px[..., 0] + 0.587 * px[..., 1] + 0.114 * px[..., 2]


def check_png_files(root, faults):
    for name, (w, h) in SKIN.items():
        rel = "resources/skin/" + name
        try:
            got = png_header(open(os.path.join(root, rel), "rb").read())[:5]
        except PngFault as e:
            faults.append("%s: %s" % (rel, e))
            continue
        if got != (w, h, 8, 6, 0):
            faults.append("%s: header %s, want %dx%d 8-bit RGBA non-interlaced" % (rel, got, w, h))
    for name in WALLS + THUMBS + ["about.png"]:
        rel = "resources/wallpapers/" + name
        data = open(os.path.join(root, rel), "rb").read()
        want = {"about.png": (300, 279)}.get(name, (wp.THUMB_W, wp.THUMB_H) if name in THUMBS else (wp.W, wp.H))
        try:
            w, h, depth, _, _, end = png_header(data)
        except PngFault as e:
            faults.append("%s: %s" % (rel, e))
            continue
        if (w, h, depth) != want + (8,):
            faults.append("%s: %dx%d depth %d, want %dx%d depth 8" % ((rel, w, h, depth) + want))
        if end != len(data):
            faults.append("%s: bytes after IEND" % rel)
        if name in WALLS and len(data) > MAX_WALLPAPER_BYTES:
            faults.append("%s: %d bytes, over the size budget" % (rel, len(data)))


def check_wallpaper_window(root, faults):
    px = _rgba(os.path.join(root, "resources/skin/Wallpaper.png"))
    a = px[..., 3]
    x0, y0, x1, y1 = sp.HOLE
    hole = px[y0:y1, x0:x1]
    if not (hole == 255).all():
        faults.append("Wallpaper.png: the page area is not plain opaque white")
    frame = np.concatenate([px[y0 - 1, x0 - 1:x1 + 1], px[y1, x0 - 1:x1 + 1],
                            px[y0:y1, x0 - 1], px[y0:y1, x1]])
    if (frame[:, 3] < 255).any() or (_lum(frame) < 200).any():
        faults.append("Wallpaper.png: the panel does not frame the page area in white")
    border = np.concatenate([a[0], a[-1], a[:, 0], a[:, -1]])
    if border.max() > 6:
        faults.append("Wallpaper.png: the shadow is cut off at the edge (alpha %d)" % border.max())
    if a[sp.PANEL[1] + 40, sp.PANEL[0] + 2] != 255 or a[200, sp.PANEL[2] - 3] != 255:
        faults.append("Wallpaper.png: the panel edges are not opaque")
    if not (0 < a[sp.PANEL[3] + 4, 220] < 200):
        faults.append("Wallpaper.png: no soft shadow below the panel")
    bx0, by0, bx1, by1 = sp.CLOSE_BOX
    inside = _lum(px[by0:by1, bx0:bx1])
    if inside.min() > 160:
        faults.append("Wallpaper.png: no close cross in its box")
    around = np.concatenate([_lum(px[by0:by1, bx0 - 4:bx0]).ravel(), _lum(px[by0:by1, bx1:bx1 + 4]).ravel(),
                             _lum(px[by0 - 3:by0, bx0:bx1]).ravel(), _lum(px[by1:by1 + 2, bx0:bx1]).ravel()])
    if around.min() < 250:
        faults.append("Wallpaper.png: the close cross spills out of its box")


def check_buttons(root, faults):
    faces = {n: _rgba(os.path.join(root, "resources/skin/%s.png" % n)) for n in sp.BUTTON_FACES}
    for name, px in faces.items():
        a = px[..., 3]
        if a[0, 0] != 0 or a[0, -1] != 0 or a[-1, 0] != 0 or a[-1, -1] != 0:
            faults.append("%s: corners not transparent" % name)
        if (a[3:-3, 3:-3] != 255).any():
            faults.append("%s: face not opaque" % name)
        if not ((a > 0) & (a < 255)).any():
            faults.append("%s: corners not anti-aliased" % name)
        if _lum(px[8:17, 20:58]).mean() > 170:
            faults.append("%s: too light under the white caption" % name)
    mean = {n: _lum(px[3:-3, 3:-3]).mean() for n, px in faces.items()}
    if not mean["ButtonOver"] > mean["ButtonNormal"] + 10 > mean["ButtonPress"] + 20:
        faults.append("buttons: hover must be lighter and pressed darker than normal: %s" % mean)
    d = faces["ButtonDisabled"][3:-3, 3:-3, :3]
    if (d.max(axis=2) - d.min(axis=2)).max() > 30:
        faults.append("ButtonDisabled: not grey")


def check_radios(root, faults):
    on = _rgba(os.path.join(root, "resources/skin/RadioOn.png"))
    off = _rgba(os.path.join(root, "resources/skin/RadioOff.png"))
    for name, px in (("RadioOn", on), ("RadioOff", off)):
        if px[0, 0, 3] != 0 or px[6, 6, 3] != 255 or px[6, 0, 3] == 0:
            faults.append("%s: not a round opaque disc on a transparent square" % name)
    if not _lum(on[6, 6]) < 140 < _lum(off[6, 6]):
        faults.append("radios: the on image has no dark dot or the off image is not empty")


def check_thumbnails(root, faults):
    for big, small in zip(WALLS, THUMBS):
        b = Image.open(os.path.join(root, "resources/wallpapers", big)).convert("RGB")
        s = np.asarray(Image.open(os.path.join(root, "resources/wallpapers", small)).convert("RGB"), np.float32)
        ref = np.asarray(wp.thumbnail(b), np.float32)
        if np.abs(ref - s).mean() > 3:
            faults.append("%s: not a small copy of %s" % (small, big))
    thumbs = [np.asarray(Image.open(os.path.join(root, "resources/wallpapers", t)).convert("RGB"), np.float32)
              for t in THUMBS]
    for i in range(4):
        if thumbs[i].std() < 10:
            faults.append("%s: a blank fill, not a picture" % THUMBS[i])
        for j in range(i + 1, 4):
            if np.abs(thumbs[i] - thumbs[j]).mean() < 20:
                faults.append("%s and %s: too alike" % (THUMBS[i], THUMBS[j]))


def check_texts(root, faults, license_bytes, url_bytes):
    lic = open(os.path.join(root, "resources/License.txt"), "rb").read()
    if lic != license_bytes:
        faults.append("License.txt: not the encoding of its master")
    if lic[:2] != b"\xff\xfe" or len(lic) % 2:
        faults.append("License.txt: not UTF-16LE with a byte-order mark")
    else:
        text = lic[2:].decode("utf-16-le")
        bare = text.replace("\r\n", "")
        if "\n" in bare or "\r" in bare or not text.endswith("\r\n"):
            faults.append("License.txt: line ends are not all CR LF")
    url = open(os.path.join(root, "resources/MarlowindOnTheWeb.url"), "rb").read()
    lines = url.split(b"\r\n")
    if url != url_bytes or len(lines) != 6 or lines[-1] != b"" or b"\n" in url.replace(b"\r\n", b""):
        faults.append("MarlowindOnTheWeb.url: not the five CR LF lines")
    elif lines[0] != b"[{000214A0-0000-0000-C000-000000000046}]" or not lines[3].startswith(b"URL=https://"):
        faults.append("MarlowindOnTheWeb.url: wrong section or address line")


def check_theme(root, faults):
    data = open(os.path.join(root, "payloads/theme/Ririvud"), "rb").read()
    try:
        end = png_header(data)[5]
    except PngFault as e:
        faults.append("Ririvud: does not begin with a PNG image: %s" % e)
        return
    tail = data[end:]
    if not tail.startswith(b"MarlowindTheme 1\r\n") or not tail.endswith(b"[End]\r\n"):
        faults.append("Ririvud: no theme section after the image")


def ico_images(data):
    """{size: RGBA array} of an .ico file, read from the bytes as the shell reads them.
    Raises PngFault (or struct.error) on a damaged directory or image."""
    reserved, kind, count = struct.unpack("<HHH", data[:6])
    if reserved != 0 or kind != 1:
        raise PngFault("not an icon file")
    images, spans = {}, []
    for i in range(count):
        w, h, colours, _, planes, bits, length, offset = struct.unpack(
            "<BBBBHHII", data[6 + 16 * i:22 + 16 * i])
        n = w or 256
        blob = data[offset:offset + length]
        if (w, colours, planes, bits) != (h, 0, 1, 32) or len(blob) != length:
            raise PngFault("entry %d: not a square 32-bit image inside the file" % i)
        spans.append((offset, offset + length))
        if blob[:8] == b"\x89PNG\r\n\x1a\n":
            if png_header(blob)[:5] != (n, n, 8, 6, 0) or png_header(blob)[5] != length:
                raise PngFault("entry %d: PNG is not %dx%d 8-bit RGBA, or has bytes after IEND" % (i, n, n))
            images[n] = np.asarray(Image.open(io.BytesIO(blob)).convert("RGBA"), dtype=np.int32)
            continue
        size, bw, bh, bplanes, bbits, compression = struct.unpack("<IiiHHI", blob[:20])
        stride = (n + 31) // 32 * 4
        if (size, bw, bh, bplanes, bbits, compression) != (40, n, 2 * n, 1, 32, 0) \
                or length != 40 + 4 * n * n + stride * n:
            raise PngFault("entry %d: bitmap header or length wrong for %dx%d" % (i, n, n))
        px = np.frombuffer(blob, np.uint8, 4 * n * n, 40).reshape(n, n, 4)[::-1][..., [2, 1, 0, 3]]
        mask = np.unpackbits(np.frombuffer(blob, np.uint8, stride * n, 40 + 4 * n * n)
                             .reshape(n, stride), axis=1)[::-1, :n]
        if ((mask == 1) != (px[..., 3] == 0)).any():
            raise PngFault("entry %d: the AND mask does not match the alpha channel" % i)
        images[n] = px.astype(np.int32)
    spans.sort()
    if spans[0][0] != 6 + 16 * count or spans[-1][1] != len(data) or \
            any(a[1] != b[0] for a, b in zip(spans, spans[1:])):
        raise PngFault("images overlap, leave gaps or bytes at the end")
    return images


def _whiteness(px):
    return px[..., :3].min(axis=2) * px[..., 3] / 255.0


def check_icon(root, faults):
    try:
        images = ico_images(open(os.path.join(root, ICON), "rb").read())
    except (PngFault, struct.error, ValueError) as e:
        faults.append("%s: %s" % (ICON, e))
        return
    if tuple(sorted(images)) != ICON_SIZES:
        faults.append("%s: sizes %s, want %s" % (ICON, sorted(images), ICON_SIZES))
        return
    large = Image.fromarray(images[256].astype(np.uint8), "RGBA")
    for n, px in images.items():
        a = px[..., 3]
        c = n // 2
        if a[0, 0] > 64 or a[c, c] != 255:
            faults.append("%s: %d px image is not a tile with transparent corners" % (ICON, n))
        opaque = px[a == 255]
        white = (opaque[:, :3].min(axis=1) > 200).mean()
        if not 0.1 < white < 0.6 or opaque[:, 2].mean() < opaque[:, 0].mean() + 40:
            faults.append("%s: %d px image is not a white mark on the blue tile (%.2f white)" % (ICON, n, white))
        # Where the white mark lies, compared with the large image scaled down: catches an
        # image stored upside down or mirrored, or one of another picture.
        ref = np.asarray(large.resize((n, n), Image.LANCZOS), dtype=np.int32)
        diff = np.abs(_whiteness(ref) - _whiteness(px)).mean()
        if diff > 25:
            faults.append("%s: %d px image does not show what the 256 px one shows (%.1f)" % (ICON, n, diff))


def check_all(root, license_bytes, url_bytes):
    """Returns a list of fault descriptions for the files below root (empty: all good)."""
    faults = []
    for rel in OUTPUTS:
        if not os.path.isfile(os.path.join(root, rel)):
            faults.append("%s: missing" % rel)
    if faults:
        return faults
    check_png_files(root, faults)
    check_wallpaper_window(root, faults)
    check_buttons(root, faults)
    check_radios(root, faults)
    check_thumbnails(root, faults)
    check_texts(root, faults, license_bytes, url_bytes)
    check_theme(root, faults)
    check_icon(root, faults)
    return faults
