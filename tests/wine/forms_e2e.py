"""The form engine under Wine: hidden forms found by title, timers that start
a full interval when enabled, close then unload handlers, modal shows, the loop
ending with the last form, and every control drawn."""

import re
import time

import harness
import pictures
from harness import check


def lifecycle():
    with harness.WineSession("forms-lifecycle") as s:
        probe = harness.Probe(s, "forms_probe.exe", ["lifecycle"], log_file=False)
        code = probe.finish(30)
        lines = probe.lines()
        print("\n".join(lines))
        check(code == 0, f"exit code {code}")
        check(lines[:2] == ["hidden form found by title", "hidden form not visible"], "hidden form")
        ticks = [int(m.group(1)) for m in (re.match(r"tick \d after (\d+) ms", l) for l in lines) if m]
        check(len(ticks) == 3, f"ticks {ticks}")
        # Enabling, and enabling again, both wait a whole 300 ms interval.
        check(ticks[0] >= 280 and ticks[2] >= 280, f"a tick came before a full interval: {ticks}")
        check(lines.index("modal show returned") < lines.index("close handler"), "modal show did not wait")
        check("hourglass kept until set back" in lines, "the application-wide pointer did not stay")
        check("one form left" in lines, "the modal form was not unloaded")
        tail = lines[lines.index("close handler"):]
        check(tail == ["close handler", "unload handler", "message loop ended: no form loaded"],
              f"unload order {tail}")


def controls():
    with harness.WineSession("forms-controls", screen=(640, 480), locale="ja_JP.UTF-8") as s:
        probe = harness.Probe(s, "forms_probe.exe", ["controls"], log_file=False)
        line = probe.wait_for("combo items")[0]
        check(line == "combo items 2 index 1", f"combo box: {line!r}")
        s.wait_window("Probe Controls", visible=True)
        time.sleep(0.5)
        pixel = pictures.pixels(s.screenshot("controls"))

        def count(x0, y0, x1, y1, colour):
            return sum(1 for y in range(y0, y1) for x in range(x0, x1) if pixel(x, y) == colour)

        check(count(10, 10, 210, 40, (255, 255, 0)) > 100, "no yellow label text")
        check(count(220, 10, 280, 70, (0, 255, 0)) >= 200, "no green shape border")
        check(count(240, 40, 260, 60, (0, 255, 0)) == 0, "the shape is filled")
        check(count(225, 95, 275, 125, (255, 0, 0)) == 50 * 30, "picture box not painted")
        greyed = count(10, 50, 210, 80, (0, 0, 0))
        check(greyed < 200 * 30, "greyed label not drawn")
        probe.proc.end()


CASES = {f.__name__: f for f in (lifecycle, controls)}

if __name__ == "__main__":
    raise SystemExit(harness.main(CASES))
