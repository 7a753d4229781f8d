"""The shipped setup program under 32-bit Wine: silent install, the saver run
from the stored path and the quiet uninstall; install over a running earlier
version, and an uninstall that leaves another saver chosen since alone."""

import os
import pathlib
import re

import harness
import launcher_common as lc
from harness import check

VERSION = os.environ.get("VELMORA_VERSION", "")
SETUP = os.path.join(harness.DIST, f"Velmora-Setup-{VERSION}.exe")
ENTRY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora"
DESKTOP = r"HKCU\Control Panel\Desktop"
FOLDER = "C:\\windows\\syswow64\\"  # the 32-bit system folder, as a 64-bit process names it
SAVER = FOLDER + "Velmora.scr"
UNINSTALLER = r"C:\Program Files (x86)\Velmora\uninstall.exe"
PAIR = {"Velmora.scr": lc.SCR, "Velmora.dll": lc.DLL}
OTHER_SAVER = r"C:\windows\system32\other.scr"


def reg(s, key, view="32"):
    """A key's values as {name: data}, or None when there is no such key."""
    code, out = s.run("reg", ["query", key, "/reg:" + view], cwd=s.prefix)
    rows = (re.match(r" {4}(.*?) {4}REG_\w+ {4}(.*)$", line.rstrip("\r")) for line in out.splitlines())
    return {m[1]: m[2] for m in rows if m} if code == 0 else None


def installed(s, name):
    return s.read_c(FOLDER + name) == pathlib.Path(PAIR[name]).read_bytes()


def install(s):
    check(os.path.exists(SETUP) and s.run(SETUP, ["/S"], timeout=120)[0] == 0, f"{SETUP} failed or is missing")


def uninstall(s):
    """As Programs and Features does: the quiet uninstall string's program with its
    arguments, no cmd. The uninstaller returns at once, leaving a copy of itself
    (started from the temp folder with _?=) to do the work: wait for that too."""
    m = re.fullmatch(r'"([^"]+\.exe)" (.*)', reg(s, ENTRY)["QuietUninstallString"])
    check(m and s.run(m[1], m[2].split(), cwd=s.prefix)[0] == 0, "no quiet uninstall program, or it failed")
    ours = lambda pid: "WINEPREFIX=" + s.prefix in harness.file_text(f"/proc/{pid}/environ").split("\0")
    copies = lambda: [p for p in os.listdir("/proc") if p.isdigit() and ours(p)
                      and "_?=" in harness.file_text(f"/proc/{p}/cmdline")]
    check(harness.wait_until(lambda: not copies(), 60), "the uninstaller's copy is still running")


def drive_files(s):
    root = os.path.join(s.prefix, "drive_c")
    return {os.path.relpath(os.path.join(d, f), root).lower() for d, _, files in os.walk(root) for f in files}


def install_run_uninstall():
    with harness.WineSession("setup-silent") as s:
        before = drive_files(s)
        install(s)
        check(all(installed(s, name) and not s.exists_c(r"C:\windows\system32" + "\\" + name) for name in PAIR),
              "the pair is not in syswow64 alone")
        entry = reg(s, ENTRY)
        check(entry and reg(s, ENTRY, "64") is None, "the entry is not in the 32-bit view alone")
        want = {"DisplayName": "Velmora", "DisplayVersion": VERSION, "Publisher": "Velmora",
                "DisplayIcon": SAVER + ",0", "UninstallString": f'"{UNINSTALLER}"',
                "QuietUninstallString": f'"{UNINSTALLER}" /S'}
        check({k: entry.get(k) for k in want} == want, f"uninstall entry {entry}")
        size = sum(os.path.getsize(p) for p in PAIR.values()) // 1024
        check(size <= int(entry["EstimatedSize"], 16) < size + 64, f"EstimatedSize {entry['EstimatedSize']}")
        desktop = reg(s, DESKTOP)
        check(desktop["SCRNSAVE.EXE"].lower() == SAVER.lower() and desktop["ScreenSaveActive"] == "1", f"{desktop}")
        proc = s.start(desktop["SCRNSAVE.EXE"], ["/s"], cwd=s.prefix)  # as Windows starts the saver
        s.wait_window(lc.RENDERER_TITLE, visible=True, timeout=30)
        s.post(lc.RENDERER_TITLE, lc.WM_CLOSE)
        check(proc.wait(10) == 0, "the installed saver did not end")
        s.write_c(FOLDER + "Velmora.ini", lc.settings_bytes(1, 3, ""))  # saved by the settings dialog
        uninstall(s)
        left = {f for f in drive_files(s) - before if not re.match(r"users/[^/]+/temp/~nsu", f)}
        check(left == {"windows/syswow64/velmora.ini"}, f"left behind: {sorted(left)}")
        check(s.read_c(FOLDER + "Velmora.ini") == lc.settings_bytes(1, 3, ""), "the user's settings changed")
        check(not s.exists_c(UNINSTALLER.rsplit("\\", 1)[0]) and reg(s, ENTRY) is None, "uninstaller or entry left")
        check("SCRNSAVE.EXE" not in reg(s, DESKTOP), "SCRNSAVE.EXE still names the removed saver")


def install_over_running_earlier():
    with harness.WineSession("setup-over") as s:
        install(s)
        for name in PAIR:  # an earlier version: other bytes in the DOS stub's text
            with open(s.c_path(FOLDER + name), "r+b") as f:
                f.seek(0x4E)
                f.write(b"earlier version!")
        s.run("reg", ["add", ENTRY, "/v", "DisplayVersion", "/d", "0.9.0", "/f", "/reg:32"], cwd=s.prefix)
        dialog = s.start(SAVER, ["/c"], cwd=s.prefix)  # its settings dialog holds the launcher's file
        s.wait_window(lc.SETTINGS_TITLE, visible=True, timeout=30)
        install(s)
        check(all(installed(s, name) for name in PAIR), "an earlier file was left in place")
        check(reg(s, ENTRY)["DisplayVersion"] == VERSION and dialog.running(), "old version named, or dialog ended")
        # The user has since chosen another saver: the uninstaller leaves that choice alone.
        dialog.end()
        s.run("reg", ["add", DESKTOP, "/v", "SCRNSAVE.EXE", "/d", OTHER_SAVER, "/f"], cwd=s.prefix)
        uninstall(s)
        check(reg(s, DESKTOP).get("SCRNSAVE.EXE") == OTHER_SAVER, "another saver's setting taken")


CASES = {f.__name__: f for f in (install_run_uninstall, install_over_running_earlier)}

if __name__ == "__main__":
    raise SystemExit(harness.main(CASES))
