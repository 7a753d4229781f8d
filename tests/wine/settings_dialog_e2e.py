"""The settings dialog, end to end on the real Velmora.scr /c: the window,
the marks and enabled controls for each stored source, choosing a source,
what "設定" stores and "ｷｬﾝｾﾙ" leaves alone, browsing for a file with a
Japanese name through the real common dialog, the banner's cadence and its
click, the single instance, and Japanese text under another code page."""

import os
import re
import subprocess
import time

import harness
import launcher_common as lc
import pictures
from harness import check

INI = "C:\\Velmora\\Velmora.ini"
# At 1024 x 768 the 450 x 319 dialog opens at (287, 150): one third of the
# free height above it, from twips arithmetic (pixel arithmetic gives 149).
ORIGIN = (287, 150)
MARKS = {0: (36, 140), 1: (36, 124), 2: (36, 156)}  # Img_BGM(i) on Pic_C
LABELS = {0: (60, 146), 1: (70, 130), 2: (70, 162)}  # inside lbl_BGM(i)
COMBO = (108, 120, 41, 20)
FILE_BUTTON = (48, 172, 25, 21)
SET, CANCEL = (248, 260, 81, 25), (332, 260, 81, 25)
BANNER = (20, 236, 120, 50)
ROUND_ON, SQUARE_ON = (240, 127, 71), (78, 130, 221)
ROUND_OFF, SQUARE_OFF = (255, 255, 255), (235, 235, 231)
CB_GETCOUNT = 0x146
BROWSE_TITLE = "ﾌｧｲﾙを開く"
WS_POPUP, WS_CAPTION, WS_THICKFRAME, WS_DISABLED = 0x80000000, 0x00C00000, 0x00040000, 0x08000000
WS_EX_APPWINDOW = 0x00040000


def at(x, y):
    return ORIGIN[0] + x, ORIGIN[1] + y


