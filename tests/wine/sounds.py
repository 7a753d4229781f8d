"""What the music tests share: the test sounds (sine tones made with sox, and
lame for MP3) and the judges of a recording: this tone, or silence."""

import os
import subprocess

from harness import check

SILENT = 0.005  # RMS; the null sink gives exact zeros when nothing plays
TONE_RMS = 0.5 / 2 ** 0.5  # a sine of amplitude 0.5, the tones' level


def make_wav(path, seconds, frequency, volume=0.5):
    """A stereo 44.1 kHz sine tone as a WAV file."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    subprocess.run(["sox", "-n", "-r", "44100", "-c", "2", "-b", "16", path, "synth", str(seconds), "sine",
                    str(frequency), "vol", str(volume)], check=True, timeout=60)
    return path


def make_mp3(path, seconds, frequency, volume=0.5):
    """The same tone as a 128 kbit/s MP3 file."""
    source = path + ".source.wav"
    make_wav(source, seconds, frequency, volume)
    subprocess.run(["lame", "--quiet", "--cbr", "-b", "128", source, path], check=True, timeout=60)
    os.remove(source)
    return path


def check_tone(recording, start, end, frequency, what, level=(0.25, 0.45), tolerance=0.01):
    """The recording holds the tone over start..end: its RMS within level, its
    dominant frequency within tolerance (a share of frequency)."""
    rms = recording.rms(start, end)
    found = recording.frequency(start, end)
    print(f"{what}: {start:.2f}..{end:.2f} s RMS {rms:.3f}, {found and round(found, 1)} Hz")
    check(level[0] <= rms <= level[1], f"{what}: RMS {rms:.3f} over {start:.2f}..{end:.2f} s")
    check(found is not None and abs(found - frequency) <= frequency * tolerance,
          f"{what}: dominant frequency {found} Hz, expected {frequency} Hz")


def check_silent(recording, start, end, what):
    rms = recording.rms(start, end)
    print(f"{what}: {start:.2f}..{end:.2f} s RMS {rms:.5f}")
    check(rms < SILENT, f"{what}: sound (RMS {rms:.4f}) over {start:.2f}..{end:.2f} s")
