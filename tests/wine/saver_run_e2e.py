"""End-to-end tests of a saver run under Wine: the launcher's run form with
the real renderer (or a stand-in), the texture hand-off, the watch, the
clean-up, and the mends for links in the scratch folder and for blanks in the
launcher's folder."""

import os
import shutil
import struct
import time

import harness
import pictures
from harness import check, wait_until
from launcher_common import (RENDERER_TITLE, RUN_TITLE, SCRATCH, TEXTURE, WM_CLOSE, install)

ASSET = os.path.join(harness.REPO, "assets", "ring_texture.bmp")


def slow_renderer(s):
    return s.tool("slow_renderer.exe")


def wait_renderer(s):
    return s.wait_window(RENDERER_TITLE, visible=True, timeout=20)


def ends_within(proc, seconds):
    start = time.monotonic()
    code = proc.wait(seconds + 5)
    took = time.monotonic() - start
    check(code is not None, "the launcher is still running")
    return code, took


def check_cleaned(s, what):
    check(not s.exists_c(SCRATCH), f"{what}: C:\\q_vesk is left")


def check_ended_soon(s, code, took, limit, what):
    """The launcher ended well, within limit seconds of what, and cleaned up."""
    print(f"the launcher ended {took:.2f} s after {what}")
    check(code == 0, f"exit code {code}")
    check(took < limit, f"the launcher took {took:.2f} s to end after {what}")
    check_cleaned(s, f"after {what}")


def check_stand_in_saw_texture(s, message):
    """The stand-in renderer found the whole texture when it looked."""
    seen = s.read_c("C:\\slow_renderer.txt")
    check(seen.split() == [b"texture", b"12344"], f"{message}: {seen!r}")


def check_texture_bytes(data):
    """The run form's ring picture, written out: 54 + 12288 + 2 bytes."""
    check(len(data) == 12344, f"texture is {len(data)} bytes")
    (magic, size, _, offset, info, width, height, planes, bits, compression, image, xppm, yppm, used,
     important) = struct.unpack("<2sIIIIiiHHIIiiII", data[:54])
    check((magic, size, offset, info) == (b"BM", 12344, 54, 40), "file header")
    check((width, height, planes, bits, compression, image) == (64, 64, 1, 24, 0, 12288), "info header")
    check((xppm, yppm, used, important) == (2834, 2834, 0, 0), "resolution and colour counts")
    check(data[-2:] == b"\0\0", "no zero padding after the pixels")
    pixels = data[54:54 + 12288]
    with open(ASSET, "rb") as f:
        check(pixels == f.read()[54:], "pixels differ from the built-in ring")
    check(all(pixels[i] == pixels[i + 1] == pixels[i + 2] for i in range(0, len(pixels), 3)), "not grey")
    check(max(pixels) <= 246 and min(pixels) == 0, "levels outside 0-246")


def run_without_settings():
    with harness.WineSession("run-no-settings") as s:
        scr = install(s)
        s.write_c(SCRATCH + "\\foreign.txt", b"left here by someone else")
        proc = s.start(scr, ["/s"])
        wait_renderer(s)
        check_texture_bytes(s.read_c(TEXTURE))
        run = s.find_window(RUN_TITLE)
        check(run is not None and not run["visible"], "no hidden run form during the run")
        time.sleep(2.5)
        st = pictures.stats(s.screenshot("run"))
        print("run picture", st)
        check(st["colours"] > 800 and 0.01 < st["lit"] < 0.6, f"not textured rings: {st}")
        check(s.focus_x_window(RENDERER_TITLE), "no renderer window to press Esc in")
        s.key("Escape")
        code, took = ends_within(proc, 1.0)
        check_ended_soon(s, code, took, 1.5, "Esc")


