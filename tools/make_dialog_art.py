#!/usr/bin/env python3
"""(Re)generates the settings dialog's built-in pictures in assets/.

  tools/make_dialog_art.py [all]   every picture below
  tools/make_dialog_art.py sheet   dialog_sheet.bmp, 450 x 319: paper with a curled corner
  tools/make_dialog_art.py marks   radio_{round,square}_{off,on}.bmp
"""

import math
import os
import sys

from make_assets import ASSETS, bmp24

SHEET_W, SHEET_H = 450, 319
# The paper: flat wherever a control sits, so the marks and the buttons can
# carry its colour in their corners.
PAPER = (254, 250, 226)
PAPER_LEFT, PAPER_TOP, PAPER_RIGHT, PAPER_BOTTOM = 6, 5, 441, 309   # right, bottom exclusive
CURL = 50        # the fold meets the top and right edges this far from the corner


def clamp8(v):
    return 0 if v < 0 else 255 if v > 255 else int(v + 0.5)


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def smoothstep(e0, e1, x):
    t = min(1.0, max(0.0, (x - e0) / (e1 - e0)))
    return t * t * (3 - 2 * t)


def noise_hash(x, y, seed):
    """A repeatable pseudo-random value in [0, 1) for a lattice point."""
    h = (x * 374761393 + y * 668265263 + seed * 2246822519) & 0xFFFFFFFF
    h = ((h ^ (h >> 13)) * 1274126177) & 0xFFFFFFFF
    return ((h ^ (h >> 16)) & 0xFFFF) / 65536.0


def value_noise(x, y, cell, seed):
    gx, gy = x / cell, y / cell
    x0, y0 = int(math.floor(gx)), int(math.floor(gy))
    fx, fy = gx - x0, gy - y0
    fx, fy = fx * fx * (3 - 2 * fx), fy * fy * (3 - 2 * fy)
    top = noise_hash(x0, y0, seed) * (1 - fx) + noise_hash(x0 + 1, y0, seed) * fx
    bottom = noise_hash(x0, y0 + 1, seed) * (1 - fx) + noise_hash(x0 + 1, y0 + 1, seed) * fx
    return top * (1 - fy) + bottom * fy


def box_blur(mask, w, h, radius, passes=3):
    """Separable box blur, repeated: close to a Gaussian, in plain Python."""
    for _ in range(passes):
        for horizontal in (True, False):
            out = [0.0] * (w * h)
            n, m = (w, h) if horizontal else (h, w)
            for j in range(m):
                idx = [(j * w + i) if horizontal else (i * w + j) for i in range(n)]
                line = [mask[k] for k in idx]
                acc = 0.0
                span = 2 * radius + 1
                padded = [line[0]] * radius + line + [line[-1]] * radius
                acc = sum(padded[:span])
                for i in range(n):
                    out[idx[i]] = acc / span
                    if i + span < len(padded):
                        acc += padded[i + span] - padded[i]
            mask = out
    return mask


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
    base = mix((246, 240, 212), (214, 205, 170), rim * 0.7)
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
            paper = tuple(c * (1.0 - 0.22 * flap_shadow[y * w + x]) for c in paper)
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


def render(w, h, sample, n=8):
    """Rows (bottom first) of a picture whose colour at a point is sample(x, y),
    averaged over n x n points per pixel."""
    rows = []
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(w):
            acc = [0.0, 0.0, 0.0]
            for sy in range(n):
                for sx in range(n):
                    c = sample(x + (sx + 0.5) / n, y + (sy + 0.5) / n)
                    for i in range(3):
                        acc[i] += c[i]
            r, g, b = (clamp8(a / (n * n)) for a in acc)
            row += bytes((b, g, r))
        rows.append(bytes(row))
    return rows


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
    """12 x 12: a small square with softened corners, light grey when empty, filled
    with blue when selected."""
    def sample(x, y):
        dx, dy = max(0.0, abs(x - 6) - 4.5), max(0.0, abs(y - 6) - 4.5)
        d = math.hypot(dx, dy)
        if d > 1.5 or abs(x - 6) > 6 or abs(y - 6) > 6:
            return PAPER
        edge = min(6 - abs(x - 6), 6 - abs(y - 6))
        if selected:
            if edge < 1 or d > 0.5:
                return (34, 72, 150)
            colour = mix((126, 170, 240), (38, 96, 206), y / 12)
            if y < 4:
                colour = mix(colour, (255, 255, 255), 0.25 * (4 - y) / 3)   # a glint along the top
            return colour
        if edge < 1 or d > 0.5:
            return (178, 178, 170)
        return mix((252, 252, 250), (226, 226, 220), y / 12)

    return bmp24(12, 12, render(12, 12, sample))


def write(name, data):
    path = os.path.join(ASSETS, name)
    with open(path, "wb") as f:
        f.write(data)
    print(path)


MAKERS = {
    "sheet": lambda: write("dialog_sheet.bmp", make_sheet()),
    "marks": lambda: [write("radio_round_off.bmp", round_mark(False)),
                      write("radio_round_on.bmp", round_mark(True)),
                      write("radio_square_off.bmp", square_mark(False)),
                      write("radio_square_on.bmp", square_mark(True))],
}

if __name__ == "__main__":
    which = sys.argv[1:] or ["all"]
    if which == ["all"]:
        which = list(MAKERS)
    if any(w not in MAKERS for w in which):
        print(__doc__)
        sys.exit(64)
    for w in which:
        MAKERS[w]()
