"""The shipped setup program under 32-bit Wine: silent install, and the saver run
from the stored path; quiet uninstall; install over a running earlier version;
the pages in English and Japanese, with the choice of the current saver."""

import os
import re
import time

import harness
import launcher_common as lc
from harness import check

VERSION = os.environ.get("VELMORA_VERSION", "")
SETUP = os.path.join(harness.DIST, f"Velmora-Setup-{VERSION}.exe")
ENTRY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora"
DESKTOP = r"HKCU\Control Panel\Desktop"
FOLDER = r"C:\windows\syswow64"  # what a 64-bit process calls the 32-bit system folder
SAVER = FOLDER + r"\Velmora.scr"
UNINSTALLER = r"C:\Program Files (x86)\Velmora\uninstall.exe"
PAIR = {"Velmora.scr": lc.SCR, "Velmora.dll": lc.DLL}
OTHER_SAVER = r"C:\windows\system32\other.scr"
BM_GETCHECK, BS_AUTOCHECKBOX = 0x00F0, 3


def reg(s, key, view="32"):
    """A key's values as {name: data}, or None when there is no such key."""
    code, out = s.run("reg", ["query", key, "/reg:" + view], cwd=s.prefix)
    rows = (re.match(r" {4}(.*?) {4}REG_\w+ {4}(.*)$", line.rstrip("\r")) for line in out.splitlines())
    return {m[1]: m[2] for m in rows if m} if code == 0 else None


def installed(s, name):
    with open(s.c_path(FOLDER + "\\" + name), "rb") as f, open(PAIR[name], "rb") as g:
        return f.read() == g.read()


def install(s):
    check(os.path.exists(SETUP) and s.run(SETUP, ["/S"], timeout=120)[0] == 0, f"{SETUP} failed or is missing")


def uninstall(s):
    """Runs the quiet uninstall string as Programs and Features does: the program
    and its arguments, no cmd. NSIS's uninstaller starts a copy of itself from
    the temp folder and returns at once; wait for that copy to end too."""
    m = re.fullmatch(r'"([^"]+\.exe)" (.*)', reg(s, ENTRY)["QuietUninstallString"])
    check(m is not None, "the quiet uninstall string is not a program followed by its arguments")
    check(s.run(m[1], m[2].split(), cwd=s.prefix)[0] == 0, "the uninstaller failed")
    check(harness.wait_until(lambda: not copies_running(s), 60), "the uninstaller's copy is still running")


def copies_running(s):
    ours = [f"/proc/{pid}/" for pid in os.listdir("/proc") if pid.isdigit()
            and "WINEPREFIX=" + s.prefix in harness.file_text(f"/proc/{pid}/environ").split("\0")]
    return any("_?=" in harness.file_text(p + "cmdline") for p in ours)


def drive_files(s):
    root = os.path.join(s.prefix, "drive_c")
    return {os.path.relpath(os.path.join(d, f), root).lower() for d, _, files in os.walk(root) for f in files}


def silent_install():
    with harness.WineSession("setup-silent") as s:
        install(s)
        for name in PAIR:
            check(installed(s, name), f"{name} is not in syswow64")
            check(not s.exists_c(r"C:\windows\system32" + "\\" + name), f"{name} is in the 64-bit system32")
        entry = reg(s, ENTRY)
        check(entry is not None and reg(s, ENTRY, "64") is None, "the entry is not in the 32-bit view alone")
        want = {"DisplayName": "Velmora", "DisplayVersion": VERSION, "Publisher": "Velmora",
                "DisplayIcon": SAVER + ",0", "UninstallString": f'"{UNINSTALLER}"',
                "QuietUninstallString": f'"{UNINSTALLER}" /S'}
        check({k: entry.get(k) for k in want} == want, f"uninstall entry {entry}")
        size = sum(os.path.getsize(p) for p in PAIR.values()) // 1024
        check(size <= int(entry["EstimatedSize"], 16) < size + 64, f"EstimatedSize {entry['EstimatedSize']}")
        desktop = reg(s, DESKTOP)
        check(desktop["SCRNSAVE.EXE"].lower() == SAVER.lower() and desktop["ScreenSaveActive"] == "1", f"{desktop}")
        # Windows starts the saver by the stored path.
        proc = s.start(desktop["SCRNSAVE.EXE"], ["/s"], cwd=s.prefix)
        s.wait_window(lc.RENDERER_TITLE, visible=True, timeout=30)
        s.post(lc.RENDERER_TITLE, lc.WM_CLOSE)
        check(proc.wait(10) == 0, "the installed saver did not end")


