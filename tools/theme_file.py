"""The messenger's theme file: a sprite sheet PNG followed by a text section that names the
theme's colours, fonts and the rectangles of its sprites.

Layout of the file: the PNG (signature to IEND), then the section, which starts with the line
"MarlowindTheme 1" and holds INI-style sections in UTF-8 with CR LF line ends. A reader finds the
section by walking the PNG's chunks to IEND.
"""
import io

import numpy as np
from PIL import Image

import skinart as sa

CELL = 64
SHEET_W, SHEET_H = 1024, 832
BACKDROP = (0, 512, 1024, 320)


def _status_dot(c, x, y, colour, ring=(255, 255, 255)):
    w, h = c.w, c.h
    c.over(ring, sa.ellipse(w, h, x + 32, y + 32, 22))
    c.over(colour, sa.ellipse(w, h, x + 32, y + 32, 18))
    c.over((255, 255, 255), sa.ellipse(w, h, x + 26, y + 25, 6) * 0.45)


def _smiley(c, x, y, mouth, colour=(255, 204, 64)):
    w, h = c.w, c.h
    cx, cy = x + 32, y + 32
    c.over((196, 140, 20), sa.ellipse(w, h, cx, cy, 27))
    c.over(colour, sa.ellipse(w, h, cx, cy, 25))
    c.over((70, 44, 10), sa.ellipse(w, h, cx - 9, cy - 7, 3.2, 4.5))
    c.over((70, 44, 10), sa.ellipse(w, h, cx + 9, cy - 7, 3.2, 4.5))
    pts = [(cx + 12 * t, cy + 9 + mouth * (1 - t * t) * 7) for t in np.linspace(-1, 1, 21)]
    c.over((70, 44, 10), sa.polyline(w, h, pts, 3.0))


def _bubble(c, x, y, cw, ch, top, bottom):
    w, h = c.w, c.h
    c.over(sa.vertical_gradient(w, h, top, bottom, y, y + ch), sa.rounded_rect(w, h, x, y, x + cw, y + ch, 14))


def sprite_sheet(backdrop):
    """Returns (RGBA image, {sprite name: (x, y, w, h)}); backdrop is the PIL picture behind the
    chat window, scaled into its place on the sheet."""
    c = sa.Canvas(SHEET_W, SHEET_H)
    sprites = {}
    statuses = (("online", (72, 200, 92)), ("away", (250, 186, 40)), ("busy", (226, 64, 60)),
                ("offline", (150, 156, 166)), ("invisible", (200, 206, 214)), ("mobile", (60, 150, 230)))
    for i, (name, col) in enumerate(statuses):
        _status_dot(c, i * CELL, 0, col)
        sprites["status." + name] = (i * CELL, 0, CELL, CELL)
    moods = (("smile", 1.0), ("grin", 1.6), ("neutral", 0.0), ("sad", -1.0), ("unsure", -0.4))
    for i, (name, m) in enumerate(moods):
        _smiley(c, i * CELL, CELL, m)
        sprites["emoticon." + name] = (i * CELL, CELL, CELL, CELL)
    # Message bubbles, cut into nine parts by the reader (corners of 14 pixels).
    _bubble(c, 0, 2 * CELL, 256, 96, (236, 244, 252), (214, 230, 248))
    _bubble(c, 264, 2 * CELL, 256, 96, (64, 160, 232), (30, 104, 190))
    sprites["bubble.incoming"] = (0, 2 * CELL, 256, 96)
    sprites["bubble.outgoing"] = (264, 2 * CELL, 256, 96)
    # Window header and contact-list backgrounds: wide gradients with the wind lines.
    yy = np.arange(SHEET_H, dtype=np.float32)[:, None] * np.ones((1, SHEET_W), np.float32)
    header = (yy >= 240) * (yy < 340) * 1.0
    c.over(sa.vertical_gradient(SHEET_W, SHEET_H, sa.BLUE_TOP, sa.BLUE_BOTTOM, 240, 340), header)
    for k in range(4):
        pts = [(x, 300 + 10 * k + 8 * np.sin(x / (40.0 + 9 * k) + k)) for x in range(0, SHEET_W + 1, 4)]
        c.over((255, 255, 255), sa.polyline(SHEET_W, SHEET_H, pts, 1.6) * header * (0.25 - 0.04 * k))
    sprites["header"] = (0, 240, SHEET_W, 100)
    listbg = (yy >= 352) * (yy < 512) * 1.0
    c.over(sa.vertical_gradient(SHEET_W, SHEET_H, (250, 252, 255), (226, 236, 248), 352, 512), listbg)
    sprites["contactlist"] = (0, 352, SHEET_W, 160)
    # Avatar frame and the default avatar.
    ax, ay = 544, 2 * CELL
    c.over((255, 255, 255), sa.rounded_rect(SHEET_W, SHEET_H, ax, ay, ax + 96, ay + 96, 12))
    c.over((180, 196, 216), sa.rounded_rect(SHEET_W, SHEET_H, ax + 4, ay + 4, ax + 92, ay + 92, 9))
    c.over((240, 244, 250), sa.ellipse(SHEET_W, SHEET_H, ax + 48, ay + 36, 17))
    c.over((240, 244, 250), sa.ellipse(SHEET_W, SHEET_H, ax + 48, ay + 92, 34, 28)
           * sa.rounded_rect(SHEET_W, SHEET_H, ax + 4, ay + 4, ax + 92, ay + 92, 9))
    sprites["avatar.default"] = (ax, ay, 96, 96)
    body, gusts = sa.emblem(SHEET_W, SHEET_H, 720, 2 * CELL + 48, 40)
    c.over(sa.BLUE_BOTTOM, body * (1 - gusts))
    sprites["logo"] = (672, 2 * CELL, 96, 96)
    sheet = c.image()
    x, y, w, h = BACKDROP
    bw = round(backdrop.height * w / h)
    bw, bh = (bw, backdrop.height) if bw <= backdrop.width else (backdrop.width, round(backdrop.width * h / w))
    x0, y0 = (backdrop.width - bw) // 2, (backdrop.height - bh) // 2
    crop = backdrop.crop((x0, y0, x0 + bw, y0 + bh)).resize((w, h), Image.LANCZOS)
    sheet.paste(crop.convert("RGBA"), (x, y))
    sprites["backdrop"] = BACKDROP
    return sheet, sprites


def theme_section(sprites):
    lines = [
        "MarlowindTheme 1",
        "[Theme]",
        "Name=Ririvud",
        "Author=Marlowind",
        "Version=1.0",
        "Sprites=%d" % len(sprites),
        "[Colors]",
        "WindowBack=#FFFFFF",
        "HeaderText=#FFFFFF",
        "ContactName=#343E50",
        "ContactStatus=#8A94A4",
        "Accent=#2692DC",
        "Link=#1F6FC4",
        "IncomingText=#1E2838",
        "OutgoingText=#FFFFFF",
        "[Fonts]",
        "Default=Calibri,9",
        "ContactName=Calibri,10,bold",
        "Header=Calibri,12,bold",
        "Message=Calibri,10",
        "[Sprites]",
    ]
    lines += ["%s=%d,%d,%d,%d" % ((name,) + rect) for name, rect in sorted(sprites.items())]
    lines.append("[End]")
    return ("\r\n".join(lines) + "\r\n").encode("utf-8")


def theme_bytes(backdrop):
    img, sprites = sprite_sheet(backdrop)
    buf = io.BytesIO()
    img.save(buf, "PNG", compress_level=9)
    return buf.getvalue() + theme_section(sprites)
