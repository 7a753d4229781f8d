#!/usr/bin/env python3
"""Renderer benchmark under Wine: time from process start to the first
presented frame, and frames per second at 1024 x 768, each side by side with a
minimal Wine OpenGL program that only clears and swaps, in the same run.

A presented frame is seen from outside, unchanged binaries: Wine's wgl trace
channel prints one line per SwapBuffers, read as it comes.
usage: bench/renderer_bench.py [rounds] [seconds-per-rate]   (after the win64 build)"""

import os
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "wine"))
import harness  # noqa: E402
import pictures  # noqa: E402

REPO = harness.REPO
RENDERER = os.path.join(REPO, "dist", "win64", "Velmora.dll")
MINIMAL = os.path.join(REPO, "build", "win64", "bench", "min_gl.exe")
SWAP = b"wglSwapBuffers"


def measure(session, exe, seconds):
    proc = session.start(exe, env={"WINEDEBUG": "-all,trace+wgl"}, stderr=subprocess.PIPE)
    started = proc.started
    first = None
    swaps = 0
    stream = proc.popen.stderr
    try:
        for line in stream:
            if SWAP not in line:
                continue
            now = time.monotonic()
            if first is None:
                first = now
                window_start = now + 1.0  # let the first second settle
            elif now >= window_start:
                swaps += 1
                if now >= window_start + seconds:
                    break
            if now - started > 60:
                break
    finally:
        proc.end()
    if first is None:
        raise harness.HarnessError(f"{os.path.basename(exe)} presented no frame")
    return first - started, swaps / seconds


def main():
    rounds = int(sys.argv[1]) if len(sys.argv) > 1 else 5
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 5.0
    for exe in (RENDERER, MINIMAL):
        if not os.path.exists(exe):
            print("missing", exe, "- build the win64 preset first")
            return 2
    results = {RENDERER: [], MINIMAL: []}
    with harness.WineSession("bench", screen=(1024, 768)) as s:
        s.write_c("C:\\q_vesk\\Nimbel.bmp", pictures.ring_bitmap())
        measure(s, MINIMAL, 1.0)  # warm the file cache and the server
        for _ in range(rounds):
            for exe in (RENDERER, MINIMAL):  # interleaved, so drift hits both alike
                results[exe].append(measure(s, exe, seconds))
                time.sleep(0.5)
    r_start = statistics.median(x[0] for x in results[RENDERER])
    m_start = statistics.median(x[0] for x in results[MINIMAL])
    r_fps = statistics.median(x[1] for x in results[RENDERER])
    m_fps = statistics.median(x[1] for x in results[MINIMAL])
    print(f"rounds {rounds}, rate window {seconds:.1f} s, screen 1024x768, medians")
    print(f"start to first frame: renderer {r_start * 1000:.0f} ms, minimal {m_start * 1000:.0f} ms, "
          f"ratio {r_start / m_start:.2f} (target <= 1.20)")
    print(f"frames per second:    renderer {r_fps:.1f}, minimal {m_fps:.1f}, "
          f"ratio {r_fps / m_fps:.2f} (target >= 0.90)")
    ok = r_start / m_start <= 1.2 and r_fps / m_fps >= 0.9
    print("targets met" if ok else "targets NOT met")
    return 0


if __name__ == "__main__":
    raise SystemExit(main())
