"""Background music during a real saver run under Wine: Velmora.scr /s with
Velmora.dll beside it in C:\\Velmora, the music chosen by the Velmora.ini there.

What the run plays is judged from the session's audio sink. What the launcher
asks of the multimedia system is read from Wine's own trace of the calls
(WINEDEBUG trace+mci for mciSendStringW, trace+winmm for PlaySound): an outside
view, like the recording, since MCI aliases belong to the process that opened
them and cannot be queried from another one."""

import os
import re
import shutil
import subprocess
import time

import harness
from harness import check

DIST_SCR = os.path.join(harness.DIST, "Velmora.scr")
DIST_DLL = os.path.join(harness.DIST, "Velmora.dll")
FOLDER = "C:\\Velmora"
MUSIC = "C:\\Music"
RENDERER_TITLE = "Nimbel_VC"
SCRATCH = "C:\\q_vesk"
WM_CLOSE = 0x0010
SILENT = 0.005
RUN_SECONDS = 4.0
TRACE = "-all,trace+mci,trace+winmm,trace+loaddll"

# The settings file's key names, as code page 932 bytes.
KEY_KIND = "BGM区分".encode("cp932")
KEY_REPEAT = "BGMﾘﾋﾟｰﾄ".encode("cp932")
KEY_FILE = "BGMﾌｧｲﾙ".encode("cp932")


def settings_bytes(kind, music_file=None, repeat=0):
    """Velmora.ini as the settings dialog saves it: numbers with a sign position."""
    lines = [b"[Section]", KEY_KIND + f"= {kind}".encode(), KEY_REPEAT + f"= {repeat}".encode()]
    if music_file is not None:
        lines.append(KEY_FILE + b"=" + music_file.encode("cp932"))
    return b"\r\n".join(lines) + b"\r\n"


def tone_wav(path, seconds, frequency):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    subprocess.run(["sox", "-n", "-r", "44100", "-c", "2", "-b", "16", path, "synth", str(seconds), "sine",
                    str(frequency), "vol", "0.5"], check=True, timeout=60)
    return path


def tone_mp3(path, seconds, frequency):
    source = tone_wav(path + ".source.wav", seconds, frequency)
    subprocess.run(["lame", "--quiet", "--cbr", "-b", "128", source, path], check=True, timeout=60)
    os.remove(source)
    return path


def midi_file(path):
    """A one-note standard MIDI file: a real .mid, so the settings keep it."""
    track = bytes([0x00, 0x90, 0x3C, 0x40, 0x60, 0x80, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00])
    data = (b"MThd" + (6).to_bytes(4, "big") + bytes([0, 0, 0, 1, 0, 0x60])
            + b"MTrk" + len(track).to_bytes(4, "big") + track)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
    return path


# --- Wine's trace of the launcher's multimedia calls ------------------------------
CALL = re.compile(r'^([0-9a-f]+):trace:mci:mciSendStringW \(L"((?:[^"\\]|\\.)*)", [0-9A-Fa-f]+, (\d+), ')
RESULT = re.compile(r'^([0-9a-f]+):trace:mci:mciSendStringW => 2/ ([0-9a-fA-F]+) \((?:L"((?:[^"\\]|\\.)*)"|\(null\))\)')
# While a command names a device that is not open, winmm opens it by itself with
# "open DEVICE wait" and a 6-character buffer; that call is Wine's, not the launcher's.
AUTO_OPEN = re.compile(r"^open \S+ wait$")


def wine_unescape(text):
    return re.sub(r"\\(.)", r"\1", text)


class Trace:
    def __init__(self, path):
        with open(path, "rb") as f:
            self.lines = f.read().decode("utf-8", "replace").splitlines()
        self.calls = []  # dicts: command, length, rc (None if not traced), reply
        latest = {}
        for line in self.lines:
            m = CALL.match(line)
            if m:
                call = {"command": wine_unescape(m.group(2)), "length": int(m.group(3)), "rc": None, "reply": None}
                self.calls.append(call)
                latest[m.group(1)] = call
                continue
            m = RESULT.match(line)
            if m and m.group(1) in latest:
                call = latest[m.group(1)]
                call["rc"] = int(m.group(2), 16)
                call["reply"] = None if m.group(3) is None else wine_unescape(m.group(3))

    def commands(self):
        """The launcher's mciSendString calls, as (command, reply length)."""
        return [(c["command"], c["length"]) for c in self.calls
                if not (AUTO_OPEN.match(c["command"]) and c["length"] == 6)]

    def play_sound_calls(self):
        """fdwSound and whether pszSound was NULL, for every PlaySound call."""
        result = []
        for line in self.lines:
            m = re.search(r"trace:winmm:MULTIMEDIA_PlaySound pszSound='([0-9A-Fa-f]+)' .*fdwSound=([0-9A-Fa-f]+)", line)
            if m:
                result.append((int(m.group(1), 16) == 0, int(m.group(2), 16)))
        return result

    def loaded(self, name):
        return any("trace:loaddll:" in line and name.lower() in line.lower() for line in self.lines)


