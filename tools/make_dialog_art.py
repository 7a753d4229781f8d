#!/usr/bin/env python3
"""(Re)generates the settings dialog's built-in pictures in assets/.

  tools/make_dialog_art.py [all]   every picture below
  tools/make_dialog_art.py sheet   dialog_sheet.bmp, 450 x 319: paper with a curled corner
  tools/make_dialog_art.py marks   radio_{round,square}_{off,on}.bmp
  tools/make_dialog_art.py icon    program_icon.ico, 64, 48, 32 and 16 pixels square, 256 colours
  tools/make_dialog_art.py cursor  hand_cursor.cur, 32 x 32, hot spot (12, 1)
  tools/make_dialog_art.py banner  banner.gif, 120 x 50, 25 frames

Needs ImageMagick's convert and the DejaVu fonts for the banner's lettering.
"""

import math
import os
import struct
import subprocess
import sys

from gif_writer import gif89a, quantise
from make_assets import ASSETS, bmp24, ring_profile

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


# --- glowing rings --------------------------------------------------------------------


class Ring:
    """One of the saver's rings seen at a tilt: an ellipse of the given radius whose
    minor axis is aspect times as long, turned by angle (radians), in one tint."""

    def __init__(self, cx, cy, radius, aspect, angle, tint, gain=1.0, sharpness=1.0):
        self.cx, self.cy, self.radius, self.aspect = cx, cy, radius, aspect
        self.sharpness = sharpness  # above 1 dims the inner glow, leaving the rim
        self.cos, self.sin = math.cos(angle), math.sin(angle)
        self.tint = tuple(c * gain / 246.0 for c in tint)

    def light(self, x, y):
        dx, dy = x - self.cx, y - self.cy
        u = dx * self.cos + dy * self.sin
        v = (dy * self.cos - dx * self.sin) / self.aspect
        level = ring_profile(math.hypot(u, v) / self.radius * 28.0) if self.radius > 0 else 0.0
        if level and self.sharpness != 1.0:
            level = 246.0 * (level / 246.0) ** self.sharpness
        return tuple(c * level for c in self.tint)


def glow(rings, x, y, base):
    """Rings added on top of base, as the saver blends them, with a soft knee
    instead of a hard clip where they pile up."""
    r, g, b = base
    for ring in rings:
        lr, lg, lb = ring.light(x, y)
        r, g, b = r + lr, g + lg, b + lb
    return tuple(255.0 * (1.0 - math.exp(-c / 255.0 * 1.25)) / (1.0 - math.exp(-1.25)) if c > 0 else 0.0
                 for c in (r, g, b))


TINTS = [(255, 150, 40), (80, 255, 130), (255, 80, 170), (70, 190, 255), (170, 120, 255), (255, 225, 90)]


# --- program icon ---------------------------------------------------------------------

def icon_rings(scale):
    """Three long rings crossing like orbits and three rounder ones inside them."""
    c = 16 * scale
    rings = [  # radius, aspect, angle in degrees, tint, gain
        (13.2, 0.36, -30, 1, 0.9),
        (13.2, 0.36, 30, 2, 0.9),
        (13.2, 0.36, 90, 3, 0.9),
        (8.0, 0.85, 15, 0, 0.9),
        (5.5, 0.5, -60, 4, 0.9),
        (3.2, 0.9, 0, 5, 0.8),
    ]
    return [Ring(c, c, r * scale, a, math.radians(deg), TINTS[t], gain, sharpness=2.2)
            for r, a, deg, t, gain in rings]


def icon_picture(size):
    """A dark rounded tile, lit a little from above, with six rings crossing in its
    middle. Returns rows of (r, g, b) or None for the transparent corners."""
    scale = size / 32.0
    rings = icon_rings(scale)
    lo, hi, radius = 1.0 * scale, size - 1.0 * scale, 4.5 * scale

    def tile_inset(x, y):
        cx = min(max(x, lo + radius), hi - radius)
        cy = min(max(y, lo + radius), hi - radius)
        return radius - math.hypot(x - cx, y - cy)

    def sample(x, y):
        d = tile_inset(x, y)
        if d < 0:
            return None
        if d < scale:                               # the rim: lit at the top, dark below
            return mix((150, 160, 200), (34, 38, 56), y / size)
        base = mix((26, 30, 58), (2, 3, 10), y / size)
        return glow(rings, x, y, base)

    n = 6
    picture = []
    for y in range(size):
        row = []
        for x in range(size):
            samples = [sample(x + (sx + 0.5) / n, y + (sy + 0.5) / n) for sy in range(n) for sx in range(n)]
            inside = [c for c in samples if c is not None]
            if len(inside) * 2 < len(samples):
                row.append(None)
            else:
                row.append(tuple(clamp8(sum(c[i] for c in inside) / len(inside)) for i in range(3)))
        picture.append(row)
    return picture


