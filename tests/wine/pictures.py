"""Pixel statistics of screenshots, and test bitmaps."""

import math
import struct
import subprocess


def load_rgb(path):
    """(width, height, bytes of RGB triples) of an image file, via ImageMagick."""
    size = subprocess.run(["identify", "-format", "%w %h", path], capture_output=True, text=True,
                          check=True).stdout.split()
    width, height = int(size[0]), int(size[1])
    data = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], capture_output=True, check=True).stdout
    return width, height, data


def pixels(path, origin=(0, 0)):
    """The picture in an image file as a function of (x, y), counted from origin: an (r, g, b) tuple."""
    width, _, data = load_rgb(path)
    left, top = origin

    def pixel(x, y):
        at = ((top + y) * width + left + x) * 3
        return tuple(data[at:at + 3])

    return pixel


def stats(path, lit_level=24):
    """What a judge of the picture needs: how much is lit, how tinted, how varied."""
    width, height, data = load_rgb(path)
    pixels = width * height
    lit = tinted = total = 0
    colours = set()
    for i in range(0, len(data), 3):
        r, g, b = data[i], data[i + 1], data[i + 2]
        total += r + g + b
        top = max(r, g, b)
        if top > lit_level:
            lit += 1
            colours.add(data[i:i + 3])
            if top - min(r, g, b) > 40:
                tinted += 1
    return {
        "width": width,
        "height": height,
        "lit": lit / pixels,
        "tinted": tinted / max(lit, 1),
        "mean": total / (3 * pixels),
        "colours": len(colours),
    }


def difference(path_a, path_b, threshold=16):
    """Share of pixels whose colour differs by more than threshold in any channel."""
    _, _, a = load_rgb(path_a)
    _, _, b = load_rgb(path_b)
    if len(a) != len(b):
        return 1.0
    changed = 0
    for i in range(0, len(a), 3):
        if (abs(a[i] - b[i]) > threshold or abs(a[i + 1] - b[i + 1]) > threshold
                or abs(a[i + 2] - b[i + 2]) > threshold):
            changed += 1
    return changed / (len(a) // 3)


def crop(path, rect):
    """The part of an image file inside rect (left, top, right, bottom), as a new file beside it."""
    left, top, right, bottom = rect
    out = path[:-4] + f"-at-{left}-{top}.png"
    subprocess.run(["convert", path, "-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage", out],
                   check=True)
    return out


def bmp24(width, height, pixel):
    """A bottom-up 24-bit BMP; pixel(x, y) gives (r, g, b) with y counted from the top."""
    stride = (width * 3 + 3) // 4 * 4
    rows = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += bytes(stride - len(row))
        rows += row
    header = struct.pack("<2sIHHI", b"BM", 54 + len(rows), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    return header + info + bytes(rows)


def ring_bitmap(size=64):
    """A grey glowing ring: dark outside radius 28 and inside 8, bright rim at 26."""
    centre = (size - 1) / 2

    def pixel(x, y):
        d = math.hypot(x - centre, y - centre)
        if d >= 28 or d <= 8:
            v = 0
        elif d >= 26:
            v = 246 * (28 - d) / 2
        else:
            v = 246 * ((d - 8) / 18) ** 2
        v = int(max(0, min(246, v)))
        return v, v, v

    return bmp24(size, size, pixel)
