"""Wine test harness: every test gets its own Xvfb display and its own copy of
a pristine Wine prefix, starts Windows programs with time limits, inspects
their windows, sends keys and clicks, takes screenshots, reads and writes the
prefix's C: drive, and ends every process it started, by PID, however the
test ends."""

import ctypes
import fcntl
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback

WINE = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver"
REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
WORK = os.environ.get("VELMORA_WINE_WORK", os.path.join(REPO, "build", "win64", "wine"))
PRISTINE = os.path.join(WORK, "pristine-prefix")
ARTIFACTS = os.path.join(WORK, "artifacts")
DIST = os.environ.get("VELMORA_DIST", os.path.join(REPO, "dist", "win64"))
TOOLS = os.environ.get("VELMORA_TEST_TOOLS", os.path.join(REPO, "build", "win64", "tests", "wine", "tools"))

BASE_ENV = {
    "WINEDEBUG": "-all",
    # Keeps wineboot from asking for the Mono and Gecko add-ons.
    "WINEDLLOVERRIDES": "mscoree,mshtml=",
    "WINEARCH": "win64",
}

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

    def __init__(self, width=1024, height=768, depth=24):
        read_end, write_end = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{width}x{height}x{depth}",
             "-nolisten", "tcp", "-noreset"],
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


def ensure_pristine_prefix():
    """Makes the pristine prefix once per test run; later callers just wait for it."""
    os.makedirs(WORK, exist_ok=True)
    with open(os.path.join(WORK, "pristine.lock"), "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        ready = os.path.join(PRISTINE, ".velmora-ready")
        if os.path.exists(ready):
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
            subprocess.run([WINE, "reg", "add", "HKCU\\Software\\Wine\\X11 Driver", "/v", "Managed",
                            "/d", "N", "/f"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                           timeout=120, check=False, preexec_fn=_die_with_parent)
            subprocess.run([WINESERVER, "-w"], env=env, timeout=120, check=False)
        finally:
            subprocess.run([WINESERVER, "-k"], env=env, timeout=30, check=False,
                           stderr=subprocess.DEVNULL)
            display.stop()
        if not os.path.isdir(os.path.join(PRISTINE, "drive_c", "windows", "system32")):
            raise HarnessError("wineboot did not make a prefix")
        open(ready, "w").close()
        return PRISTINE


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

    def __init__(self, name, screen=(1024, 768), locale=None):
        self.name = name
        self.screen = screen
        self.locale = locale
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
            self.xvfb = Xvfb(*self.screen)
            # A persistent server makes each program start in about 0.2 s instead of 2.
            self.server = subprocess.Popen([WINESERVER, "-f", "-p"], env=self.env(),
                                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                           preexec_fn=_die_with_parent)
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    def close(self):
        for proc in reversed(self.processes):
            proc.end()
        if self.prefix:
            subprocess.run([WINESERVER, "-k"], env=self.env(), timeout=30, check=False,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        _end_process(self.server)
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

    # --- windows ------------------------------------------------------------------
    def find_window(self, title):
        """Facts about FindWindowA(NULL, title), as a dict, or None."""
        code, out = self.run(self.tool("winspect.exe"), ["find", title], timeout=30)
        if code != 0:
            return None
        facts = {}
        for field in out.split():
            key, _, value = field.partition("=")
            facts[key] = value
        for key in ("style", "exstyle"):
            facts[key] = int(facts[key], 16)
        for key in ("hwnd", "pid", "visible", "parent"):
            facts[key] = int(facts[key])
        facts["rect"] = tuple(int(v) for v in facts["rect"].split(","))
        facts["client"] = tuple(int(v) for v in facts["client"].split(","))
        return facts

    def wait_window(self, title, timeout=15, visible=False):
        """Waits for a window with that title (and, if asked, for it to be shown)."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            facts = self.find_window(title)
            if facts and (facts["visible"] or not visible):
                return facts
            time.sleep(0.1)
        raise HarnessError(f"no window titled {title!r} within {timeout} s")

    def post(self, title, message, wparam=0, lparam=0):
        code, _ = self.run(self.tool("winspect.exe"), ["post", title, str(message), str(wparam), str(lparam)])
        return code == 0

    # --- X input and pictures -----------------------------------------------------
    def xdotool(self, *args):
        subprocess.run(["xdotool", *args], env={"DISPLAY": self.xvfb.display, "PATH": os.environ["PATH"]},
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


def main(cases):
    """Runs the case named on the command line: cases maps names to functions of no arguments."""
    if len(sys.argv) == 2 and sys.argv[1] == "--prefix":
        ensure_pristine_prefix()
        print("pristine prefix ready:", PRISTINE)
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
