"""Which Wine starts which program, and whether 32-bit programs can run here.

Every place that starts Wine (the harness, tools/run_saver.*, the benchmarks,
tools/test_all.sh) asks this module. 64-bit programs go to wine64 directly:
Debian's /usr/bin/wine always goes through the 32-bit loader when wine32 is
installed, and a kernel that refuses 32-bit programs then refuses 64-bit ones
too. 32-bit programs go to the 32-bit loader, which hands any 64-bit program
they start (wineboot, reg) on to wine64 by itself.

    python3 wine_loader.py why-not-32   prints why 32-bit programs cannot run
                                        here and exits 1, or exits 0 silently"""

import os
import subprocess
import sys

WINE32_LOADER = "/usr/lib/wine/wine"
WINE64_LOADER = "/usr/lib/wine/wine64"
# Debian's wrapper picks wineserver64 where it exists; one server serves both kinds.
WINESERVER = "/usr/lib/wine/wineserver"


def loader(bits):
    """The Wine loader for programs of that build (32 or 64)."""
    return WINE32_LOADER if bits == 32 else WINE64_LOADER


def why_32bit_cannot_run():
    """None when this machine runs 32-bit Windows programs, else the reason.
    Answered by starting the 32-bit loader: a kernel without IA-32 support
    has it installed and executable, and refuses it only when it runs."""
    if not os.access(WINE32_LOADER, os.X_OK):
        return "32-bit Wine is not installed (Debian's wine32:i386)"
    env = {k: v for k, v in os.environ.items() if not k.startswith("WINE")}
    try:
        done = subprocess.run([WINE32_LOADER, "--version"], capture_output=True, env=env,
                              timeout=30, check=False)
    except OSError as e:
        return f"this kernel cannot execute 32-bit programs ({e.strerror})"
    except subprocess.TimeoutExpired:
        return "the 32-bit Wine loader did not answer within 30 s"
    said = (done.stderr or done.stdout).decode("utf-8", "replace").strip().splitlines()
    # 126 is how a shell wrapper reports a program the kernel would not execute.
    if done.returncode == 126 or any("Exec format error" in line for line in said):
        return "this kernel cannot execute 32-bit programs (Exec format error)"
    if done.returncode != 0 or not done.stdout.startswith(b"wine-"):
        last = said[-1] if said else "no output"
        return f"the 32-bit Wine loader failed (exit {done.returncode}: {last})"
    return None


if __name__ == "__main__":
    if sys.argv[1:] != ["why-not-32"]:
        sys.exit("usage: wine_loader.py why-not-32")
    reason = why_32bit_cannot_run()
    if reason:
        print(reason)
    raise SystemExit(1 if reason else 0)
