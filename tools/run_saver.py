"""Runs the saver, `Velmora.scr /s`, under Wine (see run_saver.sh)."""

import os
import shutil
import subprocess
import sys
import time

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(REPO, "tests", "wine"))
import harness  # noqa: E402
from launcher_common import DLL, RENDERER_TITLE, SCR, install  # noqa: E402


def on_display():
    # A prefix of our own, so the user's ~/.wine is never touched.
    prefix = os.path.join(REPO, "build", "run-prefix")
    env = {k: v for k, v in os.environ.items() if not k.startswith("WINE")}
    env.update(harness.BASE_ENV)
    env["WINEPREFIX"] = prefix
    if not os.path.isdir(os.path.join(prefix, "drive_c")):
        subprocess.run([harness.WINE, "wineboot", "-i"], env=env, check=False,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    folder = os.path.join(prefix, "drive_c", "Velmora")
    os.makedirs(folder, exist_ok=True)
    for program in (SCR, DLL):
        shutil.copyfile(program, os.path.join(folder, os.path.basename(program)))
    print("Velmora runs on", os.environ["DISPLAY"], "- press Esc to end it.")
    return subprocess.run([harness.WINE, os.path.join(folder, "Velmora.scr"), "/s"], env=env,
                          cwd=folder).returncode


def headless():
    with harness.WineSession("run") as s:
        proc = s.start(install(s), ["/s"])
        s.wait_window(RENDERER_TITLE, timeout=30, visible=True)
        time.sleep(4)
        shot = s.screenshot("velmora")
        out = os.path.join(REPO, "build", "velmora-screenshot.png")
        shutil.copyfile(shot, out)
        s.post(RENDERER_TITLE, 0x0010)
        proc.wait(10)
    print(out)
    return 0


if __name__ == "__main__":
    raise SystemExit(on_display() if os.environ.get("DISPLAY") else headless())
