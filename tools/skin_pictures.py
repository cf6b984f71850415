"""The installer's skin: the background panel, the button faces and the radio images, each
drawn for 100, 150 and 200 % display scale from the same shapes (figures below are 100 %)."""
import numpy as np

import skinart as sa

# Geometry of the background window (446 x 365).
WALL_W, WALL_H = 446, 365
PANEL = (12, 6, 434, 340)        # x0, y0, x1, y1 (exclusive), the white panel
PANEL_RADIUS = 14
BAND_X1 = 122                    # the coloured left column ends here
HOLE = (135, 30, 420, 290)       # where the wizard page shows; cut out at run time
CLOSE_BOX = (401, 15, 414, 28)   # the close cross lies inside this box


SCALES = (100, 150, 200)


def edge(v, scale):
    """A pixel edge at `scale` percent, rounded half up as the wizard rounds its figures."""
    return (v * scale + 50) // 100


def sized(v, scale):
    """A length (radius, width, offset) at `scale` percent; untouched at 100 %."""
    return v if scale == 100 else v * scale / 100.0


def wallpaper(scale=100):
    e = lambda v: edge(v, scale)  # noqa: E731
    k = lambda v: sized(v, scale)  # noqa: E731
    w, h = e(WALL_W), e(WALL_H)
    c = sa.Canvas(w, h)
    x0, y0, x1, y1 = (e(v) for v in PANEL)
    panel = sa.rounded_rect(w, h, x0, y0, x1, y1, k(PANEL_RADIUS))

    # Soft drop shadow: the panel's shape, blurred and shifted down, fading out well inside the
    # picture so its edges never show a cut.
    shadow = np.roll(sa.blur(panel, k(4.5)), int(round(k(3))), axis=0) * 0.42
    c.over((18, 32, 58), shadow)

    # Left column: the brand gradient with a teal glow. It is part of the panel's own colour,
    # so the panel's anti-aliased rounded corners are drawn once and show no white fringe.
    band_x1 = e(BAND_X1)
    in_band = (np.arange(w) < band_x1)[None, :]
    band = panel * in_band
    grad = sa.vertical_gradient(w, h, sa.BLUE_TOP, sa.BLUE_BOTTOM, y0, y1)
    yy, xx = np.mgrid[0:h, 0:w].astype(np.float32)
    glow = np.exp(-(((xx - k(40)) / k(90)) ** 2 + ((yy - k(300)) / k(80)) ** 2))[..., None]
    grad = grad * (1 - 0.55 * glow) + sa.rgb(sa.TEAL) * 0.55 * glow
    face = np.where(in_band[..., None], grad, 1.0).astype(np.float32)
    c.over(face, panel)

    # Mark and name at the top of the column.
    cx = (x0 + band_x1) / 2
    body, gusts = sa.emblem(w, h, cx, k(58), k(27))
    c.over((255, 255, 255), body * (1 - gusts))
    name = "Marlowind"
    c.over((255, 255, 255), sa.text_mask(w, h, cx, k(104), name, k(21), bold=True, anchor="ma"))
    c.over((214, 236, 250), sa.text_mask(w, h, cx, k(128), "instant messenger", k(11), anchor="ma"))

    # Wind lines across the lower column.
    px0 = PANEL[0]
    for i, (base, amp, alpha, width) in enumerate(((232, 9, 0.28, 2.0), (252, 11, 0.20, 1.6),
                                                   (272, 8, 0.16, 1.3), (292, 12, 0.12, 1.1))):
        pts = [(k(x), k(base + amp * np.sin((x - px0) / 17.0 + i * 1.3)))
               for x in range(px0 - 4, BAND_X1 + 5, 2)]
        c.over((255, 255, 255), sa.polyline(w, h, pts, k(width)) * alpha * band)

    # Drag strip: a quiet title. Footer: a hairline and the product line.
    hx0, hy0, hx1, hy1 = (e(v) for v in HOLE)
    c.over(sa.GREY_TEXT, sa.text_mask(w, h, k(HOLE[0] + 4), k(10), "Marlowind setup", k(12)))
    c.over((230, 234, 240), (yy >= e(302)) * (yy < e(303)) * (xx >= hx0) * (xx < hx1) * 1.0)
    c.over(sa.GREY_TEXT, sa.text_mask(w, h, hx1, k(310), "www.marlowind.example", k(11), anchor="ra"))

    # Close cross, centred in its box.
    bx0, by0, bx1, by1 = (e(v) for v in CLOSE_BOX)
    mx, my, d = (bx0 + bx1) / 2, (by0 + by1) / 2, k(4.0)
    cross = np.maximum(sa.polyline(w, h, [(mx - d, my - d), (mx + d, my + d)], k(1.7)),
                       sa.polyline(w, h, [(mx - d, my + d), (mx + d, my - d)], k(1.7)))
    c.over((112, 122, 140), cross)

    # The page area stays plain white: the wizard's own white page replaces it.
    c.rgb[hy0:hy1, hx0:hx1] = 1.0
    c.a[hy0:hy1, hx0:hx1] = 1.0
    return c.image()


