"""The Command button under Wine, on a probe form with the settings dialog's
button sizes: every look judged on screenshots against the skins and the
gradient, the hover poll timed, and Click counted."""

import os
import time

import harness
import pictures
from harness import check

ASSETS = os.path.join(harness.REPO, "assets")
# The probe's buttons: (left, top, width, height) on a form at the screen's origin.
SET = (20, 20, 81, 25)
FILE = (120, 22, 25, 21)
OFF = (170, 20, 81, 25)
TINY = (270, 20, 7, 7)
OUTLINE = (0x00, 0x3C, 0x74)
WHITE, LIGHT = (255, 255, 255), (198, 197, 215)


class Probe(harness.Probe):
    """The probe form with the buttons, shown; its log holds every Click."""

    def __init__(self, session):
        super().__init__(session, "command_probe.exe")
        self.s = session
        session.wait_window("Command Probe", visible=True)
        harness.wait_until(lambda: "shown" in self.lines(), 10)
        time.sleep(0.5)

    def clicks(self):
        return self.starting("click")

    def shot(self, name):
        return pictures.pixels(self.s.screenshot(name))


def near(a, b, tolerance=6):
    return all(abs(p - q) <= tolerance for p, q in zip(a, b))


def skin(name):
    return pictures.pixels(os.path.join(ASSETS, f"button_{name}.bmp"))


