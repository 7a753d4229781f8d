#!/usr/bin/env python3
"""Saver-run timing under Wine, each figure beside a minimal Wine OpenGL
program (clear and swap only) measured in the same run:

  start to first ring frame: `Velmora.scr /s` until the renderer presents its
      second frame (its first frame is black by design: every ring starts
      beyond its limit), against the minimal program's start to its first frame;
  Esc to exit: Esc in the renderer until the launcher process has ended (the
      launcher notices at its next 500 ms watch tick), against Esc until the
      minimal program has ended.

Frames are seen from outside through Wine's wgl trace (one line per swap).
usage: bench/saver_bench.py [rounds]   (after the win64 build)"""

import os
import statistics
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "wine"))
import harness  # noqa: E402
from launcher_common import RENDERER_TITLE, install  # noqa: E402

MINIMAL = os.path.join(harness.REPO, "build", "win64", "bench", "min_gl.exe")
SWAP = b"wglSwapBuffers"


def time_run(session, exe, args, title, frames):
    """(seconds to the n-th presented frame, seconds from Esc to exit)."""
    proc = session.start(exe, args, env={"WINEDEBUG": "-all,trace+wgl"}, stderr=subprocess.PIPE)
    seen = 0
    shown = None
    for line in proc.popen.stderr:
        if SWAP in line:
            seen += 1
            if seen == frames:
                shown = time.monotonic() - proc.started
                break
        if time.monotonic() - proc.started > 60:
            break
    if shown is None:
        proc.end()
        raise harness.HarnessError(f"{os.path.basename(exe)} presented no frame")
    # Keep draining the trace so the program never blocks on a full pipe (Wine's
    # own helper processes may hold the pipe open after it ends).
    threading.Thread(target=lambda: [None for _ in proc.popen.stderr], daemon=True).start()
    time.sleep(0.5)
    session.focus_x_window(title)
    pressed = time.monotonic()
    session.key("Escape")
    code = proc.wait(15)
    ended = time.monotonic() - pressed
    if code is None:
        proc.end()
        raise harness.HarnessError(f"{os.path.basename(exe)} did not end after Esc")
    return shown, ended


def main():
    rounds = int(sys.argv[1]) if len(sys.argv) > 1 else 5
    saver, minimal = [], []
    with harness.WineSession("saver-bench", screen=(1024, 768)) as s:
        scr = install(s)
        time_run(s, MINIMAL, [], "MinGL", 1)  # warm up
        for _ in range(rounds):
            saver.append(time_run(s, scr, ["/s"], RENDERER_TITLE, 2))
            minimal.append(time_run(s, MINIMAL, [], "MinGL", 1))
            time.sleep(0.5)
    s_start = statistics.median(x[0] for x in saver)
    m_start = statistics.median(x[0] for x in minimal)
    s_end = statistics.median(x[1] for x in saver)
    m_end = statistics.median(x[1] for x in minimal)
    print(f"rounds {rounds}, medians")
    print(f"start to first ring frame: Velmora.scr /s {s_start * 1000:.0f} ms, minimal program to first frame "
          f"{m_start * 1000:.0f} ms, ratio {s_start / m_start:.2f}")
    print(f"Esc to exit:               launcher {s_end * 1000:.0f} ms, minimal program {m_end * 1000:.0f} ms, "
          f"ratio {s_end / m_end:.2f}")
    return 0


if __name__ == "__main__":
    raise SystemExit(main())
