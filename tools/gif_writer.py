"""A small GIF89a writer for the asset scripts: colour reduction by median cut
and LZW compression, in plain Python.

  palette, indices = quantise(pixels, 128)       pixels: a list of (r, g, b)
  data = gif89a(w, h, global_palette, frames, delay=10, disposal=2, loops=0)
         frames: a list of (palette, indices), each with its own local colour table
"""

import struct


# --- colour reduction ------------------------------------------------------------------

class _Box:
    """A set of distinct colours with their counts, and the error of
    representing them all by their mean."""

    def __init__(self, colours):
        self.colours = colours  # list of ((r, g, b), count)
        n = sum(c for _, c in colours)
        sums = [sum(rgb[i] * c for rgb, c in colours) for i in range(3)]
        squares = [sum(rgb[i] * rgb[i] * c for rgb, c in colours) for i in range(3)]
        self.count = n
        self.mean = tuple(s / n for s in sums)
        self.spread = [squares[i] - sums[i] * sums[i] / n for i in range(3)]
        self.error = sum(self.spread)

    def split(self):
        axis = max(range(3), key=lambda i: self.spread[i])
        ordered = sorted(self.colours, key=lambda e: e[0][axis])
        half, running = self.count / 2, 0
        for cut, (_, c) in enumerate(ordered):
            running += c
            if running >= half:
                break
        cut = min(max(cut + 1, 1), len(ordered) - 1)
        return _Box(ordered[:cut]), _Box(ordered[cut:])


def _nearest(palette, rgb):
    r, g, b = rgb
    best, best_d = 0, None
    for i, (pr, pg, pb) in enumerate(palette):
        d = (pr - r) * (pr - r) * 3 + (pg - g) * (pg - g) * 4 + (pb - b) * (pb - b) * 2
        if best_d is None or d < best_d:
            best, best_d = i, d
    return best


def quantise(pixels, max_colours, refinements=3):
    """Reduces pixels to at most max_colours: median cut on the colour histogram
    (always splitting the box with the largest error), then a few rounds of moving
    each entry to the mean of the colours nearest to it. Returns (palette, indices)."""
    histogram = {}
    for p in pixels:
        histogram[p] = histogram.get(p, 0) + 1
    if len(histogram) <= max_colours:
        palette = sorted(histogram)
        lookup = {c: i for i, c in enumerate(palette)}
        return palette, [lookup[p] for p in pixels]
    boxes = [_Box(list(histogram.items()))]
    while len(boxes) < max_colours:
        splittable = [b for b in boxes if len(b.colours) > 1]
        if not splittable:
            break
        worst = max(splittable, key=lambda b: b.error)
        boxes.remove(worst)
        boxes.extend(worst.split())
    palette = [tuple(int(v + 0.5) for v in b.mean) for b in boxes]
    for _ in range(refinements):
        sums = [[0, 0, 0, 0] for _ in palette]
        for rgb, count in histogram.items():
            s = sums[_nearest(palette, rgb)]
            for i in range(3):
                s[i] += rgb[i] * count
            s[3] += count
        palette = [tuple(int(s[i] / s[3] + 0.5) for i in range(3)) if s[3] else p
                   for s, p in zip(sums, palette)]
    lookup = {rgb: _nearest(palette, rgb) for rgb in histogram}
    return palette, [lookup[p] for p in pixels]


# --- LZW ------------------------------------------------------------------------------

def lzw(indices, min_code_size):
    """The image data of one frame: the variable-length LZW codes, packed from the
    low bit up, as GIF stores them (without the sub-block framing)."""
    clear, end = 1 << min_code_size, (1 << min_code_size) + 1
    out = bytearray()
    bits = nbits = 0

    def emit(code, size):
        nonlocal bits, nbits
        bits |= code << nbits
        nbits += size
        while nbits >= 8:
            out.append(bits & 255)
            bits >>= 8
            nbits -= 8

    def reset():
        return {}, end + 1, min_code_size + 1

    table, next_code, size = reset()
    emit(clear, size)
    prefix = None
    for k in indices:
        if prefix is None:
            prefix = k
            continue
        code = table.get((prefix, k))
        if code is not None:
            prefix = code
            continue
        emit(prefix, size)
        table[(prefix, k)] = next_code
        next_code += 1
        # The decoder adds each entry one code later than we do, so it widens its
        # codes when our newest entry no longer fits the current width.
        if next_code > (1 << size) and size < 12:
            size += 1
        if next_code == 4096:   # table full: start again
            emit(clear, size)
            table, next_code, size = reset()
        prefix = k
    if prefix is not None:
        emit(prefix, size)
    emit(end, size)
    if nbits:
        out.append(bits & 255)
    return bytes(out)


def sub_blocks(data):
    chunks = [data[i:i + 255] for i in range(0, len(data), 255)]
    return b"".join(bytes((len(c),)) + c for c in chunks) + b"\0"


# --- file -----------------------------------------------------------------------------

def table_bits(count):
    """Size field of a colour table that holds count entries (at least 2 entries)."""
    bits = 1
    while (1 << bits) < count:
        bits += 1
    return bits


def colour_table(palette, bits):
    entries = list(palette) + [(0, 0, 0)] * ((1 << bits) - len(palette))
    return b"".join(bytes(c) for c in entries)


def gif89a(width, height, global_palette, frames, delay=10, disposal=2, loops=0,
           background=0, min_table_bits=3):
    gbits = table_bits(len(global_palette))
    out = bytearray(b"GIF89a")
    out += struct.pack("<HHBBB", width, height, 0x80 | 0x70 | (gbits - 1), background, 0)
    out += colour_table(global_palette, gbits)
    out += b"\x21\xff\x0bNETSCAPE2.0\x03\x01" + struct.pack("<H", loops) + b"\0"
    for palette, indices in frames:
        assert len(indices) == width * height
        bits = max(min_table_bits, table_bits(len(palette)))
        out += b"\x21\xf9\x04" + struct.pack("<BHB", disposal << 2, delay, 0) + b"\0"
        out += b"\x2c" + struct.pack("<HHHHB", 0, 0, width, height, 0x80 | (bits - 1))
        out += colour_table(palette, bits)
        code_size = max(2, bits)
        out += bytes((code_size,)) + sub_blocks(lzw(indices, code_size))
    out += b"\x3b"
    return bytes(out)
