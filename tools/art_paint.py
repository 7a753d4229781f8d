"""Painting helpers of the dialog's pictures: colour arithmetic, noise, blur,
supersampled rendering, and the saver's glowing rings."""

import math

from make_assets import ring_profile


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



def render(w, h, sample, n=8, level=clamp8):
    """Rows (bottom first) of a picture whose colour at a point is sample(x, y),
    averaged over n x n points per pixel; level turns an average into a byte."""
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
            r, g, b = (level(a / (n * n)) for a in acc)
            row += bytes((b, g, r))
        rows.append(bytes(row))
    return rows


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
