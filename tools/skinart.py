"""Drawing primitives for the generated pictures.

Shapes are rasterised as coverage masks at SS times the target size and box-filtered down, so
every edge is anti-aliased the same way. A Canvas keeps premultiplied float RGBA, composites
coverage masks with source-over and converts to straight 8-bit RGBA at the end.
"""
import math

import numpy as np
from PIL import Image, ImageDraw, ImageFont

SS = 4
FONT_DIR = "/usr/share/fonts/truetype/crosextra/"

# The colour scheme: a breezy blue with a teal accent.
BLUE_TOP = (38, 146, 220)
BLUE_BOTTOM = (20, 84, 166)
TEAL = (42, 196, 190)
INK = (52, 62, 80)
GREY_TEXT = (138, 148, 164)


def font(size, bold=False):
    name = "Carlito-Bold.ttf" if bold else "Carlito-Regular.ttf"
    return ImageFont.truetype(FONT_DIR + name, size)


def rgb(c):
    return np.array(c, dtype=np.float32) / 255.0


def coverage(w, h, draw, ss=SS):
    """Calls draw(ImageDraw, s) on a w*ss x h*ss grey image; s maps target units to it."""
    img = Image.new("L", (w * ss, h * ss), 0)
    draw(ImageDraw.Draw(img), ss)
    a = np.asarray(img, dtype=np.float32).reshape(h, ss, w, ss).mean(axis=(1, 3))
    return a / 255.0


def rounded_rect(w, h, x0, y0, x1, y1, r):
    """Coverage of the rounded rectangle covering target pixels x0 <= x < x1, y0 <= y < y1."""
    def draw(d, s):
        d.rounded_rectangle([x0 * s, y0 * s, x1 * s - 1, y1 * s - 1], radius=r * s, fill=255)
    return coverage(w, h, draw)


def ellipse(w, h, cx, cy, rx, ry=None):
    ry = rx if ry is None else ry

    def draw(d, s):
        d.ellipse([(cx - rx) * s, (cy - ry) * s, (cx + rx) * s - 1, (cy + ry) * s - 1], fill=255)
    return coverage(w, h, draw)


def stroke_points(d, s, pts, width):
    """A thick polyline with round caps and joins, in target units."""
    r = width * s / 2.0
    sp = [(x * s, y * s) for x, y in pts]
    if len(sp) > 1:
        d.line(sp, fill=255, width=max(1, int(round(width * s))))
    for x, y in sp:
        d.ellipse([x - r, y - r, x + r, y + r], fill=255)


def polyline(w, h, pts, width):
    return coverage(w, h, lambda d, s: stroke_points(d, s, pts, width))


def text_mask(w, h, x, y, text, size, bold=False, anchor="la"):
    """Coverage of text whose anchor point is (x, y) in target pixels."""
    f = font(int(round(size * SS)), bold)

    def draw(d, s):
        d.text((x * s, y * s), text, font=f, fill=255, anchor=anchor)
    return coverage(w, h, draw)


def text_width(text, size, bold=False):
    return font(size * SS, bold).getlength(text) / SS


def vertical_gradient(w, h, top, bottom, y0=0, y1=None):
    """h x w x 3 colours running from top at row y0 to bottom at row y1."""
    y1 = h if y1 is None else y1
    t = np.clip((np.arange(h, dtype=np.float32) + 0.5 - y0) / max(1, y1 - y0), 0, 1)
    col = rgb(top)[None, :] * (1 - t[:, None]) + rgb(bottom)[None, :] * t[:, None]
    return np.broadcast_to(col[:, None, :], (h, w, 3)).copy()


def blur(a, sigma):
    """Separable Gaussian blur of a 2-D float array (edges padded with zeros)."""
    rad = int(math.ceil(sigma * 3))
    k = np.exp(-0.5 * (np.arange(-rad, rad + 1) / sigma) ** 2)
    k /= k.sum()
    p = np.pad(a, rad)
    p = np.apply_along_axis(lambda r: np.convolve(r, k, mode="same"), 1, p)
    p = np.apply_along_axis(lambda c: np.convolve(c, k, mode="same"), 0, p)
    return p[rad:-rad, rad:-rad]


class Canvas:
    """Premultiplied RGBA in floats 0..1, starting transparent (or filled with an opaque colour)."""

    def __init__(self, w, h, fill=None):
        self.w, self.h = w, h
        self.rgb = np.zeros((h, w, 3), np.float32)
        self.a = np.zeros((h, w), np.float32)
        if fill is not None:
            self.rgb[:] = rgb(fill)
            self.a[:] = 1.0

    def over(self, colour, alpha):
        """Source-over of a colour (tuple or h x w x 3 array, 0..1 if array) with coverage alpha."""
        c = rgb(colour) if isinstance(colour, tuple) else colour
        alpha = np.clip(alpha, 0, 1)
        self.rgb = c * alpha[..., None] + self.rgb * (1 - alpha[..., None])
        self.a = alpha + self.a * (1 - alpha)

    def erase(self, alpha):
        """Cuts coverage alpha out of the picture (destination-out)."""
        keep = 1 - np.clip(alpha, 0, 1)
        self.rgb *= keep[..., None]
        self.a *= keep

    def image(self, mode="RGBA"):
        a = self.a
        straight = np.where(a[..., None] > 1e-6, self.rgb / np.maximum(a, 1e-6)[..., None], 0)
        px = np.clip(np.round(straight * 255), 0, 255).astype(np.uint8)
        if mode == "RGB":
            return Image.fromarray(px, "RGB")
        al = np.clip(np.round(a * 255), 0, 255).astype(np.uint8)
        # Fully transparent pixels carry black, so the files hold no stray colour.
        px[al == 0] = 0
        return Image.fromarray(np.dstack([px, al]), "RGBA")


def emblem(w, h, cx, cy, r):
    """The Marlowind mark: a round speech bubble with its tail at the lower left, three gusts of
    wind cut out of it. Returns (bubble coverage, gust coverage)."""
    def bubble(d, s):
        d.ellipse([(cx - r) * s, (cy - r * 0.88) * s, (cx + r) * s, (cy + r * 0.88) * s], fill=255)
        d.polygon([((cx - r * 0.62) * s, (cy + r * 0.45) * s),
                   ((cx - r * 0.95) * s, (cy + r * 1.12) * s),
                   ((cx - r * 0.12) * s, (cy + r * 0.80) * s)], fill=255)
    body = coverage(w, h, bubble)

    gusts = np.zeros((h, w), np.float32)
    width = max(1.2, r * 0.15)
    # Each gust: a straight run that ends in a curl turning upwards, as wind is drawn by hand.
    for dy, x0, x1, curl in ((-0.36, -0.62, 0.28, 0.22), (0.02, -0.70, 0.46, 0.0),
                             (0.38, -0.48, 0.18, -0.20)):
        y = cy + dy * r
        pts = [(cx + x0 * r + (x1 - x0) * r * t / 20, y) for t in range(21)]
        if curl:
            rc = abs(curl) * r
            xe = cx + x1 * r
            sign = 1 if curl > 0 else -1
            for i in range(1, 28):
                t = i / 27.0
                ang = math.pi / 2 - t * 1.55 * math.pi
                rr = rc * (1 - 0.45 * t)
                pts.append((xe + rr * math.cos(ang), y - sign * (rc - rr * math.sin(ang))))
        gusts = np.maximum(gusts, polyline(w, h, pts, width))
    return body, gusts
