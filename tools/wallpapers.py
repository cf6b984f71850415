"""Four desktop wallpapers (2560 x 1600), their thumbnails and the about picture.

Every picture is built from smooth functions (gradients, sums of sines, Gaussian glows), never
from per-pixel noise, so the PNG files stay small. Random phases come from fixed seeds.
"""
import numpy as np
from PIL import Image

import product_version
import skinart as sa

W, H = 2560, 1600
THUMB_W, THUMB_H = 182, 115


def _grid():
    yy, xx = np.mgrid[0:H, 0:W].astype(np.float32)
    return xx, yy


def _mix(a, b, t):
    """Blends colour arrays (or tuples) a -> b by t (broadcast over the last axis)."""
    a = sa.rgb(a) if isinstance(a, tuple) else a
    b = sa.rgb(b) if isinstance(b, tuple) else b
    t = np.asarray(t, np.float32)
    if t.ndim:
        t = t[..., None]
    return a * (1 - t) + b * t


def _ramp(y, stops):
    """Colour at positions y along a list of (position, colour) stops."""
    pos = np.array([p for p, _ in stops], np.float32)
    cols = np.array([c for _, c in stops], np.float32) / 255.0
    out = np.empty(y.shape + (3,), np.float32)
    for ch in range(3):
        out[..., ch] = np.interp(y, pos, cols[:, ch])
    return out


def _ridge(x, rng, base, amps, freqs):
    """A smooth skyline: base minus a sum of sines with random phases (y grows downwards)."""
    y = np.full_like(x, base)
    for a, f in zip(amps, freqs):
        y -= a * np.sin(x * f + rng.uniform(0, 2 * np.pi))
    return y


def _fill_below(img, yy, edge, colour):
    """Paints colour below the curve edge (one value per column), anti-aliased along it."""
    cov = np.clip(yy - edge[None, :] + 0.5, 0, 1)
    return _mix(img, colour, cov)


def _to_image(img):
    return Image.fromarray(np.clip(np.round(img * 255), 0, 255).astype(np.uint8), "RGB")


def aurora():
    """Night: green and violet curtains of light over mountains and a still lake."""
    rng = np.random.default_rng(11)
    xx, yy = _grid()
    horizon = 1130.0
    sky = _ramp(yy, [(0, (4, 8, 26)), (600, (10, 24, 58)), (horizon, (26, 64, 92))])

    for k, (base, amp, height, tint) in enumerate(((520, 120, 260, (70, 255, 170)),
                                                   (700, 90, 200, (60, 230, 200)),
                                                   (380, 70, 180, (170, 110, 255)))):
        ph = rng.uniform(0, 2 * np.pi, 3)
        centre = (base + amp * np.sin(xx[0] / 430 + ph[0]) + 0.4 * amp * np.sin(xx[0] / 170 + ph[1]))
        d = yy - centre[None, :]
        # Sharp lower hem, long soft rise above it, brighter and dimmer folds along the curtain.
        profile = np.where(d > 0, np.exp(-(d / 26) ** 2), np.exp(d / height))
        folds = 0.55 + 0.45 * np.sin(xx[0] / 95 + ph[2]) * np.sin(xx[0] / 37 + ph[1])
        light = profile * folds[None, :] * 0.75 * np.clip(yy / 420, 0, 1)
        top = np.clip(-d / (height * 2.2), 0, 1)
        colour = _mix(tint, (120, 60, 200), top * (k != 2))
        sky = sky + colour * light[..., None] * (yy < horizon)[..., None]

    # Stars: a few hundred soft dots, dimmer near the horizon.
    for _ in range(420):
        sx, sy = rng.uniform(0, W), rng.uniform(0, horizon * 0.8)
        r, b = rng.uniform(0.8, 2.0), rng.uniform(0.35, 0.95) * (1 - sy / horizon)
        x0, x1, y0, y1 = int(sx) - 4, int(sx) + 5, int(sy) - 4, int(sy) + 5
        if x0 < 0 or y0 < 0 or x1 > W:
            continue
        gy, gx = np.mgrid[y0:y1, x0:x1]
        sky[y0:y1, x0:x1] += (b * np.exp(-((gx - sx) ** 2 + (gy - sy) ** 2) / r ** 2))[..., None]

    img = sky
    layers = ((990, (90, 70, 40), (1 / 610, 1 / 230, 1 / 97), (22, 40, 62), 230, 410),
              (1060, (120, 60, 30), (1 / 480, 1 / 190, 1 / 71), (12, 26, 42), 150, 290),
              (1120, (60, 40, 20), (1 / 700, 1 / 260, 1 / 83), (6, 14, 26), 70, 220))
    for base, amps, freqs, col, peak, period in layers:
        edge = _ridge(xx[0], rng, base, amps, freqs)
        # |sin| has cusps at its zeros: sharp peaks pointing up, rounded valleys between them.
        edge += peak * (np.abs(np.sin(xx[0] / period + rng.uniform(0, 6))) - 1)
        img = _fill_below(img, yy, np.minimum(edge, horizon), col)

    # The lake mirrors what lies above the shore, darker, with a slow ripple.
    rows = np.arange(int(horizon), H)
    src = np.clip(2 * horizon - rows, 0, H - 1).astype(int)
    ripple = (6 * np.sin(rows / 9.0) * (rows - horizon) / (H - horizon)).astype(int)
    mirror = img[src]
    for i, s in enumerate(ripple):
        if s:
            mirror[i] = np.roll(mirror[i], s, axis=0)
    fade = (0.55 - 0.25 * (rows - horizon) / (H - horizon))[:, None, None]
    img[int(horizon):] = mirror * fade + sa.rgb((4, 10, 20)) * (1 - fade)
    return _to_image(img)