def texture_before_renderer():
    # A stand-in that looks for the texture the moment it starts.
    with harness.WineSession("run-texture-first") as s:
        scr = install(s, renderer=slow_renderer(s))
        proc = s.start(scr, ["/s"], env={"SLOW_RENDERER_MS": "0"})
        wait_renderer(s)
        check_stand_in_saw_texture(s, "the renderer started before the texture was complete")
        s.post(RENDERER_TITLE, WM_CLOSE)
        check(ends_within(proc, 2)[0] == 0, "bad exit")
        check_cleaned(s, "after the run")


def other_starts_and_endings():
    with harness.WineSession("run-endings") as s:
        scr = install(s)
        # No arguments: the saver runs the same.
        proc = s.start(scr, [])
        wait_renderer(s)
        check(s.exists_c(TEXTURE), "no texture for a start without arguments")
        # A second start during a run ends at once and leaves the run alone.
        second = s.start(scr, ["/s"])
        check(second.wait(5) == 0, "a second /s did not end at once")
        check(s.find_window(RENDERER_TITLE) is not None and proc.running(), "the second start disturbed the run")
        # A close request to the renderer ends the run like Esc.
        s.post(RENDERER_TITLE, WM_CLOSE)
        code, took = ends_within(proc, 2)
        check(code == 0, f"exit code {code}")
        check_cleaned(s, "after WM_CLOSE to the renderer")
        # WM_CLOSE to the hidden run form: the same clean-up; the renderer is left.
        proc = s.start(scr, ["/s"])
        wait_renderer(s)
        check(s.post(RUN_TITLE, WM_CLOSE), "no run form to close")
        code, _ = ends_within(proc, 3)
        check(code == 0, f"exit code {code}")
        check_cleaned(s, "after WM_CLOSE to the run form")
        check(s.find_window(RENDERER_TITLE) is not None, "the launcher closed the renderer")
        s.post(RENDERER_TITLE, WM_CLOSE)
        wait_until(lambda: s.find_window(RENDERER_TITLE) is None, 10)


def renderer_cannot_start():
    with harness.WineSession("run-renderer-broken") as s:
        scr = install(s, renderer=None)
        # There, but no program: the start fails, the run ends at the first watch tick.
        with open(os.path.join(os.path.dirname(scr), "Velmora.dll"), "wb") as f:
            f.write(b"not a program" * 100)
        started = time.monotonic()
        proc = s.start(scr, ["/s"])
        code = proc.wait(15)
        # Much less than the start-up limit.
        check_ended_soon(s, code, time.monotonic() - started, 4.0, "a failed renderer start")


def slow_renderer_survives():
    with harness.WineSession("run-slow-renderer") as s:
        scr = install(s, renderer=slow_renderer(s))
        proc = s.start(scr, ["/s"], env={"SLOW_RENDERER_MS": "3000"})
        time.sleep(2.0)
        check(proc.running(), "the run ended before a slow renderer opened its window")
        wait_renderer(s)
        check_stand_in_saw_texture(s, "the texture was gone when the slow renderer looked")
        time.sleep(1.0)
        check(proc.running(), "the run ended while the renderer window was open")
        check(s.focus_x_window(RENDERER_TITLE), "no stand-in window")
        s.key("Escape")
        check(ends_within(proc, 2)[0] == 0, "bad exit")
        check_cleaned(s, "after the slow run")


def renderer_without_window_times_out():
    # A renderer that runs but never opens its window: the run ends at the
    # start-up limit (10 s), cleans up and leaves that process alone.
    with harness.WineSession("run-renderer-no-window") as s:
        scr = install(s, renderer=slow_renderer(s))
        proc = s.start(scr, ["/s"], env={"SLOW_RENDERER_MS": "60000"})
        # The limit counts from the run form's load, which starts the renderer;
        # Wine's own start-up time, which grows with the machine's load, is not in it.
        s.wait_window(RUN_TITLE, timeout=20)
        started = time.monotonic()
        time.sleep(7.0)
        check(proc.running(), "the run ended before the start-up limit")
        code = proc.wait(10)
        took = time.monotonic() - started
        print(f"run without a renderer window ended after {took:.1f} s")
        check(code == 0, f"exit code {code}")
        check(9.5 <= took <= 13.0, f"ended after {took:.1f} s, not at the 10 s limit")
        check_cleaned(s, "after the start-up limit")


