"""One test's world under Wine: its display, its copy of the prefix, its
wineserver, and the programs it starts, their windows and its C: drive."""

import os
import shutil
import subprocess
import tempfile
import time

from harness_audio import AudioSink
from harness_prefix import (ARTIFACTS, WINE, WINESERVER, WORK, TOOLS, HarnessError, MonitorDisplay, Xvfb,
                            _base_env, _clone_prefix, _die_with_parent, _end_process, compiled_locale_path,
                            ensure_pristine_prefix)


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


def _favour_sound():
    """Runs this test and everything it starts from now on (sound server,
    recorder, wineserver, programs) ahead of other load on the machine, as
    Windows runs its audio threads ahead of others. Otherwise a busy machine
    starves the stream and a recording hears dropouts that no program made.
    Needs root; elsewhere it does nothing."""
    try:
        os.setpriority(os.PRIO_PROCESS, 0, -10)
    except OSError:
        pass


class WineSession:
    """One test's world: display, prefix, wineserver and the programs it starts."""

    def __init__(self, name, screen=(1024, 768), locale=None, audio=False, compiled_locale=False,
                 display_args=(), dpi=None, monitors=None, desktop=None, japanese_font_link=False):
        self.name = name
        # monitors=[(w, h), ...]: monitors side by side, the first the primary,
        # which is then the screen; self.monitors lists their rectangles.
        self.monitor_sizes = monitors
        self.screen = monitors[0] if monitors else screen
        self.monitors = None
        self.display_args = display_args  # extra X server arguments, e.g. ("-extension", "GLX")
        # desktop=(w, h): every program runs in a Wine virtual desktop of that
        # size, whose mode the programs can change (an X display's cannot).
        self.desktop = desktop
        # dpi=N: the prefix's system DPI (LogPixels), as a scaled display sets it.
        self.dpi = dpi
        self.locale = locale
        # compiled_locale=True: the locale is compiled into a private folder
        # (LOCPATH), so Wine can reach Unix file names outside ASCII.
        self.locpath = compiled_locale_path(locale) if compiled_locale and locale else None
        # japanese_font_link=True: the system font links to a Japanese one, as
        # Windows' font linking does, so that screenshots under a non-Japanese
        # locale show Japanese text instead of empty boxes.
        self.japanese_font_link = japanese_font_link
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
            if self.monitor_sizes:
                self.xvfb = MonitorDisplay(self.monitor_sizes, extra=self.display_args)
            else:
                self.xvfb = Xvfb(*self.screen, extra=self.display_args)
            self.monitors = self.xvfb.monitors
            settings = []
            if self.dpi:
                settings.append(("HKCU\\Control Panel\\Desktop", "LogPixels", "REG_DWORD", str(self.dpi)))
            if self.desktop:
                settings += [("HKCU\\Software\\Wine\\Explorer", "Desktop", "REG_SZ", "Default"),
                             ("HKCU\\Software\\Wine\\Explorer\\Desktops", "Default", "REG_SZ",
                              "{}x{}".format(*self.desktop))]
            if settings:
                self._set_registry(settings)
            if self.japanese_font_link:
                self._link_japanese_font()
            if self.want_audio:
                _favour_sound()
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

    def _set_registry(self, settings):
        # Programs read LogPixels, and the desktop its kind, when their
        # wineserver starts: end the one that reg started before the
        # session's own server comes up.
        for key, value, kind, data in settings:
            subprocess.run([WINE, "reg", "add", key, "/v", value, "/t", kind, "/d", data, "/f"], env=self.env(),
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120, check=True,
                           preexec_fn=_die_with_parent)
        subprocess.run([WINESERVER, "-k"], env=self.env(), timeout=30, check=False,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run([WINESERVER, "-w"], env=self.env(), timeout=30, check=False)

    def _link_japanese_font(self):
        # Wine reads the links when a program starts. Tahoma is its system
        # font; the others are what its Chinese and other locales put in its place.
        faces = ("Tahoma", "SimSun", "MS Shell Dlg", "Microsoft Sans Serif")
        lines = ["Windows Registry Editor Version 5.00", "", "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]"]
        # REG_MULTI_SZ as regedit 5 writes it: hex(7), UTF-16, ending in two
        # NULs, in a UTF-16 file (in an ASCII one Wine reads the bytes as ANSI).
        value = ",".join(f"{b:02x}" for b in "ipag.ttf,IPAGothic\0\0".encode("utf-16-le"))
        lines += [f'"{face}"=hex(7):{value}' for face in faces]
        self.write_c("C:\\fontlink.reg", ("\ufeff" + "\r\n".join(lines) + "\r\n").encode("utf-16-le"))
        subprocess.run([WINE, "regedit", "/S", "C:\\fontlink.reg"], env=self.env(), stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=120, check=True, preexec_fn=_die_with_parent)

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

    def find_windows(self, title):
        """Facts about every top-level window with that title, as dicts."""
        _, out = self.run(self.tool("window_tool.exe"), ["all", title], timeout=30)
        return [_window_facts(line) for line in out.splitlines() if line.startswith("hwnd=")]

    def foreground(self):
        """Facts about the foreground window, or None."""
        code, out = self.run(self.tool("window_tool.exe"), ["foreground"], timeout=30)
        return _window_facts(out) if code == 0 else None

    def wait_window(self, title, timeout=15, visible=False):
        """Waits for a window with that title (and, if asked, for it to be shown).
        One helper process polls, so waiting adds no load of its own."""
        args = ["wait", title, str(int(timeout * 1000))] + (["visible"] if visible else [])
        code, out = self.run(self.tool("window_tool.exe"), args, timeout=timeout + 60)
        if code != 0:
            raise HarnessError(f"no window titled {title!r} within {timeout} s")
        return _window_facts(out)

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
