#!/usr/bin/env python3
"""(Re)generates the six skins of the Command button in assets/ (five files:
HighLightSelect uses the highlight picture).

  tools/make_button_skins.py     assets/button_{normal,highlight,selected,pressed,disable}.bmp

Each skin is 64 x 25 pixels. The button copies only its 4-pixel border band: the
4 x 4 corners unscaled, the edge pieces (x 4..59 of the top and bottom rows, y 4..20
of the side columns) stretched. So every corner holds all of the rounding and the
edge pieces are the same all along their length; the face inside the band is plain.
"""

import math
import os
import sys

from art_paint import mix, render
from art_sheet import PAPER
from make_assets import ASSETS, bmp24

WIDTH, HEIGHT = 64, 25
SUBSAMPLES = 8  # per axis: enough for smooth 1-pixel arcs


def rgb(hex_text):
    v = int(hex_text.lstrip("#"), 16)
    return (v >> 16, (v >> 8) & 255, v & 255)


class RoundRect:
    """A rounded rectangle [x0, x1] x [y0, y1] whose corner arcs have radius r."""

    def __init__(self, x0, y0, x1, y1, r):
        self.x0, self.y0, self.x1, self.y1, self.r = x0, y0, x1, y1, r

    def arc_centre(self, x, y):
        cx = min(max(x, self.x0 + self.r), self.x1 - self.r)
        cy = min(max(y, self.y0 + self.r), self.y1 - self.r)
        return cx, cy

    def inset(self, x, y):
        """Distance of a point inside from the boundary (negative outside) and the
        outward normal of the nearest boundary point."""
        cx, cy = self.arc_centre(x, y)
        dx, dy = x - cx, y - cy
        if dx and dy:  # in a corner square: the arc decides
            d = math.hypot(dx, dy)
            return self.r - d, (dx / d, dy / d)
        sides = ((x - self.x0, (-1.0, 0.0)), (self.x1 - x, (1.0, 0.0)),
                 (y - self.y0, (0.0, -1.0)), (self.y1 - y, (0.0, 1.0)))
        return min(sides)


# Colours of the look table.
OUTLINE = rgb("#003C74")
HALO_TOP, HALO_BOTTOM = rgb("#E2DECB"), rgb("#DCD6C2")
FACE = rgb("#F3F3EE")
SHADOW = (rgb("#D6D0C5"), rgb("#E2DFD6"))          # bottom, next to the outline first
PLAIN_RING = rgb("#ECE9D8")

HOT = {  # 2-pixel orange glow, the layer next to the outline first
    "up": (rgb("#FFF0CF"), rgb("#FDD889")),
    "side": (rgb("#FCCA69"), rgb("#FBCA6A")),
    "down": (rgb("#E59700"), rgb("#F8B330")),
}
FOCUS = {  # 2-pixel blue glow
    "up": (rgb("#CEE7FF"),) * 2,
    "side": (rgb("#A9C5EF"),) * 2,
    "down": (rgb("#6982EE"),) * 2,
}


def halo(y):
    """The outermost ring: a touch darker at the bottom; the side columns one
    colour all along, so they stretch without a trace."""
    if y < 4:
        return HALO_TOP
    if y >= HEIGHT - 4:
        return HALO_BOTTOM
    return mix(HALO_TOP, HALO_BOTTOM, 0.5)


def direction_weights(normal):
    nx, ny = normal
    up, down = max(0.0, -ny), max(0.0, ny)
    left, right = max(0.0, -nx), max(0.0, nx)
    total = up + down + left + right
    return up / total, down / total, left / total, right / total


def band_colour(layers, depth, normal, face):
    """Colour of an inner band 2 pixels deep that follows the outline; layers maps
    "up", "down", "left", "right" (or "side") to two colours, outermost first."""
    if depth >= 2.0:
        return face
    layer = 0 if depth < 1.0 else 1
    colour = (0.0, 0.0, 0.0)
    for weight, name in zip(direction_weights(normal), ("up", "down", "left", "right")):
        if weight:
            pair = layers.get(name) or layers.get("side")
            c = pair[layer] if pair else face
            colour = tuple(a + weight * b for a, b in zip(colour, c))
    return colour


def skin(look):
    """look(x, y) -> colour of one point; averaged over subsamples per pixel."""
    return bmp24(WIDTH, HEIGHT, render(WIDTH, HEIGHT, look, SUBSAMPLES, level=lambda v: min(255, int(round(v)))))


def outlined(outer, inner, outline, ring, inside):
    """A look with a 1-pixel rounded outline between two round rects, ringed by
    a rounded halo; the corners beyond the halo are the dialog's paper."""
    def look(x, y):
        if HALO.inset(x, y)[0] < 0:
            return PAPER
        if outer.inset(x, y)[0] < 0:
            return ring(y)
        depth, normal = inner.inset(x, y)
        if depth < 0:
            return outline
        return inside(depth, normal)
    return look


# The halo fills the picture but for the corners, round about the arc centres.
HALO = RoundRect(0, 0, WIDTH, HEIGHT, 4)
# The normal outline: one pixel inside the edge, arcs of radius 3 around (4, 4) and
# its mirror images, so the rounding stays inside the 4 x 4 corners.
OUTER = RoundRect(1, 1, WIDTH - 1, HEIGHT - 1, 3)
INNER = RoundRect(2, 2, WIDTH - 2, HEIGHT - 2, 2)
# Pressed: the outline one pixel further in, on the same arc centres.
PRESSED_OUTER = RoundRect(2, 2, WIDTH - 2, HEIGHT - 2, 2)
PRESSED_INNER = RoundRect(3, 3, WIDTH - 3, HEIGHT - 3, 1)

LOOKS = {
    "normal": outlined(OUTER, INNER, OUTLINE, halo,
                       lambda d, n: band_colour({"down": SHADOW}, d, n, FACE)),
    "highlight": outlined(OUTER, INNER, OUTLINE, halo,
                          lambda d, n: band_colour(HOT, d, n, FACE)),
    "selected": outlined(OUTER, INNER, OUTLINE, halo,
                         lambda d, n: band_colour(FOCUS, d, n, FACE)),
    "pressed": outlined(PRESSED_OUTER, PRESSED_INNER, OUTLINE, lambda y: PLAIN_RING,
                        lambda d, n: band_colour(
                            {"up": (rgb("#D1CCC1"), rgb("#D7D4CB")),
                             "left": (rgb("#D1CCC1"), rgb("#D7D4CB"))},
                            d, n, rgb("#E2E1D9"))),
    "disable": outlined(OUTER, INNER, rgb("#C9C7BA"), lambda y: PLAIN_RING,
                        lambda d, n: rgb("#F5F4EA")),
}


def main():
    for name, look in LOOKS.items():
        path = os.path.join(ASSETS, "button_%s.bmp" % name)
        with open(path, "wb") as f:
            f.write(skin(look))
        print(path)


if __name__ == "__main__":
    if len(sys.argv) != 1:
        print(__doc__)
        sys.exit(64)
    main()