def links_are_not_followed():
    # What Wine 8 presents for a Unix symbolic link inside drive_c, found out
    # with a probe: a link to a folder is a reparse point (GetFileAttributes
    # and FindFirstFile report 0x410), but a handle opened with
    # FILE_FLAG_OPEN_REPARSE_POINT follows it (0x10, the final path is the
    # target's); a link to a file looks like a plain file
    # (0x20, also through a handle opened with FILE_FLAG_OPEN_REPARSE_POINT),
    # writing to it writes the target, and DeleteFile on it deletes the
    # target. GetFinalPathNameByHandle does resolve it (\\?\C:\victim.bmp),
    # and renaming a new file over it replaces the link itself. The launcher
    # relies on exactly those two.
    with harness.WineSession("run-links") as s:
        scr = install(s)
        # The scratch folder itself is a link to another folder.
        elsewhere = s.c_path("C:\\elsewhere")
        os.makedirs(elsewhere)
        with open(os.path.join(elsewhere, "victim.txt"), "wb") as f:
            f.write(b"precious")
        os.symlink(elsewhere, s.c_path(SCRATCH))
        proc = s.start(scr, ["/s"])
        wait_renderer(s)
        s.post(RENDERER_TITLE, WM_CLOSE)
        check(ends_within(proc, 3)[0] == 0, "bad exit")
        check(os.listdir(elsewhere) == ["victim.txt"], f"written or deleted through the folder link: {os.listdir(elsewhere)}")
        check(os.path.islink(s.c_path(SCRATCH)), "the folder link was removed")
        os.unlink(s.c_path(SCRATCH))

        # A real scratch folder, but the texture file is a link to another
        # file, and another link waits for the clean-up's delete.
        victim = s.write_c("C:\\victim.bmp", b"precious")
        second = s.write_c("C:\\second.txt", b"also precious")
        os.makedirs(s.c_path(SCRATCH))
        s.write_c(SCRATCH + "\\other.txt", b"plain")
        os.symlink(victim, s.c_path(TEXTURE))
        os.symlink(second, s.c_path(SCRATCH + "\\planted.txt"))
        proc = s.start(scr, ["/s"])
        wait_renderer(s)
        s.post(RENDERER_TITLE, WM_CLOSE)
        check(ends_within(proc, 3)[0] == 0, "bad exit")
        with open(victim, "rb") as f:
            check(f.read() == b"precious", "written through the file link")
        with open(second, "rb") as f:
            check(f.read() == b"also precious", "deleted or changed through a link")
        check(not s.exists_c(SCRATCH + "\\other.txt"), "plain files in the real folder must still be deleted")
        check(not s.exists_c(TEXTURE), "the run's own texture must still be deleted")


def blank_in_launcher_folder():
    # With an unquoted command line Windows would try C:\Program.exe first.
    with harness.WineSession("run-program-files") as s:
        scr = install(s, folder="C:\\Program Files\\Velmora")
        shutil.copyfile(slow_renderer(s), s.c_path("C:\\Program.exe"))
        proc = s.start(scr, ["/s"], env={"SLOW_RENDERER_MS": "0"})
        wait_renderer(s)
        time.sleep(1.0)
        check(not s.exists_c("C:\\slow_renderer.txt"), "the decoy C:\\Program.exe was started")
        check(s.exists_c(TEXTURE), "no texture")
        s.post(RENDERER_TITLE, WM_CLOSE)
        check(ends_within(proc, 3)[0] == 0, "bad exit")
        check_cleaned(s, "after the run")


CASES = {f.__name__: f for f in (run_without_settings, texture_before_renderer, other_starts_and_endings,
                                 renderer_cannot_start, slow_renderer_survives, renderer_without_window_times_out,
                                 links_are_not_followed,
                                 blank_in_launcher_folder)}

if __name__ == "__main__":
    raise SystemExit(harness.main(CASES))
