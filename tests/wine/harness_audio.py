"""A session's private sound server: a PulseAudio daemon with a null sink,
recordings of what reaches it, and their levels and frequencies."""

import array
import math
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import wave

from harness_prefix import HarnessError, _die_with_parent, _end_process

# --- sound ----------------------------------------------------------------------------
# A session started with audio=True gets its own PulseAudio daemon with one null
# sink. Everything the daemon keeps (home, configuration, runtime folder, socket)
# lies in the session's run folder, and every client the session starts (Wine,
# the recorder) is pointed at that socket and at the daemon's cookie, so parallel
# sessions never share a sink and nothing is written to the real home folder.

SINK_NAME = "velmora"
SINK_RATE = 48000
RECORD_RATE = 16000  # mono 16-bit: plenty for test tones, cheap to analyse in Python
_UNIX_PATH_MAX = 100  # sun_path holds 108 bytes; leave some room


def _stop_gently(proc, timeout=5):
    """SIGTERM, then SIGKILL if it has not ended after timeout seconds."""
    if proc is None or proc.poll() is not None:
        return
    try:
        proc.terminate()
        proc.wait(timeout=timeout)
    except ProcessLookupError:
        pass
    except subprocess.TimeoutExpired:
        _end_process(proc)


class AudioSink:
    """A private PulseAudio daemon with a null sink named SINK_NAME.

    A null sink's monitor only delivers while something plays into the sink, so
    a silent stream (zeros) is fed in for the sink's whole life: recordings of
    the monitor then run at the pace of the clock, and a recording's position in
    seconds is time."""

    def __init__(self, folder):
        self.folder = folder
        self.daemon = None
        self.feeder = None
        self._socket_dir = None
        self.recordings = []

    def start(self, timeout=20):
        deadline = time.monotonic() + timeout
        self._start_daemon(deadline, timeout)
        self._feed_silence(deadline, timeout)
        return self

    def _start_daemon(self, deadline, timeout):
        home = os.path.join(self.folder, "home")
        config = os.path.join(self.folder, "config")
        runtime = os.path.join(self.folder, "runtime")
        for path in (home, config, runtime):
            os.makedirs(path, exist_ok=True)
        os.chmod(runtime, 0o700)
        self.socket = os.path.join(runtime, "native")
        if len(self.socket) > _UNIX_PATH_MAX:
            self._socket_dir = tempfile.mkdtemp(prefix="velmora-pulse.", dir="/tmp")
            self.socket = os.path.join(self._socket_dir, "native")
        self.cookie = os.path.join(config, "pulse", "cookie")
        self.client_config = os.path.join(self.folder, "client.conf")
        with open(self.client_config, "w") as f:
            f.write("autospawn = no\n")
        daemon_env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": home,
            "XDG_CONFIG_HOME": config,
            "XDG_RUNTIME_DIR": runtime,
            "XDG_STATE_HOME": os.path.join(self.folder, "state"),
            "XDG_CACHE_HOME": os.path.join(self.folder, "cache"),
            "LANG": "C.UTF-8",
        }
        self.log_path = os.path.join(self.folder, "pulseaudio.log")
        log = open(self.log_path, "wb")
        try:
            # -n: no default script, only the two modules below. As root the daemon
            # warns that it is meant for one user, and runs all the same.
            self.daemon = subprocess.Popen(
                ["pulseaudio", "-n", "--daemonize=no", "--system=false", "--exit-idle-time=-1",
                 "--use-pid-file=false", "--disable-shm=true", "--log-target=stderr",
                 f"--load=module-null-sink sink_name={SINK_NAME} rate={SINK_RATE} channels=2",
                 f"--load=module-native-protocol-unix socket={self.socket} auth-anonymous=1"],
                env=daemon_env, stdin=subprocess.DEVNULL, stdout=log, stderr=log, cwd=self.folder,
                preexec_fn=_die_with_parent)
        finally:
            log.close()
        while True:
            if self.daemon.poll() is not None:
                raise HarnessError(f"pulseaudio ended at start ({self.daemon.returncode}); see {self.log_path}")
            if os.path.exists(self.socket) and self._pactl("info").returncode == 0:
                break
            if time.monotonic() > deadline:
                raise HarnessError(f"pulseaudio did not answer within {timeout} s")
            time.sleep(0.05)

    def _feed_silence(self, deadline, timeout):
        self.feeder = subprocess.Popen(
            ["pacat", "--playback", "--raw", "--format=s16le", f"--rate={SINK_RATE}", "--channels=2",
             f"--device={SINK_NAME}", "--latency-msec=50", "--client-name=velmora-silence", "/dev/zero"],
            env=self.client_env(os.environ), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL, preexec_fn=_die_with_parent)
        # Ready only once the silence feed is connected: until then the sink's
        # monitor sends nothing and recordings would not start in real time.
        while not self._pactl("list", "short", "sink-inputs").stdout.strip():
            if self.feeder.poll() is not None:
                raise HarnessError(f"the silence feed ended at start ({self.feeder.returncode})")
            if time.monotonic() > deadline:
                raise HarnessError(f"the silence feed did not connect within {timeout} s")
            time.sleep(0.05)

    @property
    def server(self):
        return "unix:" + self.socket

    def client_env(self, base=None):
        """What a client of this daemon needs (merged into base, if given)."""
        env = dict(base) if base is not None else {}
        env.update({"PULSE_SERVER": self.server, "PULSE_COOKIE": self.cookie,
                    "PULSE_CLIENTCONFIG": self.client_config})
        return env

    def _pactl(self, *args):
        return subprocess.run(["pactl", *args], env=self.client_env(os.environ), capture_output=True,
                              text=True, timeout=30)

    def pactl(self, *args):
        """pactl against this daemon: its output text (fails on error)."""
        out = self._pactl(*args)
        if out.returncode != 0:
            raise HarnessError(f"pactl {' '.join(args)}: {out.stderr.strip()}")
        return out.stdout

    def play_host(self, path, timeout=60):
        """Plays a sound file into the sink from the host side (paplay), to the end."""
        subprocess.run(["paplay", f"--device={SINK_NAME}", path], env=self.client_env(os.environ),
                       check=True, timeout=timeout, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                       preexec_fn=_die_with_parent)

    def record(self, path, rate=RECORD_RATE, timeout=20):
        """Starts recording the sink's monitor into path (raw 16-bit mono)."""
        recording = Recording(self, path, rate)
        self.recordings.append(recording)
        recording.start(timeout)
        return recording

    def stop(self):
        for recording in self.recordings:
            recording.stop()
        _stop_gently(self.feeder)
        _stop_gently(self.daemon)
        if self._socket_dir:
            shutil.rmtree(self._socket_dir, ignore_errors=True)