def gradient_at(pixel, button, row):
    """The face colour in the middle column at a row inside the border band."""
    x, y, w, _ = button
    return pixel(x + w // 2, y + row)


def dark_pixels(pixel, rect, margin=4):
    """The points of a caption's black text inside a button (its border band left out)."""
    x, y, w, h = rect
    return [(i, j) for i in range(x, x + w) for j in range(y + margin, y + h - margin) if sum(pixel(i, j)) < 150]


def check_normal(normal):
    """Normal: white at the top of the face, light at the bottom; outline one
    pixel inside the edge; corners exactly the skin's, unscaled; the caption
    black and centred."""
    x, y, w, h = SET
    check(normal(x + w // 2, y + 1) == OUTLINE, f"outline {normal(x + w // 2, y + 1)}")
    check(near(gradient_at(normal, SET, 4), WHITE, 12), f"face top {gradient_at(normal, SET, 4)}")
    check(near(gradient_at(normal, SET, h - 5), LIGHT, 12), f"face bottom {gradient_at(normal, SET, h - 5)}")
    ref = skin("normal")
    for cx, cy, sx, sy in ((0, 0, 0, 0), (w - 4, 0, 60, 0), (0, h - 4, 0, 21), (w - 4, h - 4, 60, 21)):
        for dx in range(4):
            for dy in range(4):
                check(normal(x + cx + dx, y + cy + dy) == ref(sx + dx, sy + dy),
                      f"corner pixel ({cx + dx},{cy + dy}) differs from the skin")
    # A button smaller than its two border bands gets no edges at all,
    # never mirrored ones: only the corners, overlapping.
    tx, ty = TINY[:2]
    check(all(normal(tx + i, ty + j) == ref(i, j) for i in range(3) for j in range(3)), "tiny: top-left corner")
    check(all(normal(tx + 3 + i, ty + j) == ref(60 + i, j) for i in range(4) for j in range(3)),
          "tiny: top-right corner mirrored or missing")
    # The stretched top edge is the skin's edge column, all along.
    check(all(normal(x + i, y + 1) == ref(30, 1) for i in range(4, w - 4)), "seam in the top edge")
    text = dark_pixels(normal, SET)
    check(len(text) > 20, "no caption")
    centre = (min(i for i, _ in text) + max(i for i, _ in text)) / 2
    check(abs(centre - (x + w / 2)) <= 2, f"caption centred at {centre}, button centre {x + w / 2}")


def check_disabled(normal):
    """Disabled: grey outline, no black in the caption."""
    ox, oy, ow, oh = OFF
    check(near(normal(ox + ow // 2, oy + 1), (0xC9, 0xC7, 0xBA), 4), f"disabled outline {normal(ox + ow // 2, oy + 1)}")
    check(not dark_pixels(normal, OFF), "the disabled caption is not greyed")
    grey = [1 for i in range(ox, ox + ow) for j in range(oy + 4, oy + oh - 4) if max(normal(i, j)) < 200]
    check(grey, "no greyed caption on the disabled button")


def check_hover_press_focus(s, probe):
    x, y, w, h = SET
    # Hover: the orange glow, and the gradient the other way round.
    s.xdotool("mousemove", str(x + w // 2), str(y + 3))
    time.sleep(0.4)
    hover = probe.shot("hover")
    check(near(hover(x + w // 2, y + 2), (0xFF, 0xF0, 0xCF)), f"no orange glow {hover(x + w // 2, y + 2)}")
    check(near(hover(x + w // 2, y + h - 4), (0xF8, 0xB3, 0x30)), "no orange glow at the bottom")
    check(near(gradient_at(hover, SET, 4), LIGHT, 12), f"hover face top {gradient_at(hover, SET, 4)}")
    check(near(gradient_at(hover, SET, h - 5), WHITE, 12), "hover face bottom")
    # Pressed: the outline two pixels inside the edge.
    s.xdotool("mousedown", "1")
    time.sleep(0.3)
    pressed = probe.shot("pressed")
    check(pressed(x + w // 2, y + 2) == OUTLINE, f"pressed outline {pressed(x + w // 2, y + 2)}")
    s.xdotool("mouseup", "1")
    # Focus: pointer away, the blue glow stays.
    s.xdotool("mousemove", "400", "300")
    time.sleep(0.4)
    focused = probe.shot("focused")
    check(near(focused(x + w // 2, y + 2), (0xCE, 0xE7, 0xFF)), f"no blue glow {focused(x + w // 2, y + 2)}")
    check(near(focused(x + w // 2, y + h - 4), (0x69, 0x82, 0xEE)), "no blue glow at the bottom")


def check_resize(s, probe):
    """A resize repaints and re-centres the caption (10 twips above the middle)."""
    x, y = SET[:2]
    s.click(40, 78)
    check(harness.wait_until(lambda: "resized" in probe.lines(), 5), "the label's click did not arrive")
    time.sleep(0.4)
    big = probe.shot("resized")
    text = dark_pixels(big, (x, y, 95, 41))
    check(text, "no caption after the resize")
    cx = (min(i for i, _ in text) + max(i for i, _ in text)) / 2
    cy = (min(j for _, j in text) + max(j for _, j in text)) / 2
    check(abs(cx - (x + 95 / 2)) <= 2 and abs(cy - (y + 41 / 2)) <= 2.5, f"caption at {cx},{cy} after resize")
    check(big(x + 95 - 3, y + 41 - 2) == OUTLINE or big(x + 47, y + 41 - 2) == OUTLINE, "outline not resized")


def looks():
    with harness.WineSession("command-looks", screen=(640, 480), locale="ja_JP.UTF-8") as s:
        probe = Probe(s)
        check("plain 117 28" in probe.lines(), f"a button placed without a size: {probe.lines()}")
        normal = probe.shot("normal")
        check_normal(normal)
        check_disabled(normal)
        check_hover_press_focus(s, probe)
        check_resize(s, probe)


def hover_ends_by_the_poll():
    with harness.WineSession("command-hover", screen=(640, 480)) as s:
        probe = Probe(s)
        x, y, w, h = SET
        delays = []
        for i in range(3):
            start = len(probe.lines())
            # A new point each time: the X desktop is no Wine window, so Wine
            # still knows the last point and sends no move to the same one.
            s.xdotool("mousemove", str(x + w // 2 + i), str(y + h // 2))
            check(harness.wait_until(lambda: any(l.startswith("state 1 2") for l in probe.lines()[start:]), 5),
                  "no hover")
            time.sleep(0.2)
            before = len(probe.lines())
            # Straight onto another window (the desktop): no mouse move reaches the button.
            s.xdotool("mousemove", "500", "400")
            check(harness.wait_until(lambda: any(l.startswith("state 2 1") for l in probe.lines()[before:]), 5),
                  f"hover did not end: {probe.lines()}")
            new = probe.lines()[before:]
            left = next(int(l.split()[1]) for l in new if l.startswith("left"))
            ended = next(int(l.split()[3]) for l in new if l.startswith("state 2 1"))
            delays.append(ended - left)
        print("hover ended after", delays, "ms")
        # A 100 ms poll, measured by a 10 ms watch: about 200 ms at worst.
        check(max(delays) <= 250, f"hover ended late: {delays} ms")
        normal = probe.shot("after-hover")
        check(near(gradient_at(normal, SET, 4), WHITE, 12), "the look did not return to Normal")


def clicks():
    with harness.WineSession("command-clicks", screen=(640, 480)) as s:
        probe = Probe(s)
        x, y, w, h = SET
        s.click(x + 40, y + 12)
        check(harness.wait_until(lambda: len(probe.clicks()) == 1, 5), f"clicks {probe.clicks()}")
        # Press, drag off, wait for the poll, release outside: no Click.
        s.xdotool("mousemove", str(x + 40), str(y + 12), "mousedown", "1")
        time.sleep(0.2)
        s.xdotool("mousemove", "400", "300")
        time.sleep(0.4)
        s.xdotool("mouseup", "1")
        time.sleep(0.5)
        check(probe.clicks() == ["click set"], f"a drag-off clicked: {probe.clicks()}")
        # A right-button click over the button clicks too.
        s.click(x + 40, y + 12, button=3)
        # The disabled button and the small one.
        s.click(OFF[0] + 40, OFF[1] + 12)
        s.click(FILE[0] + 12, FILE[1] + 10)
        harness.wait_until(lambda: len(probe.clicks()) >= 3, 5)
        time.sleep(0.8)
        check(probe.clicks() == ["click set", "click set", "click file"], f"clicks {probe.clicks()}")
        # Tab goes by tab index and skips the disabled button: from "file"
        # (2) past "off" (3) to "tiny" (4), then round to "set" (1).
        s.xdotool("mousemove", "300", "100")
        s.key("Tab", "Tab")
        time.sleep(0.4)
        after = probe.shot("tab")
        check(near(after(x + w // 2, y + 2), (0xCE, 0xE7, 0xFF)), "Tab did not bring the focus to the first button")
        check(after(FILE[0] + 12, FILE[1] + 2) != (0xCE, 0xE7, 0xFF), "the small button kept the focus")


CASES = {f.__name__: f for f in (looks, hover_ends_by_the_poll, clicks)}

if __name__ == "__main__":
    raise SystemExit(harness.main(CASES))