def sunset_sea():
    """Evening sea: a low sun in a violet and amber sky, rows of waves catching its light."""
    rng = np.random.default_rng(22)
    xx, yy = _grid()
    horizon = 980.0
    sky = _ramp(yy, [(0, (46, 34, 102)), (420, (150, 70, 130)), (760, (240, 128, 96)),
                     (horizon, (255, 200, 130))])
    sx, sy = 1720.0, 930.0
    dist = np.sqrt((xx - sx) ** 2 + (yy - sy) ** 2)
    sky = sky + sa.rgb((255, 170, 90)) * (0.55 * np.exp(-dist / 420))[..., None]
    sun = np.clip(118 - dist + 0.5, 0, 1)
    sky = _mix(sky, (255, 242, 205), sun)
    # Long thin clouds lit from below.
    for cy, length, thick in ((300, 1300, 16), (470, 900, 12), (610, 1500, 10)):
        cx = rng.uniform(400, 2200)
        band = np.exp(-((yy - cy - 20 * np.sin(xx / 300)) / thick) ** 2) * np.exp(-((xx - cx) / length) ** 2)
        sky = _mix(sky, (255, 150, 120), np.clip(band * 0.7, 0, 1))

    d = np.clip((yy - horizon) / (H - horizon), 0, 1)
    sea = _ramp(d, [(0, (200, 120, 120)), (0.25, (92, 60, 110)), (1, (18, 24, 64))])
    # Crests: sine rows whose spacing grows towards the viewer.
    phase = (d ** 0.6) * 70 + 1.2 * np.sin(xx / (180 + 500 * d + 1) + 3 * d)
    crest = np.clip(np.sin(phase * np.pi), 0, 1) ** 6
    glitter = np.exp(-((xx - sx) / (160 + 700 * d)) ** 2)
    sea = sea + sa.rgb((255, 190, 120)) * (crest * (0.08 + 0.55 * glitter))[..., None]
    sea = sea + sa.rgb((255, 160, 90)) * (0.25 * glitter * (1 - d))[..., None]
    img = np.where((yy >= horizon)[..., None], sea, sky)
    return _to_image(img)


def ribbons():
    """Abstract: silk ribbons sweeping over a deep blue to magenta ground, with soft lights."""
    rng = np.random.default_rng(33)
    xx, yy = _grid()
    u = xx / W + 0.35 * yy / H
    img = _ramp(u, [(0, (12, 20, 60)), (0.6, (40, 30, 110)), (1.35, (150, 40, 120))])
    for cx, cy, r, a in ((420, 300, 260, 0.10), (2100, 1250, 340, 0.08), (1500, 420, 150, 0.12),
                         (900, 1300, 200, 0.09), (2350, 250, 120, 0.10)):
        disc = np.clip((r - np.sqrt((xx - cx) ** 2 + (yy - cy) ** 2)) / 40, 0, 1)
        img = _mix(img, (200, 220, 255), disc * a)
    for k, (base, amp, width, c0, c1) in enumerate(((700, 260, 150, (40, 200, 230), (90, 110, 255)),
                                                    (920, 200, 110, (255, 120, 200), (255, 190, 120)),
                                                    (560, 180, 80, (120, 255, 210), (60, 160, 255)))):
        ph = rng.uniform(0, 2 * np.pi, 2)
        x = xx[0]
        centre = base + amp * np.sin(x / 520 + ph[0]) + 0.35 * amp * np.sin(x / 230 + ph[1])
        half = width * (0.65 + 0.35 * np.sin(x / 610 + ph[1]))
        t = (yy - centre[None, :]) / half[None, :]
        inside = np.clip((1 - np.abs(t)) * half[None, :] / 3, 0, 1)
        # Folds of the silk: shading runs across the ribbon and twists along it.
        shade = 0.55 + 0.45 * np.cos(t * 2.2 + np.sin(x / 300 + ph[0])[None, :] * 1.6)
        colour = _mix(c0, c1, (x / W)[None, :] * np.ones_like(t)) * shade[..., None]
        img = _mix(img, colour, inside * 0.82)
    return _to_image(img)


