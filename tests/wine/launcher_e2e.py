"""End-to-end tests of Velmora.scr's start-up under Wine: the switch table,
the missing-renderer message, the single-instance rule and the preview pane."""

import os
import subprocess
import time

import harness
import pictures
from harness import check, wait_until
from launcher_common import (JAPANESE, MISSING_RENDERER, PREVIEW_TITLE, RENDERER_TITLE, RUN_TITLE, SCRATCH,
                             SETTINGS_TITLE, WM_CLOSE, WS_CHILD, WS_VISIBLE, children, install)

WM_COMMAND = 0x0111
IDOK = 1
WM_USER = 0x0400


def start_host(s, width, height, title="Velmora test host"):
    """A visible top-level window standing in for the host's preview pane."""
    proc = s.start(s.tool("window_tool.exe"), ["host", str(width), str(height), title], stdout=subprocess.PIPE)
    line = proc.popen.stdout.readline().decode()
    check(line.startswith("hwnd="), f"host did not start: {line!r}")
    return proc, int(line.split("=")[1])


def ends_soon(proc, seconds=5.0):
    code = proc.wait(seconds)
    check(code is not None, f"still running after {seconds} s")
    return code


def preview_child(s, host):
    found = []

    def look():
        # Shown last, once placed and sized.
        found[:] = [c for c in children(s, host) if c["title"] == PREVIEW_TITLE and c["visible"]]
        return bool(found)

    check(wait_until(look, 15, step=0.2), "no preview child in the host")
    return found[0]


def preview_once(s, scr, width, height):
    """One /p run in a new host of that size, ended by closing the host: the preview's facts."""
    _, host = start_host(s, width, height)
    proc = s.start(scr, ["/p", str(host)])
    child = preview_child(s, host)
    s.post("Velmora test host", WM_CLOSE)
    ends_soon(proc)
    return child


def switch_table():
    with harness.WineSession("launcher-switches", locale=JAPANESE) as s:
        scr = install(s)
        for args in (["/a"], ["/x"], ["S"], ["-A:99"]):
            code = ends_soon(s.start(scr, args), 15)
            check(code == 0, f"{args}: exit code {code}")
            check(s.exists_c(SCRATCH), f"{args}: the scratch folder was not made")
            check(s.find_window(RUN_TITLE) is None, f"{args}: a run form is left")
            os.rmdir(s.c_path(SCRATCH))
        for args in (["/c"], ["/c:1234"], ["/C", "77"]):
            proc = s.start(scr, args)
            dialog = s.wait_window(SETTINGS_TITLE, visible=True)
            check(s.exists_c(SCRATCH), f"{args}: the scratch folder was not made")
            check(dialog["parent"] != 0, "dialog facts incomplete")
            s.screenshot(f"settings-{args[0].strip('/:')}")
            s.post(SETTINGS_TITLE, WM_CLOSE)
            check(ends_soon(proc) == 0, f"{args}: bad exit")
            check(s.exists_c(SCRATCH), f"{args}: the scratch folder must stay after /c")
            os.rmdir(s.c_path(SCRATCH))
        for args in (["/s"], ["/S"], ["-s"], []):
            proc = s.start(scr, args)
            s.wait_window(RENDERER_TITLE, visible=True, timeout=20)
            run = s.find_window(RUN_TITLE)
            check(run is not None and not run["visible"], f"{args}: no hidden run form")
            s.post(RENDERER_TITLE, WM_CLOSE)
            check(ends_soon(proc) == 0, f"{args}: the run did not end with the renderer")
            check(not s.exists_c(SCRATCH), f"{args}: the scratch folder is left")


def missing_renderer():
    with harness.WineSession("launcher-missing-renderer", locale=JAPANESE) as s:
        scr = install(s, renderer=None)
        for args in (["/s"], ["/c"], ["/a"], []):
            proc = s.start(scr, args)
            box = s.wait_window("Velmora", visible=True)
            code, text = s.run(s.tool("window_tool.exe"), ["text", "Velmora"])
            check(text.strip() == MISSING_RENDERER, f"{args}: message {text.strip()!r}")
            if not args:
                s.screenshot("message-box")
            check(not s.exists_c(SCRATCH), f"{args}: a folder was made")
            check(proc.running(), f"{args}: ended before the message was dismissed")
            s.post("Velmora", WM_COMMAND, IDOK, 0)
            check(ends_soon(proc) == 0, f"{args}: bad exit after OK")
            check(box["class"] == "#32770", f"not a message box: {box['class']}")
        # The preview needs no renderer.
        preview_once(s, scr, 152, 112)


def single_instance():
    with harness.WineSession("launcher-single-instance") as s:
        scr = install(s)
        host_proc, host = start_host(s, 152, 112)
        for marker in (RUN_TITLE, SETTINGS_TITLE):
            holder = s.start(s.tool("window_tool.exe"), ["hold", marker], stdout=subprocess.PIPE)
            check(holder.popen.stdout.readline().startswith(b"hwnd="), "marker window not made")
            for args in (["/s"], ["/c"], ["/a"], [], ["/p", str(host)]):
                code = ends_soon(s.start(scr, args), 10)
                check(code == 0, f"{marker} {args}: exit code {code}")
                check(not s.exists_c(SCRATCH), f"{marker} {args}: made the scratch folder")
                check(s.find_window(RENDERER_TITLE) is None, f"{marker} {args}: started the renderer")
                check(not [c for c in children(s, host) if c["title"] == PREVIEW_TITLE],
                      f"{marker} {args}: embedded a preview")
            holder.end()