# --- one saver run ------------------------------------------------------------------
class SaverRun:
    def __init__(self, name):
        self.session = harness.WineSession(name, screen=(640, 480), audio=True)

    def __enter__(self):
        s = self.session.__enter__()
        try:
            folder = s.c_path(FOLDER)
            os.makedirs(folder, exist_ok=True)
            shutil.copyfile(DIST_SCR, os.path.join(folder, "Velmora.scr"))
            shutil.copyfile(DIST_DLL, os.path.join(folder, "Velmora.dll"))
            self.scr = os.path.join(folder, "Velmora.scr")
            self.recording = s.record()
        except BaseException:
            self.session.__exit__(None, None, None)
            raise
        return self

    def __exit__(self, *exc):
        return self.session.__exit__(*exc)

    def run(self, settings, end_with="escape"):
        """One saver run of about RUN_SECONDS, ended by Esc in the renderer or WM_CLOSE to it.
        Returns (recording position when the renderer's window was there, when the launcher had
        ended); the run's trace is in self.trace."""
        s, rec = self.session, self.recording
        s.write_c(FOLDER + "\\Velmora.ini", settings)
        trace_path = os.path.join(s.artifacts, "launcher-trace.txt")
        with open(trace_path, "wb") as trace:
            began = time.monotonic()
            proc = s.start(self.scr, ["/s"], env={"WINEDEBUG": TRACE}, stderr=trace)
            s.wait_window(RENDERER_TITLE, timeout=30, visible=True)
            seen = rec.now()
            rec.wait_position(seen + RUN_SECONDS, timeout=RUN_SECONDS + 30)
            check(proc.running(), "the launcher ended during the run")
            s.screenshot("run")
            if end_with == "escape":
                check(s.focus_x_window(RENDERER_TITLE), "no renderer window to press Esc in")
                s.key("Escape")
            else:
                check(s.post(RENDERER_TITLE, WM_CLOSE), "WM_CLOSE not posted to the renderer")
            code = proc.wait(20)
            gone = rec.now()
            self.elapsed = time.monotonic() - began  # the launcher's whole life
        check(code is not None, "the launcher is still running 20 s after the renderer was ended")
        check(code == 0, f"launcher exit code {code}")
        check(not s.exists_c(SCRATCH), "C:\\q_vesk is left after the run")
        self.trace = Trace(trace_path)
        check(self.trace.loaded("winmm"), "Wine's trace of the launcher is empty: cannot judge its calls")
        print("launcher's mciSendString calls:", self.trace.commands())
        print("PlaySound calls (NULL sound, flags):", self.trace.play_sound_calls())
        return seen, gone

    def tone(self, start, end, frequency, what):
        rec = self.recording
        rms, found = rec.rms(start, end), rec.frequency(start, end)
        print(f"{what}: {start:.2f}..{end:.2f} s RMS {rms:.3f}, {found and round(found, 1)} Hz;",
              "per half second:", [level for _, level in rec.profile(start, end, 0.5)])
        # Loose bounds: the renderer keeps the CPU busy, and a late buffer only dips the level.
        check(rms > 0.15, f"{what}: RMS {rms:.3f}, expected the tone (0.35)")
        check(found is not None and abs(found - frequency) <= frequency * 0.02,
              f"{what}: dominant frequency {found} Hz, expected {frequency} Hz")

    def silent(self, start, end, what):
        rec = self.recording
        rms = rec.rms(start, end)
        print(f"{what}: {start:.2f}..{end:.2f} s RMS {rms:.5f}")
        check(rms < SILENT, f"{what}: sound (RMS {rms:.4f}) over {start:.2f}..{end:.2f} s")

    def silent_after(self, gone, what="after the run"):
        self.recording.wait_position(gone + 2.5)
        self.silent(gone + 0.5, gone + 2.5, what)


