"""The Wine harness's ground: where the builds and the work folders are, the
pristine Wine prefix every session copies, private X displays, and the
processes the harness starts, which die with it."""

import ctypes
import fcntl
import os
import shutil
import signal
import subprocess
import tempfile
import time

from wine_loader import WINESERVER, loader

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
WORK = os.environ.get("VELMORA_WINE_WORK", os.path.join(REPO, "build", "win64", "wine"))
PRISTINE = os.path.join(WORK, "pristine-prefix")
ARTIFACTS = os.path.join(WORK, "artifacts")
DIST = os.environ.get("VELMORA_DIST", os.path.join(REPO, "dist", "win64"))
TOOLS = os.environ.get("VELMORA_TEST_TOOLS", os.path.join(REPO, "build", "win64", "tests", "wine", "tools"))
# Which build the programs under test come from: 64 (x86_64) or 32 (the shipped i686 pair).
BITS = int(os.environ.get("VELMORA_BITS", "64"))
# Starts the programs under test, their probes and the prefix's own chores.
WINE = loader(BITS)
SKIP_CODE = 77  # ctest's SKIP_RETURN_CODE for these tests

BASE_ENV = {
    "WINEDEBUG": "-all",
    # Keeps wineboot from asking for the Mono and Gecko add-ons.
    "WINEDLLOVERRIDES": "mscoree,mshtml=",
    "WINEARCH": "win64",
}

# Changes whenever the pristine prefix is made differently, so that one left in a
# build folder by an older harness is made again (3: made by the loader of its
# build, wine64 for the 64-bit twin, so it needs no 32-bit support).
PREFIX_VERSION = "3"

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


def _start_x_server(command, env=None):
    """Starts an X server that picks a free display number (-displayfd):
    (its process, ":number")."""
    read_end, write_end = os.pipe()
    proc = subprocess.Popen([command[0], "-displayfd", str(write_end), *command[1:]], env=env,
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
        _end_process(proc)
        raise HarnessError(f"{command[0]} did not report a display")
    return proc, ":" + number.decode().strip()


class Xvfb:
    """A private X display of one screen."""

    def __init__(self, width=1024, height=768, depth=24, extra=()):
        self.proc, self.display = _start_x_server(
            ["Xvfb", "-screen", "0", f"{width}x{height}x{depth}", "-nolisten", "tcp", "-noreset", *extra])
        self.size = (width, height)
        self.monitors = [(0, 0, width, height)]

    def stop(self):
        _end_process(self.proc)


class MonitorDisplay:
    """A private X display of several monitors side by side, left to right in
    the order given, the first one the primary: Xephyr screens joined by
    Xinerama, shown on a private Xvfb. Wine reports each screen as a monitor
    and keeps doing so; with RandR on, or with Xvfb's own Xinerama, it does
    not (see the Wine notes)."""

    def __init__(self, sizes, depth=24, extra=()):
        self.host = Xvfb(sum(w for w, _ in sizes), max(h for _, h in sizes), depth)
        screens, left = [], 0
        self.monitors = []
        for width, height in sizes:
            screens += ["-screen", f"{width}x{height}x{depth}+{left}+0"]
            self.monitors.append((left, 0, left + width, height))
            left += width
        try:
            self.proc, self.display = _start_x_server(
                ["Xephyr", *screens, "+xinerama", "-extension", "RANDR", "-nolisten", "tcp", "-noreset", *extra],
                env={**os.environ, "DISPLAY": self.host.display})
        except BaseException:
            self.host.stop()
            raise
        self.size = sizes[0]

    def stop(self):
        _end_process(self.proc)
        self.host.stop()


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
