"""The installer's skin: the background panel, the button faces and the radio images."""
import numpy as np

import skinart as sa

# Geometry of the background window (446 x 365).
WALL_W, WALL_H = 446, 365
PANEL = (12, 6, 434, 340)        # x0, y0, x1, y1 (exclusive), the white panel
PANEL_RADIUS = 14
BAND_X1 = 122                    # the coloured left column ends here
HOLE = (135, 30, 420, 290)       # where the wizard page shows; cut out at run time
CLOSE_BOX = (401, 15, 414, 28)   # the close cross lies inside this box


def wallpaper():
    w, h = WALL_W, WALL_H
    c = sa.Canvas(w, h)
    panel = sa.rounded_rect(w, h, *PANEL, PANEL_RADIUS)

    # Soft drop shadow: the panel's shape, blurred and shifted down, fading out well inside the
    # picture so its edges never show a cut.
    shadow = np.roll(sa.blur(panel, 4.5), 3, axis=0) * 0.42
    c.over((18, 32, 58), shadow)

    # Left column: the brand gradient with a teal glow. It is part of the panel's own colour,
    # so the panel's anti-aliased rounded corners are drawn once and show no white fringe.
    x0, y0, x1, y1 = PANEL
    in_band = (np.arange(w) < BAND_X1)[None, :]
    band = panel * in_band
    grad = sa.vertical_gradient(w, h, sa.BLUE_TOP, sa.BLUE_BOTTOM, y0, y1)
    yy, xx = np.mgrid[0:h, 0:w].astype(np.float32)
    glow = np.exp(-(((xx - 40) / 90) ** 2 + ((yy - 300) / 80) ** 2))[..., None]
    grad = grad * (1 - 0.55 * glow) + sa.rgb(sa.TEAL) * 0.55 * glow
    face = np.where(in_band[..., None], grad, 1.0).astype(np.float32)
    c.over(face, panel)

    # Mark and name at the top of the column.
    cx = (x0 + BAND_X1) / 2
    body, gusts = sa.emblem(w, h, cx, 58, 27)
    c.over((255, 255, 255), body * (1 - gusts))
    name = "Marlowind"
    c.over((255, 255, 255), sa.text_mask(w, h, cx, 104, name, 21, bold=True, anchor="ma"))
    c.over((214, 236, 250), sa.text_mask(w, h, cx, 128, "instant messenger", 11, anchor="ma"))

    # Wind lines across the lower column.
    for i, (base, amp, alpha, width) in enumerate(((232, 9, 0.28, 2.0), (252, 11, 0.20, 1.6),
                                                   (272, 8, 0.16, 1.3), (292, 12, 0.12, 1.1))):
        pts = [(x, base + amp * np.sin((x - x0) / 17.0 + i * 1.3)) for x in range(x0 - 4, BAND_X1 + 5, 2)]
        c.over((255, 255, 255), sa.polyline(w, h, pts, width) * alpha * band)

    # Drag strip: a quiet title. Footer: a hairline and the product line.
    c.over(sa.GREY_TEXT, sa.text_mask(w, h, HOLE[0] + 4, 10, "Marlowind setup", 12))
    c.over((230, 234, 240), (yy >= 302) * (yy < 303) * (xx >= HOLE[0]) * (xx < HOLE[2]) * 1.0)
    c.over(sa.GREY_TEXT, sa.text_mask(w, h, HOLE[2], 310, "www.marlowind.example", 11, anchor="ra"))

    # Close cross, centred in its box.
    bx0, by0, bx1, by1 = CLOSE_BOX
    mx, my, d = (bx0 + bx1) / 2, (by0 + by1) / 2, 4.0
    cross = np.maximum(sa.polyline(w, h, [(mx - d, my - d), (mx + d, my + d)], 1.7),
                       sa.polyline(w, h, [(mx - d, my + d), (mx + d, my - d)], 1.7))
    c.over((112, 122, 140), cross)

    # The page area stays plain white: the wizard's own white page replaces it.
    hx0, hy0, hx1, hy1 = HOLE
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


def button(top, bottom, border, highlight, inset):
    w, h = BUTTON_W, BUTTON_H
    c = sa.Canvas(w, h)
    outer = sa.rounded_rect(w, h, 0, 0, w, h, 6)
    inner = sa.rounded_rect(w, h, 1, 1, w - 1, h - 1, 5)
    c.over(border, outer)
    c.over(sa.vertical_gradient(w, h, top, bottom, 1, h - 1), inner)
    yy = np.arange(h, dtype=np.float32)[:, None] * np.ones((1, w), np.float32)
    if highlight:
        # A glassy top half: white fading out towards the middle.
        gloss = np.clip(1 - (yy - 1) / 11.0, 0, 1) * highlight
        c.over((255, 255, 255), inner * gloss * (yy < 12))
        rim = sa.rounded_rect(w, h, 1, 1, w - 1, h - 1, 5) - sa.rounded_rect(w, h, 2, 2, w - 2, h - 2, 4)
        c.over((255, 255, 255), np.clip(rim, 0, 1) * (yy < 4) * 0.35)
    if inset:
        # Pressed: a shadow along the top inner edge, as if the face sank in.
        shade = np.clip(1 - (yy - 1) / 5.0, 0, 1) * 0.45
        c.over((0, 20, 50), inner * shade)
    return c.image()


RADIO = 13


def radio(on):
    c = sa.Canvas(RADIO, RADIO)
    ring = sa.ellipse(RADIO, RADIO, 6.5, 6.5, 6.5)
    face = sa.ellipse(RADIO, RADIO, 6.5, 6.5, 5.4)
    c.over((46, 118, 196) if on else (122, 140, 164), ring)
    c.over(sa.vertical_gradient(RADIO, RADIO, (236, 241, 247), (255, 255, 255), 1, 12), face)
    if on:
        c.over(sa.vertical_gradient(RADIO, RADIO, sa.BLUE_TOP, sa.BLUE_BOTTOM, 3, 10),
               sa.ellipse(RADIO, RADIO, 6.5, 6.5, 3.3))
    return c.image()


def all_pictures():
    """{file name: PIL image} of every skin picture."""
    out = {"Wallpaper.png": wallpaper()}
    for name, args in BUTTON_FACES.items():
        out[name + ".png"] = button(*args)
    out["RadioOn.png"] = radio(True)
    out["RadioOff.png"] = radio(False)
    return out
