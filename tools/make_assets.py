#!/usr/bin/env python3
"""(Re)generates the launcher's built-in pictures in assets/.

  tools/make_assets.py ring               assets/ring_texture.bmp, the 64 x 64 ring
  tools/make_assets.py preview SHOT.png   assets/preview_still.bmp, 152 x 112, from a
                                          screenshot of the renderer (see make_preview_still.py)
"""

import math
import os
import struct
import subprocess
import sys

ASSETS = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "assets")
PIXELS_PER_METRE = 2834


def bmp24(width, height, rows_bottom_up):
    """A 24-bit bottom-up bitmap file from rows of (b, g, r) bytes, padded to 4."""
    stride = (width * 3 + 3) // 4 * 4
    pixels = b"".join(row + bytes(stride - len(row)) for row in rows_bottom_up)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels),
                       PIXELS_PER_METRE, PIXELS_PER_METRE, 0, 0)
    return header + info + pixels


def ring_profile(d):
    """Brightness (0..246) of the ring at distance d from its centre, in texels:
    nothing beyond radius 28 and within 8, brightest at the rim (26), fading
    smoothly towards the centre."""
    if d >= 28.0 or d <= 8.0:
        return 0.0
    if d >= 26.0:
        return 246 * (1 - ((d - 26.0) / 2.0) ** 2)      # soft outer edge
    return 246 * ((d - 8.0) / 18.0) ** 1.6              # glow falling towards the centre


def ring_level(x, y, size=64):
    """Grey level of the ring texture's pixel (x, y)."""
    c = (size - 1) / 2
    v = ring_profile(math.hypot(x - c, y - c))
    return max(0, min(246, int(round(v))))


def make_ring():
    rows = []
    for y in range(63, -1, -1):  # bottom row first
        rows.append(b"".join(bytes((v, v, v)) for v in (ring_level(x, y) for x in range(64))))
    path = os.path.join(ASSETS, "ring_texture.bmp")
    with open(path, "wb") as f:
        f.write(bmp24(64, 64, rows))
    return path


def make_preview(screenshot):
    raw = subprocess.run(["convert", screenshot, "-filter", "Lanczos", "-resize", "152x112^",
                          "-gravity", "center", "-extent", "152x112", "-flip", "-depth", "8", "bgr:-"],
                         capture_output=True, check=True).stdout
    rows = [raw[i * 152 * 3:(i + 1) * 152 * 3] for i in range(112)]  # already flipped: bottom row first
    path = os.path.join(ASSETS, "preview_still.bmp")
    with open(path, "wb") as f:
        f.write(bmp24(152, 112, rows))
    return path


if __name__ == "__main__":
    if len(sys.argv) >= 2 and sys.argv[1] == "ring":
        print(make_ring())
    elif len(sys.argv) == 3 and sys.argv[1] == "preview":
        print(make_preview(sys.argv[2]))
    else:
        print(__doc__)
        sys.exit(64)
