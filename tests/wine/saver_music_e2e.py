"""Background music during a real saver run under Wine: Velmora.scr /s with
Velmora.dll beside it in C:\\Velmora, the music chosen by the Velmora.ini there.

What the run plays is judged from the session's audio sink. What the launcher
asks of the multimedia system is read from Wine's own trace of the calls
(WINEDEBUG trace+mci for mciSendStringW, trace+winmm for PlaySound): an outside
view, like the recording, since MCI aliases belong to the process that opened
them and cannot be queried from another one."""

import os
import re
import time

import harness
import launcher_common as lc
from harness import check
from sounds import check_silent, check_tone, make_mp3, make_wav

MUSIC = "C:\\Music"
RUN_SECONDS = 4.0
TRACE = "-all,trace+mci,trace+winmm,trace+loaddll"


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
            self.scr = lc.install(s)
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
        s.write_c("C:\\Velmora\\Velmora.ini", settings)
        trace_path = os.path.join(s.artifacts, "launcher-trace.txt")
        with open(trace_path, "wb") as trace:
            began = time.monotonic()
            proc = s.start(self.scr, ["/s"], env={"WINEDEBUG": TRACE}, stderr=trace)
            s.wait_window(lc.RENDERER_TITLE, timeout=30, visible=True)
            seen = rec.now()
            rec.wait_position(seen + RUN_SECONDS, timeout=RUN_SECONDS + 30)
            check(proc.running(), "the launcher ended during the run")
            s.screenshot("run")
            if end_with == "escape":
                check(s.focus_x_window(lc.RENDERER_TITLE), "no renderer window to press Esc in")
                s.key("Escape")
            else:
                check(s.post(lc.RENDERER_TITLE, lc.WM_CLOSE), "WM_CLOSE not posted to the renderer")
            code = proc.wait(20)
            gone = rec.now()
            self.elapsed = time.monotonic() - began  # the launcher's whole life
        check(code is not None, "the launcher is still running 20 s after the renderer was ended")
        check(code == 0, f"launcher exit code {code}")
        check(not s.exists_c(lc.SCRATCH), "C:\\q_vesk is left after the run")
        self.trace = Trace(trace_path)
        check(self.trace.loaded("winmm"), "Wine's trace of the launcher is empty: cannot judge its calls")
        print("launcher's mciSendString calls:", self.trace.commands())
        print("PlaySound calls (NULL sound, flags):", self.trace.play_sound_calls())
        return seen, gone

    def tone(self, start, end, frequency, what):
        print(f"{what}, per half second:", [level for _, level in self.recording.profile(start, end, 0.5)])
        # Loose bounds: the renderer keeps the CPU busy, and a late buffer only dips the level.
        check_tone(self.recording, start, end, frequency, what, level=(0.15, 1.0), tolerance=0.02)

    def silent_after(self, gone):
        self.recording.wait_position(gone + 2.5)
        check_silent(self.recording, gone + 0.5, gone + 2.5, "after the run")

    def plays(self, make, name, seconds, frequency):
        """A tone file, made in the music folder and chosen in the settings, is
        heard during the run and not after it."""
        path = MUSIC + "\\" + name
        make(self.session.c_path(path), seconds, frequency)
        seen, gone = self.run(lc.settings_bytes(2, 0, path))
        self.tone(seen + 0.5, seen + RUN_SECONDS - 0.3, frequency, "during the run")
        self.silent_after(gone)

    def silent_throughout(self, gone):
        """Nothing sounded during the run, nor after it."""
        check_silent(self.recording, 0.0, gone, "the whole run")
        self.silent_after(gone)


# --- cases ------------------------------------------------------------------------------
def wav_plays_during_the_run():
    with SaverRun("saver-music-wav") as run:
        # A 1 s file heard for three seconds of the run: it loops.
        run.plays(make_wav, "tone.wav", 1, 440)
        check(run.trace.commands() == [], f"MCI used for a WAV file: {run.trace.commands()}")
        calls = run.trace.play_sound_calls()
        check(calls == [(False, 0x2000B), (True, 0)],
              f"expected PlaySound(file, SND_ASYNC | SND_LOOP | SND_FILENAME | SND_NODEFAULT), then PlaySound(NULL, 0): {calls}")
        check(any('SoundName=L"C:\\\\Music\\\\tone.wav"' in line for line in run.trace.lines),
              "PlaySound was not given the settings' file")


def mp3_mixed_case_plays_during_the_run():
    with SaverRun("saver-music-mp3") as run:
        # Longer than any run here, so the whole run is the first pass.
        run.plays(make_mp3, "Tone.Mp3", 40, 660)
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
        seen, gone = run.run(lc.settings_bytes(2, 0, MUSIC + "\\tune.mid"))
        run.silent_throughout(gone)
        # No source and no timer: not a single multimedia call in a run of several seconds.
        check(run.trace.commands() == [], f"MCI used for a .mid file: {run.trace.commands()}")
        check(run.trace.play_sound_calls() == [], f"PlaySound used: {run.trace.play_sound_calls()}")


def cd_without_drive_plays_nothing():
    with SaverRun("saver-music-cd") as run:
        seen, gone = run.run(lc.settings_bytes(1, 0), end_with="close")
        run.silent_throughout(gone)
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
