"""Wine test harness: every test gets its own Xvfb display and its own copy of
a pristine Wine prefix, starts Windows programs with time limits, inspects
their windows, sends keys and clicks, takes screenshots, reads and writes the
prefix's C: drive, and ends every process it started, by PID, however the
test ends. On request (audio=True) a session also gets its own sound server
with a null sink, and records and measures what its programs play."""

import array
import ctypes
import fcntl
import math
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
import traceback
import wave

# Debian's wine script picks the 32-bit loader when wine32 is installed; that
# loader hands 64-bit programs to wine64, so one command starts either kind.
WINE = "/usr/bin/wine"
WINE32_LOADER = "/usr/lib/wine/wine"
WINESERVER = "/usr/lib/wine/wineserver"
REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
WORK = os.environ.get("VELMORA_WINE_WORK", os.path.join(REPO, "build", "win64", "wine"))
PRISTINE = os.path.join(WORK, "pristine-prefix")
ARTIFACTS = os.path.join(WORK, "artifacts")
DIST = os.environ.get("VELMORA_DIST", os.path.join(REPO, "dist", "win64"))
TOOLS = os.environ.get("VELMORA_TEST_TOOLS", os.path.join(REPO, "build", "win64", "tests", "wine", "tools"))
# Which build the programs under test come from: 64 (x86_64) or 32 (the shipped i686 pair).
BITS = int(os.environ.get("VELMORA_BITS", "64"))
SKIP_CODE = 77  # ctest's SKIP_RETURN_CODE for these tests

BASE_ENV = {
    "WINEDEBUG": "-all",
    # Keeps wineboot from asking for the Mono and Gecko add-ons.
    "WINEDLLOVERRIDES": "mscoree,mshtml=",
    "WINEARCH": "win64",
}

# Changes whenever the pristine prefix is made differently, so that one left in a
# build folder by an older harness is made again (2: made by the loader that
# runs both kinds of program, with its 32-bit side).
PREFIX_VERSION = "2"

# Prefix folders Wine only reads during a run: shared between copies as hard links.
_READ_ONLY_TREES = ("drive_c/windows/system32", "drive_c/windows/syswow64", "drive_c/windows/winsxs")


class HarnessError(AssertionError):
    pass


def _die_with_parent():
    # Children die with the harness even if it is killed outright.
    libc = ctypes.CDLL("libc.so.6", use_errno=True)
    libc.prctl(1, signal.SIGKILL)  # PR_SET_PDEATHSIG


def _base_env(extra=None):
    env = {k: v for k, v in os.environ.items() if not k.startswith("WINE")}
    env.update(BASE_ENV)
    if extra:
        env.update(extra)
    return env


class Xvfb:
    """A private X display; -displayfd lets the server pick a free number."""

    def __init__(self, width=1024, height=768, depth=24, extra=()):
        read_end, write_end = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{width}x{height}x{depth}",
             "-nolisten", "tcp", "-noreset", *extra],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            preexec_fn=_die_with_parent)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 20
        with os.fdopen(read_end, "rb") as pipe:
            while not number.endswith(b"\n") and time.monotonic() < deadline:
                chunk = pipe.read(1)
                if not chunk:
                    break
                number += chunk
        if not number.strip():
            self.stop()
            raise HarnessError("Xvfb did not report a display")
        self.display = ":" + number.decode().strip()
        self.size = (width, height)

    def stop(self):
        _end_process(self.proc)


def _end_process(proc, group=False):
    if proc is None or proc.poll() is not None:
        return
    try:
        if group:
            os.killpg(proc.pid, signal.SIGKILL)
        else:
            proc.kill()
    except ProcessLookupError:
        pass
    try:
        proc.wait(timeout=10)
    except subprocess.TimeoutExpired:
        pass


def _clone_prefix(source, target):
    for folder, dirs, files in os.walk(source):
        rel = os.path.relpath(folder, source)
        out = os.path.join(target, rel) if rel != "." else target
        os.makedirs(out, exist_ok=True)
        shared = any(rel == t or rel.startswith(t + "/") for t in _READ_ONLY_TREES)
        for name in dirs + files:
            src = os.path.join(folder, name)
            dst = os.path.join(out, name)
            if os.path.islink(src):
                os.symlink(os.readlink(src), dst)
                if name in dirs:
                    dirs.remove(name)
            elif name in files:
                if shared:
                    os.link(src, dst)
                else:
                    shutil.copy2(src, dst)


