"""A probe of tests/wine/tools run in a session, and the lines it logs (the
test's side of probe_runner_win32.h).

A probe with a log file (the default) is given the file's path as its first
argument and appends a line for each thing it sees; the test reads the lines
while the probe runs. Without one (log_file=False) the probe's standard output
is its log, read as it comes, each line stamped by clock() on arrival. A
"ready" step in a probe's script holds it until the test calls go()."""

import itertools
import os
import subprocess
import threading
import time

from harness_prefix import HarnessError

_numbers = itertools.count(1)


class Probe:
    def __init__(self, session, tool, args=(), log_file=True, clock=time.monotonic, encoding="utf-8"):
        self.name = tool
        self.encoding = encoding
        self.path = os.path.join(session.run_dir, f"{tool}-{next(_numbers)}.log") if log_file else None
        words = ["Z:" + self.path.replace("/", "\\")] if log_file else []
        self.proc = session.start(session.tool(tool), words + list(args),
                                  stdout=subprocess.DEVNULL if log_file else subprocess.PIPE)
        self._stamped = []  # (clock() at arrival, text), for a log on standard output
        self._lock = threading.Lock()
        self._reader = None
        if not log_file:
            self._reader = threading.Thread(target=self._read, args=(clock,), daemon=True)
            self._reader.start()

    def _read(self, clock):
        for raw in self.proc.popen.stdout:
            text = raw.decode(self.encoding, "replace").rstrip("\r\n")
            with self._lock:
                self._stamped.append((clock(), text))

    def stamped(self):
        """(arrival, text) of every line so far (a log on standard output)."""
        with self._lock:
            return list(self._stamped)

    def lines(self):
        """The non-empty lines logged so far, without their blanks at either end."""
        if self.path is None:
            return [text.strip() for _, text in self.stamped() if text.strip()]
        try:
            with open(self.path, encoding=self.encoding, errors="replace") as f:
                return [line.strip() for line in f if line.strip()]
        except OSError:
            return []

    def starting(self, prefix):
        """The lines so far that start with prefix."""
        return [line for line in self.lines() if line.startswith(prefix)]

    def wait_for(self, prefix, count=1, timeout=20):
        """Waits for count lines that start with prefix; all such lines then."""
        deadline = time.monotonic() + timeout
        while True:
            found = self.starting(prefix)
            if len(found) >= count:
                return found
            ended = not self.proc.running()
            if ended and self._reader:
                self._reader.join(10)
            if ended or time.monotonic() > deadline:
                # A last look: the line may have come while the probe ended.
                found = self.starting(prefix)
                if len(found) >= count:
                    return found
                raise HarnessError(f"no {prefix!r} (x{count}) from {self.name} in {self.lines()[-8:]}")
            time.sleep(0.05)

    def go(self):
        """Lets a probe held by a "ready" step go on."""
        open(self.path + ".go", "w").close()

    def finish(self, timeout):
        """Waits for the probe to end: its exit code. Ends it and fails after timeout seconds."""
        code = self.proc.wait(timeout)
        if code is None:
            self.proc.end()
            raise HarnessError(f"{self.name} still running after {timeout} s")
        if self._reader:
            self._reader.join(10)
        return code
