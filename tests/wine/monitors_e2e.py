"""The saver on desktops of several monitors, under Wine: rings on the primary,
a black topmost cover on every other monitor, Esc on a cover, display changes."""

import subprocess
import time

import harness
import launcher_common as lc
import pictures
from harness import check, wait_until
from launcher_e2e import preview_once

COVER_TITLE = "Nimbel_VC_Cover"
WS_EX_TOPMOST, WS_EX_TOOLWINDOW = 0x00000008, 0x00000080


def start_saver(s):
    """/s over a white always-on-top window on every monitor but the primary,
    standing in for the user's documents (a sticky note, a video player)."""
    for left, top, right, bottom in s.monitors[1:]:
        paper = s.start(s.tool("window_tool.exe"), ["paper", *map(str, (left, top, right - left, bottom - top))],
                        stdout=subprocess.PIPE)
        check(paper.popen.stdout.readline().startswith(b"hwnd="), "no stand-in window")
    proc = s.start(lc.install(s), ["/s"])
    s.wait_window(lc.RENDERER_TITLE, timeout=20, visible=True)
    time.sleep(2.0)  # the flight under way
    return proc


def check_layout(s, name, monitors):
    """The ring window on the primary with the rings drawn in it; one black
    topmost cover of the ring window's process on every other monitor."""
    ring = s.find_window(lc.RENDERER_TITLE)
    check((ring["rect"], ring["exstyle"]) == (monitors[0], WS_EX_TOPMOST), f"ring window {ring}")
    found = []

    def look():
        found[:] = s.find_windows(COVER_TITLE)
        return len(found) == len(monitors) - 1

    wait_until(look, 5, 0.2)
    check(sorted(c["rect"] for c in found) == sorted(monitors[1:]), f"covers {found}, monitors {monitors}")
    for c in found:
        check((c["class"], c["exstyle"], c["visible"], c["pid"])
              == (COVER_TITLE, WS_EX_TOPMOST | WS_EX_TOOLWINDOW, 1, ring["pid"]), f"cover {c}")
    shot = s.screenshot(name)
    for i, rect in enumerate(monitors):
        st = pictures.stats(pictures.crop(shot, rect))
        print(name, rect, st)
        rings = 0.01 < st["lit"] <= 0.6 and st["colours"] > 800
        check(rings if i == 0 else st["lit"] <= 0.01, f"monitor {rect}: {st} (rings on the primary, else black)")
    return shot


def covered(monitors, name):
    with harness.WineSession(name, monitors=monitors) as s:
        proc = start_saver(s)
        check_layout(s, name, s.monitors)
        # Wine keeps an X display's layout, but sends WM_DISPLAYCHANGE when the
        # mode in use is set again: nothing may move or come twice.
        _, out = s.run(s.tool("window_tool.exe"), ["mode", *map(str, s.screen)])
        check(out.strip() == "0", f"ChangeDisplaySettingsEx gave {out.strip()}")
        time.sleep(1.0)
        check_layout(s, name + "-after-change", s.monitors)
        # Esc with the focus on a cover ends the run, and every saver window goes.
        left, top, right, bottom = s.monitors[-1]
        s.click((left + right) // 2, (top + bottom) // 2)
        check(s.foreground()["class"] == COVER_TITLE, f"focus on {s.foreground()}")
        s.key("Escape")
        check(proc.wait(5) == 0, "Esc on a cover did not end the run")
        check(wait_until(lambda: not s.find_windows(COVER_TITLE) and not s.find_window(lc.RENDERER_TITLE), 5),
              "a saver window outlived the run")


def two_monitors_covered():
    covered([(1280, 1024), (1024, 768)], "monitors-two")


def three_monitors_covered():
    covered([(1024, 768), (800, 600), (640, 480)], "monitors-three")


def display_change_refits():
    # An X display's modes cannot change under Wine; a Wine virtual desktop's
    # can, for one monitor. Covers for a changed layout are proven natively.
    with harness.WineSession("monitors-display-change", desktop=(1024, 768)) as s:
        proc = start_saver(s)
        for size in ((800, 600), (1024, 768)):
            _, out = s.run(s.tool("window_tool.exe"), ["mode", *map(str, size), lc.RENDERER_TITLE])
            result, took = map(int, out.split())
            print(f"mode {size}: {result}, ring window refitted in {took} ms")
            check(result == 0 and 0 <= took <= 1000, f"the ring window did not fit {size} within 1 s")
            shot = pictures.crop(check_layout(s, f"desktop-{size[0]}", [(0, 0) + size]), (0, 0) + size)
            time.sleep(0.5)
            later = pictures.crop(s.screenshot(f"desktop-{size[0]}-later"), (0, 0) + size)
            check(pictures.difference(shot, later) > 0.02, "the flight stopped")
        check(s.post(lc.RENDERER_TITLE, lc.WM_CLOSE) and proc.wait(5) == 0, "the run did not end")


def dialog_and_preview_on_two_monitors():
    with harness.WineSession("monitors-dialog", monitors=[(1280, 1024), (1024, 768)], locale=lc.JAPANESE) as s:
        scr = lc.install(s)
        proc = s.start(scr, ["/c"])
        # Centred on the primary by twips: (19200 - 6750) / 2 and (15360 - 4785) / 3.
        dialog = s.wait_window(lc.SETTINGS_TITLE, visible=True)
        check(dialog["rect"] == (415, 235, 865, 554), f"dialog at {dialog['rect']}")
        s.screenshot("dialog")
        s.post(lc.SETTINGS_TITLE, lc.WM_CLOSE)
        check(proc.wait(10) is not None, "the dialog did not close")
        preview = preview_once(s, scr, 152, 112)
        check(preview["rect"] == (0, 0, 152, 112), f"the preview does not fill its host: {preview['rect']}")


CASES = {f.__name__: f for f in (two_monitors_covered, three_monitors_covered, display_change_refits,
                                 dialog_and_preview_on_two_monitors)}

if __name__ == "__main__":
    raise SystemExit(harness.main(CASES))