def why_32bit_cannot_run():
    """None when this machine runs 32-bit Windows programs, else the reason."""
    if not os.access(WINE32_LOADER, os.X_OK):
        return "32-bit Wine is not installed (Debian's wine32:i386)"
    try:
        subprocess.run([WINE32_LOADER, "--version"], stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=30, check=False)
    except OSError as e:
        # ENOEXEC: a kernel without 32-bit (IA-32) support cannot load the loader.
        return f"this kernel cannot run 32-bit programs ({e.strerror})"
    except subprocess.TimeoutExpired:
        return "the 32-bit Wine loader did not answer"
    return None


def ensure_pristine_prefix():
    """Makes the pristine prefix once per test run; later callers just wait for it."""
    os.makedirs(WORK, exist_ok=True)
    with open(os.path.join(WORK, "pristine.lock"), "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        ready = os.path.join(PRISTINE, ".velmora-ready")
        if file_text(ready) == PREFIX_VERSION:
            return PRISTINE
        shutil.rmtree(PRISTINE, ignore_errors=True)
        display = Xvfb()
        env = _base_env({"WINEPREFIX": PRISTINE, "DISPLAY": display.display})
        try:
            subprocess.run([WINE, "wineboot", "-i"], env=env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=300, check=False,
                           preexec_fn=_die_with_parent)
            subprocess.run([WINESERVER, "-w"], env=env, timeout=120, check=False)
            # Xvfb runs no window manager. Windows that Wine hands to one wait
            # two seconds for it at every hide or destroy (a Wine fixme says
            # "wait_for_withdrawn_state ... timed out"); unmanaged windows do not.
            # A crash ends the program at once (its backtrace on stderr) instead
            # of leaving a crash dialog that hangs until the test times out.
            for key, value, kind, data in (("X11 Driver", "Managed", "REG_SZ", "N"),
                                           ("WineDbg", "ShowCrashDialog", "REG_DWORD", "0")):
                subprocess.run([WINE, "reg", "add", "HKCU\\Software\\Wine\\" + key, "/v", value,
                                "/t", kind, "/d", data, "/f"], env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, timeout=120, check=False, preexec_fn=_die_with_parent)
            subprocess.run([WINESERVER, "-w"], env=env, timeout=120, check=False)
        finally:
            subprocess.run([WINESERVER, "-k"], env=env, timeout=30, check=False,
                           stderr=subprocess.DEVNULL)
            display.stop()
        windows = os.path.join(PRISTINE, "drive_c", "windows")
        if not os.path.isdir(os.path.join(windows, "system32")):
            raise HarnessError("wineboot did not make a prefix")
        # A prefix made while wine32 was missing has an empty syswow64, and
        # every 32-bit program fails in it.
        if BITS == 32 and not os.path.exists(os.path.join(windows, "syswow64", "kernel32.dll")):
            raise HarnessError("wineboot made a prefix without its 32-bit side (syswow64)")
        with open(ready, "w") as f:
            f.write(PREFIX_VERSION)
        return PRISTINE


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
        deadline = time.monotonic() + timeout
        while True:
            if self.daemon.poll() is not None:
                raise HarnessError(f"pulseaudio ended at start ({self.daemon.returncode}); see {self.log_path}")
            if os.path.exists(self.socket) and self._pactl("info").returncode == 0:
                break
            if time.monotonic() > deadline:
                raise HarnessError(f"pulseaudio did not answer within {timeout} s")
            time.sleep(0.05)
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
        return self

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

    def peak(self, start, end):
        return max(abs(v) for v in self.samples(start, end))

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


class WinProcess:
    """A Windows program started under Wine in its own process group."""

    def __init__(self, popen, name):
        self.popen = popen
        self.name = name
        self.started = time.monotonic()

    @property
    def pid(self):
        return self.popen.pid

    def running(self):
        return self.popen.poll() is None

    def wait(self, timeout):
        """Exit code, or None if still running after timeout seconds."""
        try:
            return self.popen.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None

    def end(self):
        _end_process(self.popen, group=True)


class WineSession:
    """One test's world: display, prefix, wineserver and the programs it starts."""

    def __init__(self, name, screen=(1024, 768), locale=None, audio=False, compiled_locale=False,
                 display_args=(), dpi=None):
        self.name = name
        self.screen = screen
        self.display_args = display_args  # extra Xvfb arguments, e.g. ("-extension", "GLX")
        # dpi=N: the prefix's system DPI (LogPixels), as a scaled display sets it.
        self.dpi = dpi
        self.locale = locale
        # compiled_locale=True: the locale is compiled into a private folder
        # (LOCPATH), so Wine can reach Unix file names outside ASCII.
        self.locpath = compiled_locale_path(locale) if compiled_locale and locale else None
        # audio=True: a private sound server with a null sink for this session's
        # programs (self.audio, an AudioSink); record() listens to it.
        self.want_audio = audio
        self.audio = None
        self.processes = []
        self.xvfb = None
        self.server = None
        self.prefix = None

    def __enter__(self):
        pristine = ensure_pristine_prefix()
        runs = os.path.join(WORK, "runs")
        os.makedirs(runs, exist_ok=True)
        self.run_dir = tempfile.mkdtemp(prefix=f"{self.name}.", dir=runs)
        self.prefix = os.path.join(self.run_dir, "prefix")
        _clone_prefix(pristine, self.prefix)
        self.artifacts = os.path.join(ARTIFACTS, self.name)
        shutil.rmtree(self.artifacts, ignore_errors=True)
        os.makedirs(self.artifacts, exist_ok=True)
        try:
            self.xvfb = Xvfb(*self.screen, extra=self.display_args)
            if self.dpi:
                self._set_dpi(self.dpi)
            if self.want_audio:
                self.audio = AudioSink(os.path.join(self.run_dir, "pulse"))
                self.audio.start()
            # A persistent server makes each program start in about 0.2 s instead of 2.
            self.server = subprocess.Popen([WINESERVER, "-f", "-p"], env=self.env(),
                                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                           preexec_fn=_die_with_parent)
            # The first program in a fresh prefix copy also starts Wine's services
            # and desktop, which takes seconds on a loaded machine. Pay that here,
            # with room to spare, so it never eats into a case's own time limits.
            started = time.monotonic()
            self.run(self.tool("window_tool.exe"), ["screen"], timeout=120)
            print(f"[{self.name}] Wine ready in {time.monotonic() - started:.1f} s", flush=True)
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    def _set_dpi(self, dpi):
        # Programs read LogPixels when their wineserver starts: end the one
        # that reg started before the session's own server comes up.
        subprocess.run([WINE, "reg", "add", "HKCU\\Control Panel\\Desktop", "/v", "LogPixels", "/t", "REG_DWORD",
                        "/d", str(dpi), "/f"], env=self.env(), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=120, check=True, preexec_fn=_die_with_parent)
        subprocess.run([WINESERVER, "-k"], env=self.env(), timeout=30, check=False,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run([WINESERVER, "-w"], env=self.env(), timeout=30, check=False)

    def close(self):
        for proc in reversed(self.processes):
            proc.end()
        if self.prefix:
            subprocess.run([WINESERVER, "-k"], env=self.env(), timeout=30, check=False,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        _end_process(self.server)
        if self.audio:
            for recording in self.audio.recordings:
                recording.stop()
                try:
                    recording.save_wav(os.path.join(self.artifacts,
                                                    os.path.basename(recording.path) + ".wav"))
                except OSError:
                    pass
            self.audio.stop()
        if self.xvfb:
            self.xvfb.stop()
        if getattr(self, "run_dir", None):
            shutil.rmtree(self.run_dir, ignore_errors=True)

    # --- environment and programs -------------------------------------------------
    def env(self, extra=None):
        values = {"WINEPREFIX": self.prefix}
        if self.xvfb:
            values["DISPLAY"] = self.xvfb.display
        if self.locale:
            values["LC_ALL"] = self.locale
            values["LANG"] = self.locale
        if self.locpath:
            values["LOCPATH"] = self.locpath
        if self.audio:
            values.update(self.audio.client_env())
            # Wine's MPEG playback goes through GStreamer, whose plugin registry
            # would otherwise be cached in the real home folder.
            values["GST_REGISTRY"] = os.path.join(self.audio.folder, "gstreamer-registry.bin")
        if extra:
            values.update(extra)
        return _base_env(values)

    def start(self, exe, args=(), cwd=None, env=None, stdout=subprocess.DEVNULL,
              stderr=subprocess.DEVNULL):
        """Starts a Windows program without waiting (exe: a host path)."""
        popen = subprocess.Popen([WINE, exe, *args], cwd=cwd or os.path.dirname(exe),
                                 env=self.env(env), stdout=stdout, stderr=stderr,
                                 start_new_session=True, preexec_fn=_die_with_parent)
        proc = WinProcess(popen, os.path.basename(exe))
        self.processes.append(proc)
        return proc

    def run(self, exe, args=(), timeout=30, cwd=None, env=None):
        """Runs a program to its end: (exit code, stdout text). Ends it and fails on timeout."""
        proc = self.start(exe, args, cwd=cwd, env=env, stdout=subprocess.PIPE)
        try:
            out, _ = proc.popen.communicate(timeout=timeout)
        except subprocess.TimeoutExpired:
            proc.end()
            raise HarnessError(f"{os.path.basename(exe)} {' '.join(args)} still running after {timeout} s")
        return proc.popen.returncode, out.decode("utf-8", "replace")

    def tool(self, name):
        return os.path.join(TOOLS, name)

    def record(self, name="sink"):
        """Starts recording this session's sink (needs audio=True): a Recording.
        At close it is kept as artifacts/<session>/<name>.wav."""
        if not self.audio:
            raise HarnessError("record() needs WineSession(..., audio=True)")
        return self.audio.record(os.path.join(self.run_dir, name))

    # --- windows ------------------------------------------------------------------
    def find_window(self, title):
        """Facts about FindWindowA(NULL, title), as a dict, or None."""
        code, out = self.run(self.tool("window_tool.exe"), ["find", title], timeout=30)
        return _window_facts(out) if code == 0 else None

    def wait_window(self, title, timeout=15, visible=False):
        """Waits for a window with that title (and, if asked, for it to be shown).
        One helper process polls, so waiting adds no load of its own."""
        args = ["wait", title, str(int(timeout * 1000))] + (["visible"] if visible else [])
        code, out = self.run(self.tool("window_tool.exe"), args, timeout=timeout + 60)
        if code != 0:
            raise HarnessError(f"no window titled {title!r} within {timeout} s")
        return _window_facts(out)

        for field in out.split():
            key, _, value = field.partition("=")
            facts[key] = value

    def post(self, title, message, wparam=0, lparam=0):
        code, _ = self.run(self.tool("window_tool.exe"), ["post", title, str(message), str(wparam), str(lparam)])
        return code == 0

    # --- X input and pictures -----------------------------------------------------
    def xdotool(self, *args):
        # A UTF-8 locale, so that `type` can send text beyond ASCII.
        subprocess.run(["xdotool", *args], env={"DISPLAY": self.xvfb.display, "PATH": os.environ["PATH"],
                                                "LC_ALL": "C.UTF-8"},
                       check=True, timeout=30, stdout=subprocess.DEVNULL)

    def focus_x_window(self, title):
        out = subprocess.run(["xdotool", "search", "--name", f"^{title}$"], capture_output=True, text=True,
                             env={"DISPLAY": self.xvfb.display, "PATH": os.environ["PATH"]}, timeout=30)
        ids = out.stdout.split()
        if ids:
            self.xdotool("windowfocus", "--sync", ids[0])
        return bool(ids)

    def key(self, *keys):
        self.xdotool("key", *keys)

    def click(self, x, y, button=1):
        self.xdotool("mousemove", str(x), str(y), "click", str(button))

    def screenshot(self, name):
        path = os.path.join(self.artifacts, name if name.endswith(".png") else name + ".png")
        subprocess.run(["import", "-display", self.xvfb.display, "-window", "root", path], check=True,
                       timeout=60, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return path

    # --- the C: drive -------------------------------------------------------------
    def c_path(self, windows_path):
        """Host path of a C: path such as C:\\q_vesk\\Nimbel.bmp (case as given)."""
        drive, _, rest = windows_path.partition(":")
        if drive.upper() != "C":
            raise HarnessError(f"not a C: path: {windows_path}")
        return os.path.join(self.prefix, "drive_c", *[p for p in rest.split("\\") if p])

    def write_c(self, windows_path, data):
        path = self.c_path(windows_path)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
        return path

    def read_c(self, windows_path):
        with open(self.c_path(windows_path), "rb") as f:
            return f.read()

    def exists_c(self, windows_path):
        return os.path.lexists(self.c_path(windows_path))


def _window_facts(line):
    """window_tool's line of facts about one window, as a dict."""
    facts = {}
    for field in line.split():
        key, _, value = field.partition("=")
        facts[key] = value
    for key in ("style", "exstyle"):
        facts[key] = int(facts[key], 16)
    for key in ("hwnd", "pid", "visible", "parent"):
        facts[key] = int(facts[key])
    facts["rect"] = tuple(int(v) for v in facts["rect"].split(","))
    facts["client"] = tuple(int(v) for v in facts["client"].split(","))
    return facts


def compiled_locale_path(locale):
    """A folder holding the locale compiled with localedef (once per test run)."""
    folder = os.path.join(WORK, "locales")
    target = os.path.join(folder, locale)
    if not os.path.isdir(target):
        name, _, charset = locale.partition(".")
        os.makedirs(folder, exist_ok=True)
        scratch = tempfile.mkdtemp(dir=folder)
        subprocess.run(["localedef", "-i", name, "-f", charset or "UTF-8", os.path.join(scratch, locale)],
                       check=False, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
        try:
            os.rename(os.path.join(scratch, locale), target)  # a parallel test may have won
        except OSError:
            pass
        shutil.rmtree(scratch, ignore_errors=True)
    if not os.path.isdir(target):
        raise HarnessError(f"localedef could not compile {locale}")
    return folder


def file_text(path):
    """A file's text so far ("" while it is missing)."""
    try:
        with open(path, "rb") as f:
            return f.read().decode("utf-8", "replace")
    except OSError:
        return ""


def log_lines(path):
    """The non-empty lines a probe has logged so far (none while the file is missing)."""
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            return [line.strip() for line in f if line.strip()]
    except OSError:
        return []


def wait_until(predicate, timeout, step=0.05):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if predicate():
            return True
        time.sleep(step)
    return predicate()


def check(condition, message):
    if not condition:
        raise HarnessError(message)


def warm_up():
    """Runs the renderer once, in a copy of the pristine prefix, before any case:
    the first OpenGL program of a run loads Mesa and LLVM from disk and fills
    the shader cache, a cost that otherwise lands on whichever case comes first."""
    renderer = os.path.join(DIST, "Velmora.dll")
    if not os.path.exists(renderer):
        return
    started = time.monotonic()
    with WineSession("warm-up") as s:
        proc = s.start(renderer)
        try:
            s.wait_window("Nimbel_VC", timeout=120, visible=True)
            time.sleep(1.0)  # a few frames: the drawing shaders too
        except HarnessError:
            pass
        s.post("Nimbel_VC", 0x0010)  # WM_CLOSE
        proc.wait(10)
    print(f"warmed up in {time.monotonic() - started:.1f} s")


def main(cases):
    """Runs the case named on the command line: cases maps names to functions of no arguments."""
    if len(sys.argv) == 2 and sys.argv[1] == "--list":
        print(";".join(cases))  # a CMake list: the build registers one test per case
        return 0
    if BITS == 32:
        reason = why_32bit_cannot_run()
        if reason:
            print(f"SKIPPED: {reason}")
            return SKIP_CODE
    if len(sys.argv) == 2 and sys.argv[1] == "--prefix":
        ensure_pristine_prefix()
        print("pristine prefix ready:", PRISTINE)
        warm_up()
        return 0
    if len(sys.argv) != 2 or sys.argv[1] not in cases:
        print("usage:", sys.argv[0], "|".join(sorted(cases)), file=sys.stderr)
        return 64

    def terminate(signum, frame):
        raise SystemExit(f"stopped by signal {signum}")

    signal.signal(signal.SIGTERM, terminate)
    name = sys.argv[1]
    try:
        cases[name]()
    except Exception:
        traceback.print_exc()
        print(f"FAIL {name}")
        return 1
    print(f"PASS {name}")
    return 0