def icon_image(picture):
    """One 8-bit image of an icon file: header, 256-entry palette, colour rows and
    the AND mask, both bottom-up. Palette entry 0 is black, for the transparent
    pixels (black under a set mask bit leaves the screen as it is)."""
    size = len(picture)
    opaque = [c for row in picture for c in row if c is not None]
    palette, indices = quantise(opaque, 255)
    palette = [(0, 0, 0)] + palette + [(0, 0, 0)] * (255 - len(palette))
    it = iter(indices)
    index_rows = [[0 if c is None else next(it) + 1 for c in row] for row in picture]
    colour = b"".join(bytes(row) + bytes((-size) % 4) for row in reversed(index_rows))
    mask_stride = (size + 31) // 32 * 4
    mask = bytearray()
    for row in reversed(picture):
        bits = bytearray(mask_stride)
        for x, c in enumerate(row):
            if c is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 8, 0, len(colour) + len(mask), 0, 0, 0, 0)
    quads = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    return header + quads + colour + bytes(mask)


def icon_file(images, kind=1, hot_spots=None):
    """An .ico (kind 1) or .cur (kind 2) file from (size, colours, bits, image) entries;
    a cursor's directory carries the hot spot where an icon's has planes and bits."""
    out = bytearray(struct.pack("<HHH", 0, kind, len(images)))
    offset = 6 + 16 * len(images)
    for i, (size, colours, bits, image) in enumerate(images):
        a, b = hot_spots[i] if hot_spots else (1, bits)
        out += struct.pack("<BBBBHHII", size % 256, size % 256, colours % 256, 0, a, b, len(image), offset)
        offset += len(image)
    for *_, image in images:
        out += image
    return bytes(out)


# 32 and 16 for 96 dpi; 48 and 64 drawn anew for 144 and 192 dpi (150 % and
# 200 %), so a larger screen shows a sharp icon rather than a blown-up one.
ICON_SIZES = (64, 48, 32, 16)


def make_icon():
    return icon_file([(size, 0, 8, icon_image(icon_picture(size))) for size in ICON_SIZES])


# --- hand cursor ----------------------------------------------------------------------

# X black, o white, . transparent; the fingertip's outline at (12, 1) is the hot spot.
HAND = """
................................
...........XXX..................
..........XoooX.................
..........XoooX.................
..........XoooX.................
..........XoooX.................
..........XoooX.................
..........XoooXXX...............
..........XoooXooX..............
..........XoooXoooXXX...........
..........XoooXoooXooX..........
..........XoooXoooXoooXX........
..........XoooXoooXoooXoX.......
...XXX....XoooooooXoooXooX......
..XoooX...XoooooooooooooooX.....
..XooooX..XoooooooooooooooX.....
..XoooooX.XoooooooooooooooX.....
...XoooooXXoooooooooooooooX.....
...XoooooooooooooooooooooX......
....XooooooooooooooooooooX......
....XooooooooooooooooooooX......
.....XoooooooooooooooooooX......
......XooooooooooooooooooX......
.......XoooooooooooooooooX......
........XoooooooooooooooX.......
.........XooooooooooooooX.......
..........XoooooooooooooX.......
..........XoooooooooooooX.......
..........XXXXXXXXXXXXXXX.......
................................
................................
................................
"""
HAND_HOT_SPOT = (12, 1)


def make_cursor():
    rows = HAND.strip().split("\n")
    assert len(rows) == 32 and all(len(r) == 32 for r in rows)
    colour, mask = bytearray(), bytearray()
    for row in reversed(rows):           # bottom-up, 1 bit a pixel, 4 bytes a row
        c = m = 0
        for ch in row:
            c = (c << 1) | (ch == "o")
            m = (m << 1) | (ch == ".")
        colour += c.to_bytes(4, "big")
        mask += m.to_bytes(4, "big")
    header = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 1, 0, len(colour) + len(mask), 0, 0, 2, 0)
    image = header + bytes((0, 0, 0, 0, 255, 255, 255, 0)) + bytes(colour) + bytes(mask)
    return icon_file([(32, 2, 1, image)], kind=2, hot_spots=[HAND_HOT_SPOT])