class Recording:
    """What reaches the sink, from the moment the recording started.

    Times are seconds from the recording's first sample. position() is how far the
    file has got, which trails the clock by however long the recorder's last write
    is ago; now() is the recording time of this very moment, from the clock, for
    stamping events. Levels are RMS on a full scale of 1.0: a sine of amplitude
    0.5 reads 0.354."""

    def __init__(self, sink, path, rate):
        self.sink = sink
        self.path = path
        self.rate = rate
        self.proc = None
        self.started = None  # time.monotonic() when the first sample arrived
        self._offset = None  # monotonic time of the recording's first sample, best estimate
        self._calibrating = None

    def start(self, timeout):
        self._out = open(self.path, "wb")
        self.proc = subprocess.Popen(
            ["parec", f"--device={SINK_NAME}.monitor", "--raw", "--format=s16le", f"--rate={self.rate}",
             "--channels=1", "--latency-msec=20", "--client-name=velmora-recorder"],
            env=self.sink.client_env(os.environ), stdin=subprocess.DEVNULL, stdout=self._out,
            stderr=subprocess.DEVNULL, preexec_fn=_die_with_parent)
        deadline = time.monotonic() + timeout
        while os.path.getsize(self.path) == 0:
            if self.proc.poll() is not None:
                raise HarnessError("the recorder ended at start")
            if time.monotonic() > deadline:
                raise HarnessError(f"the sink's monitor gave no sound within {timeout} s")
            time.sleep(0.01)
        first = self.position()
        self.started = time.monotonic()
        self._offset = self.started - first
        self._calibrating = threading.Event()
        threading.Thread(target=self._calibrate, daemon=True).start()

    def _calibrate(self):
        # The file never holds more than the clock has produced, so every look at it
        # bounds the first sample's time from above; the least bound is the best.
        while not self._calibrating.wait(0.01):
            recorded = self.position()
            self._offset = min(self._offset, time.monotonic() - recorded)

    def now(self):
        """The recording time of this moment (for stamping what a program does)."""
        return time.monotonic() - self._offset

    def stop(self):
        if self._calibrating is not None:
            self._calibrating.set()
        if self.proc is not None:
            _stop_gently(self.proc)
            self._out.close()
            self.proc = None

    def position(self):
        """Seconds recorded so far: the recording's 'now'."""
        return os.path.getsize(self.path) // 2 / self.rate

    def wait_position(self, seconds, timeout=30):
        """Waits until the recording reaches seconds; returns the position then."""
        deadline = time.monotonic() + timeout
        while self.position() < seconds:
            if time.monotonic() > deadline:
                raise HarnessError(f"recording stuck at {self.position():.2f} s, waiting for {seconds:.2f} s")
            time.sleep(0.02)
        return self.position()

    def samples(self, start, end):
        """Samples in [start, end) seconds as floats in -1..1 (waits for them to be recorded)."""
        if end <= start:
            raise HarnessError(f"empty window {start}..{end}")
        self.wait_position(end)
        first, last = int(start * self.rate), int(end * self.rate)
        with open(self.path, "rb") as f:
            f.seek(first * 2)
            data = array.array("h")
            data.frombytes(f.read((last - first) * 2))
        if sys.byteorder != "little":
            data.byteswap()
        return [v / 32768.0 for v in data]

    def rms(self, start, end):
        values = self.samples(start, end)
        return math.sqrt(sum(v * v for v in values) / len(values))

    def frequency(self, start, end):
        """The dominant frequency in Hz over the window, None when it is silent."""
        return dominant_frequency(self.samples(start, end), self.rate)

    def profile(self, start, end, step=0.5):
        """[(window start, RMS)] over consecutive windows of step seconds: for reports."""
        result = []
        t = start
        while t + step <= end + 1e-9:
            result.append((round(t, 2), round(self.rms(t, t + step), 4)))
            t += step
        return result

    def save_wav(self, path):
        """Writes what was recorded so far as a WAV file (for the artifacts)."""
        with open(self.path, "rb") as f:
            data = f.read()
        with wave.open(path, "wb") as w:
            w.setnchannels(1)
            w.setsampwidth(2)
            w.setframerate(self.rate)
            w.writeframes(data[: len(data) // 2 * 2])
        return path


def _goertzel_power(values, rate, frequency):
    coefficient = 2.0 * math.cos(2.0 * math.pi * frequency / rate)
    s1 = s2 = 0.0
    for v in values:
        s1, s2 = v + coefficient * s1 - s2, s1
    return s1 * s1 + s2 * s2 - coefficient * s1 * s2


def dominant_frequency(values, rate, silence=1e-3):
    """The frequency of the strongest tone in values (floats), None below silence RMS.

    A first estimate from the spacing of the signal's rising crossings (with
    hysteresis, so noise near zero does not count; the mean of the middle half of
    the spacings, so that a dropout in the window does not drag it down), then the strongest of the frequencies
    within 5 % of it, by Goertzel power over at most half a second of
    Hann-windowed samples. Meant for tonal test sounds; pure Python, so kept to
    small windows."""
    n = len(values)
    if n < 16:
        return None
    mean = sum(values) / n
    centred = [v - mean for v in values]
    level = math.sqrt(sum(v * v for v in centred) / n)
    if level < silence:
        return None
    threshold = 0.3 * level
    state, rising = 0, []
    for i, v in enumerate(centred):
        if v > threshold and state <= 0:
            if state < 0:
                rising.append(i)
            state = 1
        elif v < -threshold and state >= 0:
            state = -1
    if len(rising) < 3:
        return None
    spacings = sorted(b - a for a, b in zip(rising, rising[1:]))
    middle = spacings[len(spacings) // 4: len(spacings) - len(spacings) // 4]
    estimate = rate * len(middle) / sum(middle)
    part = centred[: rate // 2]
    m = len(part)
    windowed = [v * (0.5 - 0.5 * math.cos(2 * math.pi * i / (m - 1))) for i, v in enumerate(part)]
    low, high = max(1.0, estimate * 0.95), min(rate / 2 - 1, estimate * 1.05)
    step = max(0.5, (high - low) / 100)
    best, best_power = estimate, -1.0
    f = low
    while f <= high:
        power = _goertzel_power(windowed, rate, f)
        if power > best_power:
            best, best_power = f, power
        f += step
    return best