# --- cases ------------------------------------------------------------------------------
def wav_plays_during_the_run():
    with SaverRun("saver-music-wav") as run:
        tone_wav(run.session.c_path(MUSIC + "\\tone.wav"), 1, 440)
        seen, gone = run.run(settings_bytes(2, MUSIC + "\\tone.wav"))
        # A 1 s file heard for three seconds of the run: it loops.
        run.tone(seen + 0.5, seen + RUN_SECONDS - 0.3, 440, "during the run")
        run.silent_after(gone)
        check(run.trace.commands() == [], f"MCI used for a WAV file: {run.trace.commands()}")
        calls = run.trace.play_sound_calls()
        check(calls == [(False, 9), (True, 0)],
              f"expected PlaySound(file, SND_ASYNC | SND_LOOP) then PlaySound(NULL, 0): {calls}")
        check(any('SoundName=L"C:\\\\Music\\\\tone.wav"' in line for line in run.trace.lines),
              "PlaySound was not given the settings' file")


def mp3_mixed_case_plays_during_the_run():
    with SaverRun("saver-music-mp3") as run:
        # Longer than any run here, so the whole run is the first pass.
        tone_mp3(run.session.c_path(MUSIC + "\\Tone.Mp3"), 40, 660)
        seen, gone = run.run(settings_bytes(2, MUSIC + "\\Tone.Mp3"))
        run.tone(seen + 0.5, seen + RUN_SECONDS - 0.3, 660, "during the run")
        run.silent_after(gone)
        commands = run.trace.commands()
        check(commands[:2] == [('open "C:\\Music\\Tone.Mp3" type MPEGVideo Alias MP3Play', 0), ("play MP3Play", 0)],
              f"the run did not open and play the file as MP3: {commands[:2]}")
        check(commands[-2:] == [("stop MP3Play", 0), ("close MP3Play", 0)],
              f"the run did not end with stop and close: {commands[-2:]}")
        # Timer1: one mode query a second (with the 30-character buffer), and the file
        # reported "playing" to every one of them.
        polls = [c for c in run.trace.calls if c["command"] == "status MP3Play mode"]
        print("mode replies:", [(c["length"], c["rc"], c["reply"]) for c in polls])
        check(run.elapsed < 38, f"the run took {run.elapsed:.1f} s, longer than the file")
        check(RUN_SECONDS - 1 <= len(polls) <= run.elapsed + 1, f"{len(polls)} mode queries in a launcher "
              f"life of {run.elapsed:.1f} s: the repeat timer is not running once a second")
        check(all(c["length"] == 30 and c["rc"] == 0 and c["reply"] == "playing" for c in polls),
              "MP3Play did not report playing throughout the run")
        closing = [c for c in run.trace.calls if c["command"] in ("stop MP3Play", "close MP3Play")][-2:]
        check([c["rc"] for c in closing] == [0, 0], f"stop and close failed: {closing}")


def mid_plays_nothing():
    with SaverRun("saver-music-mid") as run:
        midi_file(run.session.c_path(MUSIC + "\\tune.mid"))
        seen, gone = run.run(settings_bytes(2, MUSIC + "\\tune.mid"))
        run.silent(0.0, gone, "the whole run")
        run.silent_after(gone)
        # No source and no timer: not a single multimedia call in a run of several seconds.
        check(run.trace.commands() == [], f"MCI used for a .mid file: {run.trace.commands()}")
        check(run.trace.play_sound_calls() == [], f"PlaySound used: {run.trace.play_sound_calls()}")


def cd_without_drive_plays_nothing():
    with SaverRun("saver-music-cd") as run:
        seen, gone = run.run(settings_bytes(1), end_with="close")
        run.silent(0.0, gone, "the whole run")
        run.silent_after(gone)
        # One poll (the current-track query fails), then Timer2 is off for the rest of the
        # run, and the close handler leaves the CD device alone.
        commands = [c for c, _ in run.trace.commands()]
        check(commands == ["open cdaudio", "set cdaudio time format tmst", "status cdaudio current track"],
              f"CD commands of the run: {commands}")
        check(run.trace.play_sound_calls() == [], "PlaySound used for CD audio")


CASES = {f.__name__: f for f in (wav_plays_during_the_run, mp3_mixed_case_plays_during_the_run,
                                 mid_plays_nothing, cd_without_drive_plays_nothing)}

if __name__ == "__main__":
    raise SystemExit(harness.main(CASES))
