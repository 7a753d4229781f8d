"""Velmora on Windows in other languages: one case per ANSI code page, 1252
(Western), 936 (Simplified Chinese) and 932 (Japanese). Each installs the
pair in folders whose names a code page 932 walk breaks ("René" ends in a
932 lead byte, "誠" in a 936 trail byte of 0x5C) or the ANSI code page
cannot spell ("表示ソフト" outside 932), runs /s and /c from each,
reads the file browser's title as the wide text it is, chooses a WAV whose
name the code page may not spell, stores it and hears it in a run."""

import harness
import launcher_common as lc
import settings_dialog_e2e as sd
from harness import check
from sounds import check_tone, make_wav

FOLDERS = ("C:\\users\\René ~ 2", "C:\\users\\表示ソフト", "C:\\users\\誠")
MUSIC = "C:\\Music"
SONG = "Motörhead – Ace.wav"
OLD_SONG = "old.wav"  # the stored choice the browser opens beside
# Wine takes the ANSI code page from the locale; the Chinese and Japanese
# ones are compiled so that Unix names outside ASCII reach Wine.
LOCALES = {"cp1252": ("C.UTF-8", False), "cp936": ("zh_CN.UTF-8", True), "cp932": (lc.JAPANESE, True)}


def runs_and_opens(s, scr, folder):
    """/s finds its renderer beside it, /c shows the dialog."""
    proc = s.start(scr, ["/s"])
    s.wait_window(lc.RENDERER_TITLE, timeout=30, visible=True)
    s.post(lc.RENDERER_TITLE, lc.WM_CLOSE)
    check(proc.wait(20) == 0, f"{folder}: the run did not end")
    d = sd.Dialog(s, scr)
    d.click_centre(sd.CANCEL)
    d.closes()


def stored_song(s, folder):
    text = s.read_c(folder + "\\Velmora.ini")
    for line in text.split(b"\r\n"):
        if line.startswith("BGMﾌｧｲﾙ=".encode("cp932")):
            return line.split(b"=", 1)[1]
    raise harness.HarnessError(f"no music file stored: {text!r}")


def any_language(case):
    locale, compiled = LOCALES[case]
    with harness.WineSession("code-page-" + case, locale=locale, compiled_locale=compiled, audio=True,
                             japanese_font_link=case != "cp932") as s:
        make_wav(s.c_path(MUSIC + "\\" + SONG), 1, 440)
        make_wav(s.c_path(MUSIC + "\\" + OLD_SONG), 1, 330)
        for folder in FOLDERS:
            runs_and_opens(s, lc.install(s, folder), folder)
        folder = FOLDERS[-1]
        scr = lc.install(s, folder)
        s.write_c(folder + "\\Velmora.ini", lc.settings_bytes(2, 0, MUSIC + "\\" + OLD_SONG))
        d = sd.Dialog(s, scr)
        sd.choose_in_browser(s, d, SONG)
        s.screenshot("chosen")
        d.click_centre(sd.SET)
        d.closes()
        stored = stored_song(s, folder)
        print("stored:", stored)
        check(b"?" not in stored, "a '?' stands in for a character")
        if case == "cp1252":
            # ö and – are in code page 1252: the long name itself.
            check(stored == (MUSIC + "\\" + SONG).encode("cp1252"), "not the long name in code page 1252")
        else:
            check(stored.isascii() and stored.upper().endswith(b".WAV"), "not a short path")

        recording = s.record()
        proc = s.start(scr, ["/s"])
        s.wait_window(lc.RENDERER_TITLE, timeout=30, visible=True)
        seen = recording.now()
        recording.wait_position(seen + 3.0, timeout=40)
        check_tone(recording, seen + 0.5, seen + 2.8, 440, "the chosen song", level=(0.15, 1.0), tolerance=0.02)
        s.post(lc.RENDERER_TITLE, lc.WM_CLOSE)
        check(proc.wait(20) == 0, "the run did not end")


CASES = {case: (lambda case=case: any_language(case)) for case in LOCALES}

if __name__ == "__main__":
    raise SystemExit(harness.main(CASES))
