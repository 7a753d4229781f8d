"""Runs the saver under Wine (see run_saver.sh)."""

import os
import shutil
import subprocess
import sys
import time

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(REPO, "tests", "wine"))
import harness  # noqa: E402
import pictures  # noqa: E402

RENDERER = os.path.join(harness.DIST, "Velmora.dll")
TEXTURE = "C:\\q_vesk\\Nimbel.bmp"


def on_display():
    # A prefix of our own, so the user's ~/.wine is never touched.
    prefix = os.path.join(REPO, "build", "run-prefix")
    env = {k: v for k, v in os.environ.items() if not k.startswith("WINE")}
    env.update(harness.BASE_ENV)
    env["WINEPREFIX"] = prefix
    if not os.path.isdir(os.path.join(prefix, "drive_c")):
        subprocess.run([harness.WINE, "wineboot", "-i"], env=env, check=False,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    texture = os.path.join(prefix, "drive_c", "q_vesk", "Nimbel.bmp")
    os.makedirs(os.path.dirname(texture), exist_ok=True)
    with open(texture, "wb") as f:
        f.write(pictures.ring_bitmap())
    print("Velmora runs on", os.environ["DISPLAY"], "- press Esc in its window to end it.")
    return subprocess.run([harness.WINE, RENDERER], env=env, cwd=os.path.dirname(RENDERER)).returncode


def headless():
    with harness.WineSession("run") as s:
        s.write_c(TEXTURE, pictures.ring_bitmap())
        proc = s.start(RENDERER)
        s.wait_window("Nimbel_VC", timeout=30, visible=True)
        time.sleep(4)
        shot = s.screenshot("velmora")
        out = os.path.join(REPO, "build", "velmora-screenshot.png")
        shutil.copyfile(shot, out)
        s.post("Nimbel_VC", 0x0010)
        proc.wait(10)
    print(out)
    return 0


if __name__ == "__main__":
    raise SystemExit(on_display() if os.environ.get("DISPLAY") else headless())
