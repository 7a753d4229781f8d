"""The settings dialog's sheet (paper with a curled corner) and its radio marks."""

import math

from art_paint import box_blur, clamp8, mix, noise_hash, render, smoothstep, value_noise
from make_assets import bmp24

SHEET_W, SHEET_H = 450, 319
# The paper: flat wherever a control sits, so the marks and the buttons can
# carry its colour in their corners.
PAPER = (254, 250, 226)
PAPER_LEFT, PAPER_TOP, PAPER_RIGHT, PAPER_BOTTOM = 6, 5, 441, 309   # right, bottom exclusive
CURL = 50        # the fold meets the top and right edges this far from the corner


# --- the curled corner ---------------------------------------------------------------
#
# The fold runs from F1 on the top edge to F2 on the right edge. The paper beyond it
# is lifted away (the margin shows there) and rolled back over the sheet as a flap
# whose sides curve in to a tip, shaded like a rolled cylinder.

F1 = (PAPER_RIGHT - CURL, PAPER_TOP)
F2 = (PAPER_RIGHT, PAPER_TOP + CURL)
FOLD_LEN = math.hypot(F2[0] - F1[0], F2[1] - F1[1])
FOLD_DIR = ((F2[0] - F1[0]) / FOLD_LEN, (F2[1] - F1[1]) / FOLD_LEN)
FOLD_OUT = (FOLD_DIR[1], -FOLD_DIR[0])      # points from the fold to the lifted corner
FLAP_DEPTH = 0.66 * FOLD_LEN / 2            # how far the rolled flap reaches over the sheet
FLAP_TIP = 0.48                             # where along the fold the tip lies


def fold_coords(x, y):
    """(t, u): t along the fold from F1 (0) to F2 (1); u the distance beyond the
    fold, positive on the lifted side."""
    dx, dy = x - F1[0], y - F1[1]
    return (dx * FOLD_DIR[0] + dy * FOLD_DIR[1]) / FOLD_LEN, dx * FOLD_OUT[0] + dy * FOLD_OUT[1]


def flap_reach(t):
    """How far over the sheet the flap reaches at t: inward-curving sides, a tip."""
    if t <= 0.0 or t >= 1.0:
        return 0.0
    s = t / FLAP_TIP if t < FLAP_TIP else (1.0 - t) / (1.0 - FLAP_TIP)
    return FLAP_DEPTH * s ** 1.3


def in_sheet(x, y):
    return (PAPER_LEFT <= x < PAPER_RIGHT and PAPER_TOP <= y < PAPER_BOTTOM
            and fold_coords(x, y)[1] <= 0.0)


def in_flap(x, y):
    t, u = fold_coords(x, y)
    return u <= 0.0 and -u < flap_reach(t)


def flap_colour(x, y):
    """The back of the paper, rolled: dark in the fold, a soft highlight along the
    roll, darker again towards the tip, and a fine darker rim."""
    t, u = fold_coords(x, y)
    reach = flap_reach(t)
    s = -u / FLAP_DEPTH
    light = 0.86 + 0.18 * math.sin(math.pi * min(1.0, s * 1.15 + 0.12)) - 0.07 * s
    light += 0.05 * (1.0 - t)                      # the roll catches the light from the left
    rim = smoothstep(1.3, 0.2, reach + u)          # u < 0 on the flap: reach + u = distance to its side
    base = mix((240, 234, 206), (206, 196, 160), rim * 0.75)
    return tuple(c * light for c in base)


def margin_colour(x, y):
    """Light grey-beige, with a soft mottle and a fine grain."""
    v = (value_noise(x, y, 9.0, 1) - 0.5) * 7 + (value_noise(x, y, 3.0, 2) - 0.5) * 4
    v += (noise_hash(x, y, 3) - 0.5) * 5
    return (226 + v, 223 + v, 213 + v * 0.9)


