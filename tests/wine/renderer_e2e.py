"""End-to-end tests of the renderer program under Wine."""

import os
import time

import harness
import pictures
from harness import check

RENDERER = os.path.join(harness.DIST, "Velmora.dll")
TEXTURE = "C:\\q_vesk\\Nimbel.bmp"
TITLE = "Nimbel_VC"
WS_VISIBLE = 0x10000000
WS_EX_TOPMOST = 0x00000008


def start_renderer(session, args=()):
    proc = session.start(RENDERER, args)
    window = session.wait_window(TITLE, timeout=20, visible=True)
    return proc, window


def window_covers_screen():
    # An unusual screen size, so a hard-coded 1024 x 768 would show.
    with harness.WineSession("renderer-window", screen=(800, 600)) as s:
        proc, w = start_renderer(s, ["/s", "--anything"])  # a command line has no effect
        check(w["class"] == TITLE, f"class {w['class']!r}")
        check(w["style"] & ~WS_VISIBLE == 0x86000000, f"style 0x{w['style']:08X}")
        check(w["style"] & WS_VISIBLE, "window not visible")
        check(w["exstyle"] == WS_EX_TOPMOST, f"exstyle 0x{w['exstyle']:08X}")  # nothing shows over the saver
        check(w["rect"] == (0, 0, 800, 600), f"rect {w['rect']}")
        check(w["client"] == (800, 600), f"client {w['client']}")
        check(not s.find_windows("Nimbel_VC_Cover"), "a cover on a display of one monitor")
        check(proc.running(), "renderer ended by itself")


def judge_frames(s, name, lit_max):
    """Two screenshots a second apart, after the flight has got going."""
    time.sleep(2.0)
    first = s.screenshot(f"{name}-1")
    time.sleep(1.0)
    second = s.screenshot(f"{name}-2")
    a, b = pictures.stats(first), pictures.stats(second)
    print(name, "first", a)
    print(name, "second", b)
    moved = pictures.difference(first, second)
    print(name, "changed share", round(moved, 3))
    for st in (a, b):
        check(0.01 < st["lit"] <= lit_max, f"lit share {st['lit']:.3f}: black or washed out")
        check(st["mean"] < 200, f"mean level {st['mean']:.0f}: washed out")
        check(st["tinted"] > 0.02, f"tinted share {st['tinted']:.3f}: grey, not tinted")
    # Overlapping tints can add up to near grey in one frame, never in two.
    check(max(a["tinted"], b["tinted"]) > 0.2, f"tinted shares {a['tinted']:.3f}, {b['tinted']:.3f}: grey")
    check(moved > 0.02, f"frames a second apart differ in only {moved:.3%} of pixels: frozen")
    return a, b


def textured_rings_on_black():
    with harness.WineSession("renderer-textured") as s:
        s.write_c(TEXTURE, pictures.ring_bitmap())
        start_renderer(s)
        # Rings leave the corners and centre of every square dark.
        a, b = judge_frames(s, "textured", lit_max=0.6)
        # The ring's gradients give a great many colours; flat squares a handful.
        for st in (a, b):
            check(st["colours"] > 800, f"only {st['colours']} colours: flat squares, not rings")


def squares_without_texture():
    with harness.WineSession("renderer-untextured") as s:
        start_renderer(s)
        # Grown squares may cover the whole screen.
        a, b = judge_frames(s, "untextured", lit_max=1.0)
        for st in (a, b):
            check(st["colours"] < 300, f"{st['colours']} colours: expected flat tinted squares")


def malformed_texture_is_survived():
    # Hostile hand-off files: the renderer must run on and show plain squares.
    liars = {
        "huge": pictures.ring_bitmap()[:18] + b"\xff\xff\xff\x7f" * 2 + b"\x01\x00\x18\x00" + bytes(24),
        "short": pictures.ring_bitmap()[:3000],
        "negative": pictures.bmp24(8, 8, lambda x, y: (255, 255, 255))[:22] + (-8).to_bytes(4, "little", signed=True)
        + pictures.bmp24(8, 8, lambda x, y: (255, 255, 255))[26:],
    }
    with harness.WineSession("renderer-malformed") as s:
        for name, data in liars.items():
            s.write_c(TEXTURE, data)
            proc, _ = start_renderer(s)
            time.sleep(1.5)
            check(proc.running(), f"{name}: renderer died")
            st = pictures.stats(s.screenshot(f"malformed-{name}"))
            check(st["lit"] > 0.01 and st["colours"] < 300, f"{name}: expected plain squares, got {st}")
            check(s.post(TITLE, 0x0010), "WM_CLOSE not posted")
            check(proc.wait(10) == 0, f"{name}: exit code")


def esc_ends_other_keys_do_not():
    with harness.WineSession("renderer-keys") as s:
        proc, _ = start_renderer(s)
        time.sleep(1.0)
        check(s.focus_x_window(TITLE), "no X window for the renderer")
        s.key("a", "space", "Return", "F1")
        s.click(100, 100)
        s.xdotool("mousemove", "500", "400")
        check(proc.wait(1.5) is None, "a key, click or mouse move ended the renderer")
        check(s.find_window(TITLE) is not None, "window gone after other keys")
        pressed = time.monotonic()
        s.key("Escape")
        code = proc.wait(5)
        took = time.monotonic() - pressed
        print(f"Esc to exit: {took:.2f} s")
        check(code == 0, f"exit code {code}")
        check(took < 1.0, f"Esc took {took:.2f} s to end the program")


def close_request_ends():
    with harness.WineSession("renderer-close") as s:
        proc, _ = start_renderer(s)
        time.sleep(0.5)
        check(s.post(TITLE, 0x0010), "WM_CLOSE not posted")
        check(proc.wait(5) == 0, "WM_CLOSE did not end the renderer with exit code 0")
        proc, _ = start_renderer(s)
        time.sleep(0.5)
        check(s.focus_x_window(TITLE), "no X window for the renderer")
        s.key("alt+F4")
        check(proc.wait(5) == 0, "Alt+F4 did not end the renderer with exit code 0")


def runs_without_opengl():
    # A display without GLX gives no pixel format and no context: the screen
    # goes black, nothing crashes, and Esc still ends the run.
    with harness.WineSession("renderer-no-gl", display_args=("-extension", "GLX")) as s:
        s.write_c(TEXTURE, pictures.ring_bitmap())
        proc, w = start_renderer(s)
        time.sleep(2.0)
        check(proc.running(), "renderer ended (or crashed) without OpenGL")
        check(w["rect"] == (0, 0) + s.screen, f"rect {w['rect']}")
        st = pictures.stats(s.screenshot("no-gl"))
        check(st["lit"] < 0.01, f"expected a black screen, got {st}")
        check(s.focus_x_window(TITLE), "no X window for the renderer")
        s.key("Escape")
        check(proc.wait(5) == 0, "Esc did not end the renderer with exit code 0")


CASES = {f.__name__: f for f in (window_covers_screen, textured_rings_on_black, squares_without_texture,
                                 malformed_texture_is_survived, esc_ends_other_keys_do_not,
                                 close_request_ends, runs_without_opengl)}

if __name__ == "__main__":
    raise SystemExit(harness.main(CASES))