# --- banner ---------------------------------------------------------------------------

BANNER_W, BANNER_H, BANNER_FRAMES = 120, 50, 25
NAME_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSerif-BoldItalic.ttf"
LINE_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"


def lettering(text, font, points, offset_y, kerning):
    """Coverage (0..1) of text rendered by ImageMagick, centred on the banner."""
    raw = subprocess.run(
        ["convert", "-size", "%dx%d" % (BANNER_W, BANNER_H), "xc:black", "-font", font,
         "-pointsize", str(points), "-kerning", str(kerning), "-fill", "white",
         "-gravity", "center", "-annotate", "%+d%+d" % (0, offset_y), text,
         "-depth", "8", "gray:-"], capture_output=True, check=True).stdout
    assert len(raw) == BANNER_W * BANNER_H
    return [v / 255.0 for v in raw]


def banner_rings(phase):
    """Six rings born one after another in the middle, each growing past the edges
    while it turns half a turn and fades: phase 0 and 1 give the same picture."""
    rings = []
    for i in range(6):
        p = (phase + i / 6.0) % 1.0
        fade = math.sin(math.pi * p) ** 1.5
        angle = math.radians(i * 67.0) + math.pi * phase * (1 if i % 2 else -1)
        aspect = 0.34 + 0.5 * ((i * 0.37) % 1.0)
        rings.append(Ring(60.0, 24.0, 4.0 + 70.0 * p ** 1.3, aspect, angle, TINTS[i],
                          gain=0.9 * fade, sharpness=2.2))
    return rings


def banner_frames():
    w, h = BANNER_W, BANNER_H
    name = lettering("Velmora", NAME_FONT, 21, -5, 1)
    line = lettering("SCREEN SAVER", LINE_FONT, 7, 14, 2)
    shade = box_blur([max(a, b) for a, b in zip(name, line)], w, h, 2)   # calms the rings behind the letters
    halo = box_blur(name, w, h, 1, passes=2)     # a faint cool glow round them
    frames = []
    for f in range(BANNER_FRAMES):
        phase = f / BANNER_FRAMES
        rings = banner_rings(phase)
        sweep = -30.0 + 190.0 * min(1.0, phase / 0.6)   # the glint crosses in the first 60 %
        pixels = []
        for y in range(h):
            for x in range(w):
                k = y * w + x
                if x in (0, w - 1) or y in (0, h - 1):
                    pixels.append((54, 60, 88))
                    continue
                dist = math.hypot((x - 60.0) / 60.0, (y - 24.0) / 30.0)
                base = mix((16, 20, 46), (0, 0, 6), min(1.0, dist))
                acc = [0.0, 0.0, 0.0]
                for sy in (0.25, 0.75):
                    for sx in (0.25, 0.75):
                        c = glow(rings, x + sx, y + sy, base)
                        for i in range(3):
                            acc[i] += c[i] / 4.0
                c = tuple(v * (1.0 - 0.8 * min(1.0, shade[k] * 1.8)) for v in acc)
                c = tuple(v + g * halo[k] * 0.55 for v, g in zip(c, (120, 150, 255)))
                letter = mix((255, 255, 255), (200, 218, 255), min(1.0, max(0.0, (y - 10) / 18.0)))
                glint = math.exp(-((x + 0.45 * (y - 17) - sweep) / 4.0) ** 2)
                letter = mix(letter, (255, 250, 220), glint)
                c = mix(c, letter, name[k])
                c = tuple(v + 255 * 0.6 * glint * name[k] for v in c)
                c = mix(c, (196, 204, 236), line[k])
                pixels.append(tuple(clamp8(v) for v in c))
        frames.append(pixels)
    return frames


def make_banner():
    frames = banner_frames()
    everything = [p for frame in frames for p in frame]
    global_palette, _ = quantise(everything, 256, refinements=0)
    global_palette.sort(key=lambda c: 3 * c[0] + 6 * c[1] + c[2])   # entry 0, the background, is the darkest
    local = [quantise(frame, 128) for frame in frames]
    return gif89a(BANNER_W, BANNER_H, global_palette, local, delay=10, disposal=2, loops=0)


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
    "icon": lambda: write("program_icon.ico", make_icon()),
    "cursor": lambda: write("hand_cursor.cur", make_cursor()),
    "banner": lambda: write("banner.gif", make_banner()),
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
