"""Runs Velmora.scr under Wine (see run_saver.sh): the saver (/s, the
default), the settings dialog (/c) or the preview (/p, in a host window the
size of the Display settings' preview pane)."""

import os
import shutil
import subprocess
import sys
import time

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(REPO, "tests", "wine"))
import harness  # noqa: E402
from launcher_common import DLL, RENDERER_TITLE, SCR, SETTINGS_TITLE, install  # noqa: E402

PREVIEW_PANE = (152, 112)  # the Display settings' preview, in pixels
HOST_TITLE = "Display Properties"
WINDOW_TOOL = os.path.join(harness.TOOLS, "window_tool.exe")
HINTS = {
    "/s": "the saver - press Esc to end it",
    "/c": "the settings dialog",
    "/p": "the preview in a host window - close the host to end it",
}


def on_display(switch):
    # A prefix of our own, so the user's ~/.wine is never touched.
    prefix = os.path.join(REPO, "build", "run-prefix")
    env = {k: v for k, v in os.environ.items() if not k.startswith("WINE")}
    env.update(harness.BASE_ENV)
    env["WINEPREFIX"] = prefix
    windows = os.path.join(prefix, "drive_c", "windows")
    if not os.path.isdir(windows):
        subprocess.run([harness.WINE, "wineboot", "-i"], env=env, check=False,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    elif harness.BITS == 32 and not os.path.exists(os.path.join(windows, "syswow64", "kernel32.dll")):
        # Made before 32-bit Wine was installed: an update adds the 32-bit side.
        subprocess.run([harness.WINE, "wineboot", "-u"], env=env, check=False,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    folder = os.path.join(prefix, "drive_c", "Velmora")
    os.makedirs(folder, exist_ok=True)
    for program in (SCR, DLL):
        shutil.copyfile(program, os.path.join(folder, os.path.basename(program)))
    scr = os.path.join(folder, "Velmora.scr")
    print(f"Velmora runs on {os.environ['DISPLAY']}: {HINTS[switch]}.")
    if switch != "/p":
        return subprocess.run([harness.WINE, scr, switch], env=env, cwd=folder).returncode
    host = subprocess.Popen([harness.WINE, WINDOW_TOOL, "host", str(PREVIEW_PANE[0]), str(PREVIEW_PANE[1]),
                             HOST_TITLE], env=env, cwd=folder, stdout=subprocess.PIPE)
    handle = host.stdout.readline().decode().strip()
    preview = subprocess.Popen([harness.WINE, scr, "/p", handle], env=env, cwd=folder)
    host.wait()
    preview.wait(10)
    return 0


def headless(switch):
    with harness.WineSession("run") as s:
        scr = install(s)
        if switch == "/s":
            proc = s.start(scr, ["/s"])
            s.wait_window(RENDERER_TITLE, timeout=30, visible=True)
            time.sleep(4)
        elif switch == "/c":
            proc = s.start(scr, ["/c"])
            s.wait_window(SETTINGS_TITLE, timeout=30, visible=True)
            time.sleep(2)
        else:
            host = s.start(WINDOW_TOOL, ["host", str(PREVIEW_PANE[0]), str(PREVIEW_PANE[1]), HOST_TITLE],
                           stdout=subprocess.PIPE)
            handle = host.popen.stdout.readline().decode().strip()
            proc = s.start(scr, ["/p", handle])
            time.sleep(3)
        shot = s.screenshot("velmora")
        out = os.path.join(REPO, "build", f"velmora-{switch[1]}-screenshot.png")
        shutil.copyfile(shot, out)
        title = {"/s": RENDERER_TITLE, "/c": SETTINGS_TITLE, "/p": HOST_TITLE}[switch]
        s.post(title, 0x0010)  # WM_CLOSE
        proc.wait(10)
    print(out)
    return 0


if __name__ == "__main__":
    switch = (sys.argv[1] if len(sys.argv) > 1 else "/s").lower()
    if switch not in HINTS:
        sys.exit("usage: tools/run_saver.sh [/s | /c | /p]")
    raise SystemExit(on_display(switch) if os.environ.get("DISPLAY") else headless(switch))
