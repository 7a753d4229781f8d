"""Wine test harness: every test gets its own Xvfb display and its own copy of
a pristine Wine prefix, starts Windows programs with time limits, inspects
their windows, sends keys and clicks, takes screenshots, reads and writes the
prefix's C: drive, and ends every process it started, by PID, however the
test ends. On request (audio=True) a session also gets its own sound server
with a null sink, and records and measures what its programs play.

Its parts: harness_prefix (the prefix, displays, processes), harness_session
(WineSession), harness_audio (the sound sink and recordings) and harness_probe
(the probes of tools/ and their logs); `import harness` gives them all."""

import os
import signal
import sys
import time
import traceback

# What the test scripts use: `import harness` gives all of it.
from harness_audio import AudioSink, Recording, dominant_frequency  # noqa: F401
from harness_prefix import (ARTIFACTS, BASE_ENV, BITS, DIST, PRISTINE, REPO, SKIP_CODE, TOOLS, WINE,  # noqa: F401
                            WORK, HarnessError, Xvfb, compiled_locale_path, ensure_pristine_prefix, file_text)
from harness_probe import Probe  # noqa: F401
from harness_session import WineSession, WinProcess  # noqa: F401
from wine_loader import WINESERVER, why_32bit_cannot_run  # noqa: F401


def wait_until(predicate, timeout, step=0.05):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if predicate():
            return True
        time.sleep(step)
    return predicate()


def check(condition, message):
    if not condition:
        raise HarnessError(message)


def warm_up():
    """Runs the renderer once, in a copy of the pristine prefix, before any case:
    the first OpenGL program of a run loads Mesa and LLVM from disk and fills
    the shader cache, a cost that otherwise lands on whichever case comes first."""
    renderer = os.path.join(DIST, "Velmora.dll")
    if not os.path.exists(renderer):
        return
    started = time.monotonic()
    with WineSession("warm-up") as s:
        proc = s.start(renderer)
        try:
            s.wait_window("Nimbel_VC", timeout=120, visible=True)
            time.sleep(1.0)  # a few frames: the drawing shaders too
        except HarnessError:
            pass
        s.post("Nimbel_VC", 0x0010)  # WM_CLOSE
        proc.wait(10)
    print(f"warmed up in {time.monotonic() - started:.1f} s")


def main(cases):
    """Runs the case named on the command line: cases maps names to functions of no arguments."""
    if len(sys.argv) == 2 and sys.argv[1] == "--list":
        print(";".join(cases))  # a CMake list: the build registers one test per case
        return 0
    if BITS == 32:
        reason = why_32bit_cannot_run()
        if reason:
            print(f"SKIPPED: {reason}")
            return SKIP_CODE
    if len(sys.argv) == 2 and sys.argv[1] == "--prefix":
        ensure_pristine_prefix()
        print("pristine prefix ready:", PRISTINE)
        warm_up()
        return 0
    if len(sys.argv) != 2 or sys.argv[1] not in cases:
        print("usage:", sys.argv[0], "|".join(sorted(cases)), file=sys.stderr)
        return 64

    def terminate(signum, frame):
        raise SystemExit(f"stopped by signal {signum}")

    signal.signal(signal.SIGTERM, terminate)
    name = sys.argv[1]
    try:
        cases[name]()
    except Exception:
        traceback.print_exc()
        print(f"FAIL {name}")
        return 1
    print(f"PASS {name}")
    return 0