def silent_uninstall():
    with harness.WineSession("setup-uninstall") as s:
        before = drive_files(s)
        install(s)
        settings = lc.settings_bytes(1, 3, "")
        s.write_c(FOLDER + r"\Velmora.ini", settings)  # saved by the settings dialog
        uninstall(s)
        left = {f for f in drive_files(s) - before if not re.match(r"users/[^/]+/temp/~nsu", f)}
        check(left == {"windows/syswow64/velmora.ini"}, f"left behind: {sorted(left)}")
        check(s.read_c(FOLDER + r"\Velmora.ini") == settings, "the user's settings were changed")
        check(not s.exists_c(UNINSTALLER.rsplit("\\", 1)[0]), "the uninstaller's folder is left")
        check(reg(s, ENTRY) is None, "the uninstall entry is left")
        check("SCRNSAVE.EXE" not in reg(s, DESKTOP), "SCRNSAVE.EXE still names the removed saver")


def install_over_running_earlier():
    with harness.WineSession("setup-over") as s:
        install(s)
        # An earlier version, its settings dialog open: the launcher's file is in use.
        for name in PAIR:
            with open(s.c_path(FOLDER + "\\" + name), "r+b") as f:
                f.seek(0x4E)  # the DOS stub's text
                f.write(b"earlier version!")
        s.run("reg", ["add", ENTRY, "/v", "DisplayVersion", "/d", "0.9.0", "/f", "/reg:32"], cwd=s.prefix)
        dialog = s.start(SAVER, ["/c"], cwd=s.prefix)
        s.wait_window(lc.SETTINGS_TITLE, visible=True, timeout=30)
        install(s)
        check(all(installed(s, name) for name in PAIR), "an earlier file was left in place")
        check(reg(s, ENTRY)["DisplayVersion"] == VERSION, "the entry still names the earlier version")
        check(dialog.running(), "the running settings dialog was disturbed")


def checkbox(s, window):
    boxes = (c for c in lc.children(s, window) if c["class"] == "Button" and c["style"] & 0xF == BS_AUTOCHECKBOX)
    return next((c["hwnd"] for c in boxes if c["visible"]), None)


def press_enter(s, title):
    s.focus_x_window(title)
    s.key("Return")


def pages(language):
    """Walks the pages with Enter; the English run unticks the choice."""
    title = {"en": "Velmora Setup", "ja": "Velmora セットアップ"}[language]
    locale = {"en": "C", "ja": lc.JAPANESE}[language]
    with harness.WineSession("setup-pages-" + language, locale=locale, compiled_locale=language == "ja") as s:
        s.run("reg", ["add", DESKTOP, "/v", "SCRNSAVE.EXE", "/d", OTHER_SAVER, "/f"], cwd=s.prefix)
        proc = s.start(SETUP)
        window = s.wait_window(title, visible=True, timeout=60)["hwnd"]  # the title is in the user's language
        time.sleep(1)
        s.screenshot("welcome")
        press_enter(s, title)
        check(harness.wait_until(lambda: checkbox(s, window), 30, step=0.3), "no page with the choice")
        s.screenshot("saver")
        ticked = s.run(s.tool("window_tool.exe"), ["send", str(checkbox(s, window)), str(BM_GETCHECK)])[1]
        check(ticked.strip() == "1", "the choice is not ticked at first")
        if language == "en":
            s.focus_x_window(title)
            s.key("alt+m")
        press_enter(s, title)
        check(harness.wait_until(lambda: s.exists_c(UNINSTALLER), 30), "nothing installed")
        time.sleep(1)
        s.screenshot("finish")
        # Enter until it ends: it is ignored while the files page is still up.
        check(harness.wait_until(lambda: press_enter(s, title) or proc.wait(1) == 0, 30), "setup did not end")
        mine = language == "ja"
        check(reg(s, DESKTOP)["SCRNSAVE.EXE"].lower() == (SAVER if mine else OTHER_SAVER).lower(),
              "the choice was not followed")
        uninstall(s)
        check(reg(s, DESKTOP).get("SCRNSAVE.EXE") == (None if mine else OTHER_SAVER),
              "the uninstaller took another saver's setting, or left its own")


CASES = {f.__name__: f for f in (silent_install, silent_uninstall, install_over_running_earlier)}
CASES.update({"pages_english": lambda: pages("en"), "pages_japanese": lambda: pages("ja")})

if __name__ == "__main__":
    raise SystemExit(harness.main(CASES))
