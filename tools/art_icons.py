"""The program icon (six rings on a dark tile, at four sizes) and the hand cursor."""

import math
import struct

from art_paint import TINTS, Ring, clamp8, glow, mix
from gif_writer import quantise


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