BUTTON_W, BUTTON_H = 78, 25
BUTTON_FACES = {
    # name: (top colour, bottom colour, border, highlight strength, inset)
    "ButtonNormal": ((46, 134, 214), (22, 88, 168), (16, 66, 128), 0.35, False),
    "ButtonOver": ((84, 170, 238), (40, 126, 206), (26, 92, 160), 0.45, False),
    "ButtonPress": ((16, 70, 136), (30, 100, 178), (10, 50, 100), 0.0, True),
    "ButtonDisabled": ((168, 174, 184), (134, 141, 152), (112, 118, 128), 0.25, False),
}


def button(top, bottom, border, highlight, inset, scale=100):
    k = lambda v: sized(v, scale)  # noqa: E731
    w, h = edge(BUTTON_W, scale), edge(BUTTON_H, scale)
    c = sa.Canvas(w, h)
    outer = sa.rounded_rect(w, h, 0, 0, w, h, k(6))
    inner = sa.rounded_rect(w, h, k(1), k(1), w - k(1), h - k(1), k(5))
    c.over(border, outer)
    c.over(sa.vertical_gradient(w, h, top, bottom, k(1), h - k(1)), inner)
    yy = np.arange(h, dtype=np.float32)[:, None] * np.ones((1, w), np.float32)
    if highlight:
        # A glassy top half: white fading out towards the middle.
        gloss = np.clip(1 - (yy - k(1)) / k(11.0), 0, 1) * highlight
        c.over((255, 255, 255), inner * gloss * (yy < k(12)))
        rim = (sa.rounded_rect(w, h, k(1), k(1), w - k(1), h - k(1), k(5))
               - sa.rounded_rect(w, h, k(2), k(2), w - k(2), h - k(2), k(4)))
        c.over((255, 255, 255), np.clip(rim, 0, 1) * (yy < k(4)) * 0.35)
    if inset:
        # Pressed: a shadow along the top inner edge, as if the face sank in.
        shade = np.clip(1 - (yy - k(1)) / k(5.0), 0, 1) * 0.45
        c.over((0, 20, 50), inner * shade)
    return c.image()


RADIO = 13


def radio(on, scale=100):
    k = lambda v: sized(v, scale)  # noqa: E731
    n = edge(RADIO, scale)
    m = 6.5 if scale == 100 else n / 2.0
    c = sa.Canvas(n, n)
    ring = sa.ellipse(n, n, m, m, m)
    face = sa.ellipse(n, n, m, m, k(5.4))
    c.over((46, 118, 196) if on else (122, 140, 164), ring)
    c.over(sa.vertical_gradient(n, n, (236, 241, 247), (255, 255, 255), k(1), n - k(1)), face)
    if on:
        c.over(sa.vertical_gradient(n, n, sa.BLUE_TOP, sa.BLUE_BOTTOM, k(3), k(10)),
               sa.ellipse(n, n, m, m, k(3.3)))
    return c.image()


def picture_name(stem, scale):
    """The file of a picture at a scale: "Wallpaper.png" at 100 %, "Wallpaper150.png" above."""
    return stem + ("" if scale == 100 else str(scale)) + ".png"


def picture_sizes():
    """{file name: (width, height)} of every skin picture at every scale."""
    out = {}
    for scale in SCALES:
        out[picture_name("Wallpaper", scale)] = (edge(WALL_W, scale), edge(WALL_H, scale))
        for name in BUTTON_FACES:
            out[picture_name(name, scale)] = (edge(BUTTON_W, scale), edge(BUTTON_H, scale))
        for name in ("RadioOn", "RadioOff"):
            out[picture_name(name, scale)] = (edge(RADIO, scale),) * 2
    return out


def all_pictures():
    """{file name: PIL image} of every skin picture at every scale."""
    out = {}
    for scale in SCALES:
        out[picture_name("Wallpaper", scale)] = wallpaper(scale)
        for name, args in BUTTON_FACES.items():
            out[picture_name(name, scale)] = button(*args, scale=scale)
        out[picture_name("RadioOn", scale)] = radio(True, scale)
        out[picture_name("RadioOff", scale)] = radio(False, scale)
    return out