class Dialog:
    """One /c run of the installed launcher."""

    def __init__(self, session, scr, env=None):
        self.s = session
        self.proc = session.start(scr, ["/c"], env=env)
        self.facts = session.wait_window(lc.SETTINGS_TITLE, visible=True)
        time.sleep(0.8)  # the zoom and the first paint

    def click(self, x, y, button=1):
        self.s.click(*at(x, y), button=button)
        time.sleep(0.3)

    def click_centre(self, rect):
        self.click(rect[0] + rect[2] // 2, rect[1] + rect[3] // 2)

    def shot(self, name):
        return pictures.pixels(self.s.screenshot(name), ORIGIN)

    def combo(self):
        # The combo box is a child of Pic_C: the inspector lists all descendants.
        for child in lc.children(self.s, self.facts["hwnd"]):
            if child["class"].upper() == "COMBOBOX":
                return child
        raise harness.HarnessError("no combo box")

    def closes(self, timeout=10):
        check(self.proc.wait(timeout) is not None, "the dialog did not close")


def install(s, kind=0, repeat=0, music_file=""):
    scr = lc.install(s)
    s.write_c(INI, lc.settings_bytes(kind, repeat, music_file))
    return scr


def mark(pixel, kind):
    x, y = MARKS[kind]
    return pixel(x + 6, y + 6)


def button_enabled(pixel, rect):
    """The outline of a Command button: dark blue when enabled, grey when not."""
    return pixel(rect[0] + rect[2] // 2, rect[1] + 1) == (0x00, 0x3C, 0x74)


def opens_by_stored_kind():
    with harness.WineSession("dialog-kinds", locale=lc.JAPANESE) as s:
        s.write_c("C:\\Music\\song.mp3", b"ID3")
        for kind in (0, 1, 2, 5):
            scr = install(s, kind, 3 if kind == 1 else 0, "C:\\Music\\song.mp3" if kind == 2 else "")
            before = s.read_c(INI)
            d = Dialog(s, scr)
            left, top, right, bottom = d.facts["rect"]
            check((left, top, right - left, bottom - top) == (*ORIGIN, 450, 319), f"window {d.facts['rect']}")
            check(d.facts["style"] & WS_POPUP and not d.facts["style"] & (WS_CAPTION | WS_THICKFRAME),
                  f"not a borderless popup: {d.facts['style']:#x}")
            pixel = d.shot(f"kind{kind}")
            for k in MARKS:
                want = ROUND_ON if k == kind else ROUND_OFF
                check(mark(pixel, k) == want, f"kind {kind}: mark {k} is {mark(pixel, k)}")
            combo = d.combo()
            check(bool(combo["style"] & WS_DISABLED) == (kind != 1), f"kind {kind}: combo box {combo['style']:#x}")
            check(combo["title"] == ("3" if kind == 1 else ""), f"combo text {combo['title']!r}")
            _, count = s.run(s.tool("window_tool.exe"), ["send", str(combo["hwnd"]), str(CB_GETCOUNT)])
            check(count.strip() == "31", f"{count.strip()} list items")
            check(button_enabled(pixel, FILE_BUTTON) == (kind == 2), f"kind {kind}: the browse button")
            if kind == 5:
                # No mark for it, no crash, and "設定" stores it back unchanged.
                d.click_centre(SET)
                d.closes()
                text = s.read_c(INI).decode("cp932")
                check("BGM区分= 5" in text and "BGMﾘﾋﾟｰﾄ= 0" in text, f"stored {text!r}")
            else:
                d.click_centre(CANCEL)
                d.closes()
                check(s.read_c(INI) == before, "ｷｬﾝｾﾙ changed the settings file")


def choosing_and_storing():
    with harness.WineSession("dialog-store", locale=lc.JAPANESE) as s:
        scr = install(s, 0, 0)
        d = Dialog(s, scr)
        d.click(*LABELS[1])  # a label chooses its source
        pixel = d.shot("chose-cd")
        check(mark(pixel, 1) == SQUARE_ON and mark(pixel, 0) == SQUARE_OFF, "the marks did not turn square")
        check(not d.combo()["style"] & WS_DISABLED, "the combo box is still disabled")
        d.click(MARKS[2][0] + 5, MARKS[2][1] + 5)  # and so does an image
        pixel = d.shot("chose-file")
        check(mark(pixel, 2) == SQUARE_ON and button_enabled(pixel, FILE_BUTTON), "the file source was not chosen")
        check(d.combo()["style"] & WS_DISABLED, "the combo box stayed enabled")
        d.click_centre(SET)
        d.closes()
        text = s.read_c(INI).decode("cp932")
        check(re.search("BGM区分= 2\r\nBGMﾘﾋﾟｰﾄ= 0\r\nBGMﾌｧｲﾙ=\r\n", text), f"stored {text!r}")

        for typed, stored in (("2.5", 2), ("3.5", 4), ("2.7", 3), ("abc", 0), ("5", 5)):
            s.write_c(INI, lc.settings_bytes(1, 9, ""))
            d = Dialog(s, scr)
            d.click(COMBO[0] + 10, COMBO[1] + 10)
            s.key("End", *["BackSpace"] * 4)
            s.xdotool("type", "--", typed)
            d.click_centre(SET)
            d.closes()
            text = s.read_c(INI).decode("cp932")
            check(f"BGMﾘﾋﾟｰﾄ= {stored}\r\n" in text, f"typed {typed!r}: {text!r}")


def choose_in_browser(s, d, name):
    """Opens the file browser (found by its exact wide title), types name
    into it until its field holds it, and opens that file."""
    d.click_centre(FILE_BUTTON)
    browser = s.wait_window(BROWSE_TITLE, visible=True)["hwnd"]
    time.sleep(0.8)
    s.screenshot("browser")
    # xdotool types a character beyond the keyboard by remapping a key, and
    # Wine loses the first key after a remapping: a throw-away first. On a
    # loaded machine a remapped key can still go missing, so the name is
    # typed until the field holds it.
    s.xdotool("type", "--", next(c for c in name if not c.isascii()))
    time.sleep(0.3)
    for _ in range(3):
        s.key("ctrl+a", "BackSpace")
        s.xdotool("type", "--delay", "100", "--", name)
        if any(c["title"] == name for c in lc.children(s, browser)):
            break
    s.key("Return")
    check(harness.wait_until(lambda: s.find_window(BROWSE_TITLE) is None, 10), "the browser did not close")


def browse_japanese_file():
    # Japanese file names need the locale compiled (see wine-notes).
    with harness.WineSession("dialog-browse", locale=lc.JAPANESE, compiled_locale=True) as s:
        s.write_c("C:\\音楽\\古い曲.mp3", b"ID3")
        s.write_c("C:\\音楽\\ソ表.mp3", b"ID3")
        scr = install(s, 2, 0, "C:\\音楽\\古い曲.mp3")
        d = Dialog(s, scr)
        before = d.shot("before-browse")
        choose_in_browser(s, d, "ソ表.mp3")
        time.sleep(0.5)
        after = d.shot("after-browse")
        label = [(x, y) for x in range(76, 401) for y in range(176, 213)]
        check(any(before(x, y) != after(x, y) for x, y in label), "lbl_Fname did not change")
        d.click_centre(SET)
        d.closes()
        stored = s.read_c(INI)
        check("BGMﾌｧｲﾙ=C:\\音楽\\ソ表.mp3\r\n".encode("cp932") in stored, f"stored {stored!r}")


def banner_plays_and_opens_home_page():
    with harness.WineSession("dialog-banner", locale=lc.JAPANESE) as s:
        scr = install(s)
        opened = s.c_path("C:\\opened.txt")
        # "open" of an https address goes to a logging command of this prefix only.
        s.run("reg.exe", ["add", "HKCR\\https\\shell\\open\\command", "/ve", "/f", "/d",
                          "cmd.exe /c echo %1> C:\\opened.txt"], timeout=60, cwd=s.run_dir)
        trace = os.path.join(s.run_dir, "trace.txt")
        with open(trace, "wb") as err:
            proc = s.start(scr, ["/c"], env={"WINEDEBUG": "+timestamp,+msg"}, stderr=err)
            facts = s.wait_window(lc.SETTINGS_TITLE, visible=True)
            time.sleep(3)
            first = s.screenshot("banner-a")
            time.sleep(0.15)
            second = s.screenshot("banner-b")
            s.click(*at(BANNER[0] + 60, BANNER[1] + 25))
            # cmd makes the file before echo fills it: wait for the whole line.
            check(harness.wait_until(lambda: harness.file_text(opened).endswith("\n"), 20),
                  "the shell was never asked to open")
            proc.end()
        check(pictures.difference(first, second) > 0, "the banner does not move")
        text = harness.file_text(opened).strip()
        check(text.startswith("https://"), f"opened {text!r}")
        # Each frame advance sets the control's timer anew on the dialog's window.
        hwnd = f"{facts['hwnd']:x}"
        ticks = [float(m.group(1)) for m in re.finditer(
            rf"^(\d+\.\d+):\w+:trace:msg:NtUserSetTimer Added 0x{hwnd} \w+ \w+ timeout 100$",
            open(trace, errors="replace").read(), re.M)]
        gaps = sorted(round((b - a) * 1000) for a, b in zip(ticks, ticks[1:]))
        print(f"{len(ticks)} frame timers, gaps (ms) {gaps[:3]} .. {gaps[-3:]}")
        check(len(ticks) >= 20, f"only {len(ticks)} frame advances in 3 s")
        check(90 <= gaps[len(gaps) // 2] <= 130, f"median frame time {gaps[len(gaps) // 2]} ms")


def single_instance_and_code_page():
    crops = {}
    for locale in (lc.JAPANESE, "C"):
        with harness.WineSession("dialog-" + ("ja" if locale == lc.JAPANESE else "c"), locale=locale) as s:
            scr = install(s, 1, 3)
            d = Dialog(s, scr)
            if locale == lc.JAPANESE:
                # A taskbar button and an Alt+Tab entry, so it cannot get lost.
                check(d.facts["exstyle"] == WS_EX_APPWINDOW, f"exstyle 0x{d.facts['exstyle']:08X}")
                # Buried under a window that took the foreground, it comes back
                # to the front at a second /c, which ends at once.
                host = s.start(s.tool("window_tool.exe"), ["host", "1000", "700"], stdout=subprocess.PIPE)
                host_hwnd = int(host.popen.stdout.readline().decode().split("=")[1])
                check(harness.wait_until(lambda: s.foreground()["hwnd"] == host_hwnd, 5), "the host is not in front")
                check(mark(d.shot("buried"), 1) != ROUND_ON, "the dialog shows over the host")
                code, _ = s.run(scr, ["/c"], timeout=10)
                check(harness.wait_until(lambda: s.foreground()["hwnd"] == d.facts["hwnd"], 5),
                      f"the dialog is not in front: {s.foreground()}")
                check(mark(d.shot("in-front"), 1) == ROUND_ON, "the dialog does not show in front")
                host.end()
                check(d.proc.running(), "the first dialog went away")
                windows = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^<Velmora>$"],
                                         capture_output=True, text=True,
                                         env={"DISPLAY": s.xvfb.display, "PATH": os.environ["PATH"]}).stdout.split()
                check(len(windows) == 1, f"{len(windows)} dialogs")
            pixel = d.shot("code-page")
            crops[locale] = [pixel(x, y) for x in range(52, 240) for y in range(118, 172)]
    # The labels are the same Japanese text whatever the system code page.
    check(crops[lc.JAPANESE] == crops["C"], "the Japanese labels read differently under code page 1252")


def _rgb_crop(path, rect, size=None):
    """The screenshot's pixels inside rect (left, top, right, bottom), resized
    smoothly to size if given: a function of (x, y)."""
    left, top, right, bottom = rect
    out = path[:-4] + f"-{left}-{top}.png"
    resize = ["-filter", "Triangle", "-resize", f"{size[0]}x{size[1]}!"] if size else []
    subprocess.run(["convert", path, "-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage", *resize, out],
                   check=True)
    return pictures.pixels(out)


def scaled_screen_144_dpi():
    """/c at 144 dpi on a 1920 x 1080 screen against /c at 96: the same
    dialog half as large again, placed by twips, its banner box scaled, and
    its buttons' skins scaled whole, with no edge squashed or read from
    outside the 64 x 25 skin."""
    runs = {}
    for dpi in (96, 144):
        with harness.WineSession(f"dialog-dpi{dpi}", screen=(1920, 1080), locale=lc.JAPANESE, dpi=dpi) as s:
            d = Dialog(s, install(s, 0, 0))
            # Children's rectangles are on the sheet, which fills the window.
            left, top = d.facts["rect"][:2]
            boxes = [(r[0] + left, r[1] + top, r[2] + left, r[3] + top)
                     for r in (c["rect"] for c in lc.children(s, d.facts["hwnd"]) if c["class"] == "VelmoraUserControl")]
            runs[dpi] = (d.facts["rect"], boxes, s.screenshot(f"dpi{dpi}"))
    sizes = {dpi: sorted((r[2] - r[0], r[3] - r[1]) for r in boxes) for dpi, (_, boxes, _) in runs.items()}
    window = {dpi: (rect[0], rect[1], rect[2] - rect[0], rect[3] - rect[1]) for dpi, (rect, _, _) in runs.items()}
    check(window[96] == (735, 254, 450, 319), f"96 dpi: window {window[96]}")
    # 6750 x 4785 twips at 10 twips per pixel; (19200 - 6750) / 2 and
    # (10800 - 4785) / 3 twips from the corner. The halves (478.5, 622.5,
    # 200.5) round to the even pixel.
    check(window[144] == (622, 200, 675, 478), f"144 dpi: window {window[144]}")
    # The file button, the two others, and the banner box (120 x 50 at 96 dpi).
    check(sizes[96] == [(25, 21), (81, 25), (81, 25), (120, 50)], f"96 dpi: {sizes[96]}")
    check(sizes[144] == [(38, 32), (122, 38), (122, 38), (180, 75)], f"144 dpi: {sizes[144]}")

    # Each big button against its 96-dpi look scaled by 1.5: along every side
    # the border band (6 pixels) must match. Two smooth resamplings differ by
    # about 15 on average there; a skin read past its edges (pieces taken in
    # screen pixels), squashed into the top-left, differs by about 50.
    def buttons(dpi):
        return sorted(r for r in runs[dpi][1] if r[2] - r[0] == (81 if dpi == 96 else 122))
    for small, big in zip(buttons(96), buttons(144)):
        ref = _rgb_crop(runs[96][2], small, (122, 38))
        got = _rgb_crop(runs[144][2], big)
        sides = {"top": [(x, y) for x in range(122) for y in range(6)],
                 "bottom": [(x, y) for x in range(122) for y in range(32, 38)],
                 "left": [(x, y) for x in range(6) for y in range(38)],
                 "right": [(x, y) for x in range(116, 122) for y in range(38)]}
        for side, points in sides.items():
            error = sum(abs(a - b) for p in points for a, b in zip(ref(*p), got(*p))) / (3 * len(points))
            print(f"button at {big[:2]}: {side} edge differs by {error:.1f} on average")
            check(error < 25, f"144 dpi: the {side} edge of the button at {big[:2]} is not the scaled skin")


def failed_save_says_so():
    """"設定" in a folder that cannot be written: a message naming the file
    and the system's reason, the dialog stays open, the old file untouched."""
    with harness.WineSession("dialog-save-fails", locale=lc.JAPANESE) as s:
        scr = install(s, 0, 0)
        before = s.read_c(INI)
        folder = s.c_path("C:\\Velmora")
        # Even root cannot write into an immutable folder (a read-only mode
        # does not stop root).
        subprocess.run(["chattr", "+i", folder], check=True)
        try:
            d = Dialog(s, scr)
            d.click(*LABELS[1])
            d.click_centre(SET)
            box = None
            for _ in range(50):
                box = next((w for w in s.find_windows("Velmora") if w["visible"] and w["class"] == "#32770"), None)
                if box:
                    break
                time.sleep(0.2)
            check(box is not None, "no message box after a failed save")
            s.screenshot("message")
            text = " ".join(c["title"] for c in lc.children(s, box["hwnd"]) if c["class"].upper() == "STATIC")
            print("message:", text)
            check("設定を保存できませんでした" in text and "C:\\Velmora\\Velmora.ini" in text and "(5)" in text,
                  f"the message does not name the failure, the file and the reason: {text!r}")
            s.run(s.tool("window_tool.exe"), ["send", str(box["hwnd"]), str(lc.WM_CLOSE)])
            check(d.proc.running() and s.find_window(lc.SETTINGS_TITLE)["visible"], "the dialog closed")
            check(s.read_c(INI) == before, "the settings file changed")
            d.click_centre(CANCEL)  # ｷｬﾝｾﾙ still closes without storing
            d.closes()
        finally:
            subprocess.run(["chattr", "-i", folder], check=False)
        check(s.read_c(INI) == before, "the settings file changed")
        check(sorted(os.listdir(folder)) == ["Velmora.dll", "Velmora.ini", "Velmora.scr"], "a file was left behind")


CASES = {f.__name__: f for f in (opens_by_stored_kind, choosing_and_storing, browse_japanese_file,
                                 banner_plays_and_opens_home_page, single_instance_and_code_page,
                                 scaled_screen_144_dpi, failed_save_says_so)}

if __name__ == "__main__":
    raise SystemExit(harness.main(CASES))
