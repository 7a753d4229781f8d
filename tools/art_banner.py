"""The settings dialog's banner: the name over turning rings, 25 frames."""

import math
import subprocess

from art_paint import TINTS, Ring, box_blur, clamp8, glow, mix
from gif_writer import gif89a, quantise


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
