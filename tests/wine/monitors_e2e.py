"""The saver on a desktop of several monitors, under Wine: the rings on the
primary and a black, always-on-top cover on every other monitor, Esc on a
cover, a display change during a run, and the preview and the settings
dialog where they belong."""

import subprocess
import time

import harness
import launcher_common as lc
import pictures
from harness import check, wait_until

COVER_TITLE = "Nimbel_VC_Cover"
WS_EX_TOPMOST, WS_EX_TOOLWINDOW = 0x00000008, 0x00000080


def stand_ins(s):
    """A white always-on-top window over every monitor but the primary: the
    user's documents, as a sticky note or video player would keep them."""
    for left, top, right, bottom in s.monitors[1:]:
        proc = s.start(s.tool("window_tool.exe"), ["paper", str(left), str(top), str(right - left),
                                                   str(bottom - top)], stdout=subprocess.PIPE)
        check(proc.popen.stdout.readline().startswith(b"hwnd="), "no stand-in window")


def start_saver(s):
    stand_ins(s)
    proc = s.start(lc.install(s), ["/s"])
    s.wait_window(lc.RENDERER_TITLE, timeout=20, visible=True)
    return proc


def covers(s, count):
    found = []

    def look():
        found[:] = s.find_windows(COVER_TITLE)
        return len(found) == count

    wait_until(look, 5, 0.2)
    return found


def check_layout(s, name, screen=None):
    """The ring window on the primary, one black topmost cover on every other
    monitor, from the ring window's process; the rings drawn on the primary."""
    ring = s.find_window(lc.RENDERER_TITLE)
    primary = (0, 0) + (screen or s.screen)
    check(ring["rect"] == primary and ring["client"] == primary[2:], f"ring window {ring['rect']} {ring['client']}")
    check(ring["exstyle"] == WS_EX_TOPMOST, f"ring window exstyle 0x{ring['exstyle']:08X}")
    found = covers(s, len(s.monitors) - 1 if not screen else 0)
    want = [] if screen else sorted(s.monitors[1:])
    check(sorted(c["rect"] for c in found) == want, f"covers {[c['rect'] for c in found]}, monitors {s.monitors}")
    for c in found:
        check((c["class"], c["exstyle"], c["visible"], c["pid"]) == (COVER_TITLE, WS_EX_TOPMOST | WS_EX_TOOLWINDOW,
                                                                     1, ring["pid"]), f"cover {c}")
    shot = s.screenshot(name)
    rings = pictures.stats(pictures.crop(shot, primary))
    print(name, "primary", rings)
    check(0.01 < rings["lit"] <= 0.6 and rings["colours"] > 800, f"no rings on the primary: {rings}")
    for rect in want:
        st = pictures.stats(pictures.crop(shot, rect))
        print(name, rect, st)
        check(st["lit"] <= 0.01, f"the monitor at {rect} shows {st['lit']:.1%} lit pixels")
    return shot


def covered(monitors, name):
    with harness.WineSession(name, monitors=monitors) as s:
        proc = start_saver(s)
        time.sleep(2.0)  # the flight under way
        check_layout(s, name)
        # Wine keeps an X display's layout, but it still sends WM_DISPLAYCHANGE
        # when the mode is set to the one in use: nothing may move or double.
        _, result = s.run(s.tool("window_tool.exe"), ["mode", *map(str, s.screen)])
        check(result.strip() == "0", f"ChangeDisplaySettingsEx gave {result.strip()}")
        time.sleep(1.0)
        check_layout(s, name + "-after-change")
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
        time.sleep(2.0)
        check_layout(s, "desktop-1024", screen=(1024, 768))
        for size in ((800, 600), (1024, 768)):
            _, out = s.run(s.tool("window_tool.exe"), ["mode", *map(str, size), lc.RENDERER_TITLE])
            result, took = map(int, out.split())
            check(result == 0, f"ChangeDisplaySettingsEx gave {result}")
            print(f"refitted to {size} in {took} ms")
            check(0 <= took <= 1000, f"the ring window did not fit {size} within 1 s: {took} ms")
            shot = check_layout(s, f"desktop-{size[0]}", screen=size)
            time.sleep(0.5)
            moved = pictures.difference(pictures.crop(shot, (0, 0) + size),
                                        pictures.crop(s.screenshot(f"desktop-{size[0]}-later"), (0, 0) + size))
            check(moved > 0.02, f"frames half a second apart differ in {moved:.1%} of pixels: frozen")
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
        # The preview fills its host's pane.
        host_proc = s.start(s.tool("window_tool.exe"), ["host", "152", "112"], stdout=subprocess.PIPE)
        host = int(host_proc.popen.stdout.readline().decode().split("=")[1])
        preview = s.start(scr, ["/p", str(host)])
        check(wait_until(lambda: any(c["title"] == lc.PREVIEW_TITLE and c["visible"] and c["rect"] == (0, 0, 152, 112)
                                     for c in lc.children(s, host)), 15, 0.2), "no preview filling the host")
        s.post("Velmora test host", lc.WM_CLOSE)
        check(preview.wait(5) is not None, "the preview outlived its host")


CASES = {f.__name__: f for f in (two_monitors_covered, three_monitors_covered, display_change_refits,
                                 dialog_and_preview_on_two_monitors)}

if __name__ == "__main__":
    raise SystemExit(harness.main(CASES))