def hills():
    """Dawn over rolling green hills, mist lying in the valleys, soft clouds."""
    rng = np.random.default_rng(44)
    xx, yy = _grid()
    sky_col = _ramp(yy, [(0, (92, 150, 214)), (600, (170, 204, 236)), (900, (252, 214, 176))])
    sx, sy = 640.0, 840.0
    dist = np.sqrt((xx - sx) ** 2 + (yy - sy) ** 2)
    img = sky_col + sa.rgb((255, 200, 140)) * (0.5 * np.exp(-dist / 380))[..., None]
    for _ in range(7):
        cx, cy = rng.uniform(0, W), rng.uniform(120, 560)
        puff = np.zeros_like(xx)
        for _ in range(6):
            px, py = cx + rng.uniform(-260, 260), cy + rng.uniform(-40, 30)
            r = rng.uniform(90, 170)
            puff = np.maximum(puff, np.exp(-(((xx - px) / (r * 1.8)) ** 2 + ((yy - py) / r) ** 2) * 3))
        img = _mix(img, (255, 250, 246), np.clip(puff * 1.3, 0, 0.85))
    layers = ((880, (40, 25, 12), (1 / 520, 1 / 260, 1 / 120), (120, 160, 150), 0.42),
              (990, (60, 30, 14), (1 / 600, 1 / 300, 1 / 150), (92, 150, 96), 0.35),
              (1120, (80, 40, 16), (1 / 700, 1 / 330, 1 / 170), (70, 138, 62), 0.18),
              (1300, (110, 45, 20), (1 / 820, 1 / 380, 1 / 190), (54, 118, 44), 0.0))
    for base, amps, freqs, col, mist in layers:
        edge = _ridge(xx[0], rng, base, amps, freqs)
        depth = np.clip((yy - edge[None, :]) / 500, 0, 1)
        # Each hill is lit along its crest and darker in its folds; far hills melt into haze.
        hill = _mix(tuple(min(255, int(c * 1.25)) for c in col), col, depth)
        hill = _mix(hill, (236, 226, 214), mist)
        img = _fill_below(img, yy, edge, hill)
        below = np.clip((yy - edge[None, :]) / 90, 0, 1) * np.clip(1 - (yy - edge[None, :]) / 260, 0, 1)
        img = _mix(img, (248, 240, 232), below * mist * 0.6)
    return _to_image(img)


def thumbnail(img):
    """A 182 x 115 copy: the largest centred crop of that aspect, downscaled."""
    cw = round(img.height * THUMB_W / THUMB_H)
    ch = img.height
    if cw > img.width:
        cw, ch = img.width, round(img.width * THUMB_H / THUMB_W)
    x0, y0 = (img.width - cw) // 2, (img.height - ch) // 2
    return img.crop((x0, y0, x0 + cw, y0 + ch)).resize((THUMB_W, THUMB_H), Image.LANCZOS)


def about():
    """The about picture: the mark, the name and the product line on the brand gradient."""
    w, h = 300, 279
    c = sa.Canvas(w, h, fill=(255, 255, 255))
    yy, xx = np.mgrid[0:h, 0:w].astype(np.float32)
    grad = sa.vertical_gradient(w, h, sa.BLUE_TOP, sa.BLUE_BOTTOM)
    glow = np.exp(-(((xx - 240) / 160) ** 2 + ((yy - 250) / 110) ** 2))[..., None]
    c.over(grad * (1 - 0.5 * glow) + sa.rgb(sa.TEAL) * 0.5 * glow, np.ones((h, w), np.float32))
    for i, (base, amp, alpha) in enumerate(((214, 10, 0.22), (232, 13, 0.16), (250, 9, 0.12))):
        pts = [(x, base + amp * np.sin(x / 28.0 + i * 1.1)) for x in range(-6, w + 7, 3)]
        c.over((255, 255, 255), sa.polyline(w, h, pts, 1.8) * alpha)
    body, gusts = sa.emblem(w, h, w / 2, 78, 46)
    c.over((255, 255, 255), body * (1 - gusts))
    c.over((255, 255, 255), sa.text_mask(w, h, w / 2, 138, "Marlowind", 38, bold=True, anchor="ma"))
    c.over((214, 236, 250), sa.text_mask(w, h, w / 2, 182, "instant messenger", 16, anchor="ma"))
    c.over((190, 220, 244), sa.text_mask(w, h, w / 2, 266, "Version " + product_version.version(), 11, anchor="ms"))
    return c.image("RGB")


def all_pictures():
    """{file name: PIL image} of the wallpapers, their thumbnails and the about picture."""
    out = {}
    for i, make in enumerate((aurora, sunset_sea, ribbons, hills), start=1):
        big = make()
        out["wall%d.png" % i] = big
        out["smwall%d.png" % i] = thumbnail(big)
    out["about.png"] = about()
    return out