def make_sheet():
    w, h = SHEET_W, SHEET_H
    # Shadows: the whole sheet's, thrown down and to the right, and the flap's on the paper.
    sheet_mask = [0.0] * (w * h)
    flap_mask = [0.0] * (w * h)
    for y in range(h):
        for x in range(w):
            if in_sheet(x + 0.5 - 2, y + 0.5 - 3) or in_flap(x + 0.5 - 2, y + 0.5 - 3):
                sheet_mask[y * w + x] = 1.0
            if in_flap(x + 0.5 - 1, y + 0.5 - 2):
                flap_mask[y * w + x] = 1.0
    sheet_shadow = box_blur(sheet_mask, w, h, 2)
    flap_shadow = box_blur(flap_mask, w, h, 2)

    curl_box = (F1[0] - 2, PAPER_TOP, PAPER_RIGHT, F2[1] + 2)
    rows = []
    for y in range(h - 1, -1, -1):  # bottom row first
        row = bytearray()
        for x in range(w):
            margin = margin_colour(x, y)
            margin = tuple(c * (1.0 - 0.28 * sheet_shadow[y * w + x]) for c in margin)
            paper = paper_colour(x, y)
            paper = tuple(c * (1.0 - 0.26 * flap_shadow[y * w + x]) for c in paper)
            if curl_box[0] <= x < curl_box[2] and curl_box[1] <= y < curl_box[3]:
                colour = supersampled(x, y, margin, paper)
            elif in_sheet(x + 0.5, y + 0.5):
                colour = paper
            else:
                colour = margin
            colour = window_edge(x, y, colour)
            r, g, b = (clamp8(c) for c in colour)
            row += bytes((b, g, r))
        rows.append(bytes(row))
    return bmp24(w, h, rows)


def paper_colour(x, y):
    """Flat paper, with a fine darker edge and a faint bevel just inside it."""
    d = min(x - PAPER_LEFT, PAPER_RIGHT - 1 - x, y - PAPER_TOP, PAPER_BOTTOM - 1 - y)
    if d <= 0:
        return (222, 213, 178)
    if d == 1:
        return mix(PAPER, (255, 255, 246), 0.6) if (x - PAPER_LEFT == 1 or y - PAPER_TOP == 1) \
            else mix(PAPER, (236, 229, 198), 0.6)
    return PAPER


def supersampled(x, y, margin, paper, n=4):
    acc = [0.0, 0.0, 0.0]
    for sy in range(n):
        for sx in range(n):
            px, py = x + (sx + 0.5) / n, y + (sy + 0.5) / n
            if in_flap(px, py):
                c = flap_colour(px, py)
            elif in_sheet(px, py):
                c = paper
            else:
                c = margin
            for i in range(3):
                acc[i] += c[i]
    return tuple(a / (n * n) for a in acc)


def window_edge(x, y, colour):
    """The borderless window's own edge: a dark line, a light line inside it."""
    d = min(x, y, SHEET_W - 1 - x, SHEET_H - 1 - y)
    if d == 0:
        return (150, 146, 134)
    if d == 1:
        lit = x == 1 or y == 1
        return mix(colour, (255, 255, 252) if lit else (196, 192, 180), 0.55)
    return colour


# --- radio marks ----------------------------------------------------------------------


def round_mark(selected):
    """13 x 13: a grey ring round a white disc, shaded as if slightly sunk; when
    selected an orange-red dot with a glint sits in the middle."""
    c = 6.5

    def sample(x, y):
        d = math.hypot(x - c, y - c)
        if d > 6.5:
            return PAPER
        if d > 5.5:
            return mix((120, 122, 118), (172, 172, 164), (y - x + 13) / 26)   # darker at the top left
        # the disc: a touch of grey towards the top left, white towards the bottom right
        colour = mix((222, 222, 214), (255, 255, 255), min(1.0, (x + y) / 13 + 0.15))
        if selected and d < 3.3:
            g = math.hypot(x - (c - 1.0), y - (c - 1.1)) / 4.2
            colour = mix((255, 170, 100), (214, 52, 20), min(1.0, g))
            if d > 2.6:
                colour = mix(colour, (176, 40, 16), 0.45)   # a firm rim
        return colour

    return bmp24(13, 13, render(13, 13, sample))


def square_mark(selected):
    """12 x 12: a small square with clipped corners (the corner pixels are paper),
    light grey when empty, filled with blue when selected."""
    border = (34, 72, 150) if selected else (178, 178, 170)

    def fill(x, y):
        if selected:
            colour = mix((126, 170, 240), (38, 96, 206), y / 11)
            return mix(colour, (255, 255, 255), 0.25 * max(0, 4 - y) / 3)   # a glint along the top
        return mix((250, 250, 248), (222, 222, 216), y / 11)

    rows = []
    for y in range(11, -1, -1):
        row = bytearray()
        for x in range(12):
            edge_x, edge_y = min(x, 11 - x), min(y, 11 - y)
            if edge_x == 0 and edge_y == 0:
                c = PAPER
            elif edge_x == 0 or edge_y == 0:
                c = border
            elif edge_x == 1 and edge_y == 1:
                c = mix(fill(x, y), border, 0.5)      # rounds the corner off
            else:
                c = fill(x, y)
            r, g, b = (clamp8(v) for v in c)
            row += bytes((b, g, r))
        rows.append(bytes(row))
    return bmp24(12, 12, rows)