def top_level_preview_style(s):
    probe = s.start(s.tool("preview_probe.exe"), ["152", "112"])
    facts = s.wait_window(PREVIEW_TITLE, visible=True)
    probe.end()
    return facts["style"]


def preview_embeds():
    with harness.WineSession("launcher-preview") as s:
        scr = install(s)
        style = top_level_preview_style(s)
        endings = (("closes the preview", lambda h, p: s.post("Velmora test host", WM_USER + 1)),
                   ("destroys its pane", lambda h, p: s.post("Velmora test host", WM_USER + 2)),
                   ("is closed", lambda h, p: s.post("Velmora test host", WM_CLOSE)),
                   ("dies", lambda h, p: p.end()))
        for args, (ending, end_host) in zip((["/p", "{h}"], ["/p:{h}"], ["/p", "{h}"], ["/p:{h}"]), endings):
            host_proc, host = start_host(s, 152, 112)
            proc = s.start(scr, [a.format(h=host) for a in args])
            child = preview_child(s, host)
            check(child["rect"] == (0, 0, 152, 112), f"{args}: rect {child['rect']}")
            check(child["style"] & WS_CHILD, f"{args}: no WS_CHILD")
            check(child["style"] & WS_VISIBLE and child["visible"], f"{args}: not shown")
            check(child["style"] & ~(WS_CHILD | WS_VISIBLE) == style & ~WS_VISIBLE,
                  f"{args}: style 0x{child['style']:08X}, top-level 0x{style:08X}: more than WS_CHILD changed")
            check(proc.running(), f"{args}: the launcher ended early")
            pressed = time.monotonic()
            end_host(host, host_proc)
            ends_soon(proc, 5)
            took = time.monotonic() - pressed
            print(f"{args}: launcher ended {took:.2f} s after the host {ending}")
            check(took < 1.5, f"{args}: took {took:.2f} s to end")
            host_proc.end()
            check(not s.exists_c(SCRATCH), "a preview must make no folder")


def two_previews():
    with harness.WineSession("launcher-two-previews") as s:
        scr = install(s)
        hosts = [start_host(s, 152, 112, f"host {i}") for i in (1, 2)]
        procs = [s.start(scr, ["/p", str(h)]) for _, h in hosts]
        for _, h in hosts:
            preview_child(s, h)
        check(all(p.running() for p in procs), "a preview ended")
        for i in (1, 2):
            s.post(f"host {i}", WM_CLOSE)
        for p in procs:
            ends_soon(p)


def preview_large_host():
    # Beyond 2184 pixels the old 16-bit twips size would give a 0 x 0 preview.
    with harness.WineSession("launcher-preview-large", screen=(2560, 1600)) as s:
        child = preview_once(s, install(s), 2400, 1400)
        check(child["rect"] == (0, 0, 2400, 1400), f"rect {child['rect']}")


def preview_bad_parent():
    with harness.WineSession("launcher-preview-bad-parent") as s:
        scr = install(s)
        host_proc, closed = start_host(s, 152, 112)
        s.post("Velmora test host", WM_CLOSE)
        host_proc.wait(10)
        for args in (["/p", "0"], ["/p"], ["/p", "abc"], ["/p", "123456789"], ["/p", str(closed)]):
            proc = s.start(scr, args)
            code = ends_soon(proc, 3)
            check(code == 0, f"{args}: exit code {code}")
            check(s.find_window(PREVIEW_TITLE) is None, f"{args}: a preview window is left")


def preview_picture():
    # Under Wine a child of another process's window never reaches the screen,
    # so the picture is photographed from the same form shown top-level.
    with harness.WineSession("launcher-preview-picture", screen=(640, 480)) as s:
        still = os.path.join(harness.REPO, "assets", "preview_still.bmp")
        for width, height in ((152, 112), (304, 224)):
            probe = s.start(s.tool("preview_probe.exe"), [str(width), str(height)])
            facts = s.wait_window(PREVIEW_TITLE, visible=True)
            check(facts["rect"] == (0, 0, width, height), f"rect {facts['rect']}")
            time.sleep(0.5)
            shot = s.screenshot(f"preview-{width}x{height}")
            crop = shot.replace(".png", "-crop.png")
            subprocess.run(["convert", shot, "-crop", f"{width}x{height}+0+0", "+repage", crop], check=True)
            expected = crop.replace("-crop.png", "-expected.png")
            subprocess.run(["convert", still, "-resize", f"{width}x{height}!", expected], check=True)
            differs = pictures.difference(crop, expected, threshold=40)
            print(f"{width}x{height}: {differs:.3%} of pixels differ from the still")
            check(differs < (0.001 if width == 152 else 0.05), f"{width}x{height}: picture differs in {differs:.2%}")
            check(pictures.stats(crop)["lit"] > 0.05, "the preview is black")
            probe.end()


CASES = {f.__name__: f for f in (switch_table, missing_renderer, single_instance, preview_embeds, two_previews,
                                 preview_large_host, preview_bad_parent, preview_picture)}

if __name__ == "__main__":
    raise SystemExit(harness.main(CASES))
