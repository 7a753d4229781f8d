"""The fallback for machines whose kernel refuses 32-bit programs, proven at
every run on machines that do run them: with the 32-bit loader covered, a
64-bit renderer case passes in a prefix made from nothing, and a 32-bit case
skips with the reason."""

import os
import subprocess
import sys
import tempfile

import harness
from harness import check
from wine_loader import WINE32_LOADER

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = harness.REPO
SERVER32 = os.path.join(os.path.dirname(WINE32_LOADER), "wineserver32")
# A well-formed ELF header for 32-bit ARM: every x86 kernel refuses it with
# "Exec format error", as a kernel without IA-32 support refuses i386 programs.
FOREIGN_ELF = (b"\x7fELF\x01\x01\x01" + bytes(9) + b"\x02\x00\x28\x00\x01\x00\x00\x00").ljust(120, b"\0")
# In a private mount namespace, so nothing outside the command sees the cover.
COVER = ('for f in "$LOADER" "$SERVER"; do if [ -e "$f" ]; then mount --bind "$1" "$f"; fi; done\n'
         'shift; exec "$@"')


def without_32bit(command, env, folder):
    foreign = os.path.join(folder, "foreign-elf")
    with open(foreign, "wb") as f:
        f.write(FOREIGN_ELF)
    os.chmod(foreign, 0o755)
    env = dict(env, LOADER=WINE32_LOADER, SERVER=SERVER32)
    return subprocess.run(["unshare", "-m", "--propagation", "private", "sh", "-euc", COVER, "sh", foreign,
                           *command], env=env, capture_output=True, timeout=400)


def why_unshare_fails():
    try:
        done = subprocess.run(["unshare", "-m", "--propagation", "private", "true"], capture_output=True,
                              timeout=30)
    except OSError as e:
        return f"unshare cannot start ({e.strerror})"
    if done.returncode != 0:
        said = done.stderr.decode("utf-8", "replace").strip() or f"exit {done.returncode}"
        return f"unshare -m is not permitted here ({said})"
    return None


def run_case(bits, folder):
    """renderer_e2e's textured case against one build, under the cover: (exit code, output)."""
    preset = f"win{bits}"
    env = dict(os.environ, VELMORA_BITS=str(bits), VELMORA_DIST=os.path.join(REPO, "dist", preset),
               VELMORA_TEST_TOOLS=os.path.join(REPO, "build", preset, "tests", "wine", "tools"),
               # A prefix of its own, made under the cover: the step that failed there.
               VELMORA_WINE_WORK=os.path.join(folder, f"work{bits}"))
    done = without_32bit([sys.executable, os.path.join(HERE, "renderer_e2e.py"), "textured_rings_on_black"],
                         env, folder)
    out = (done.stdout + done.stderr).decode("utf-8", "replace")
    print(f"--- win{bits} case, exit {done.returncode}:\n{out}")
    return done.returncode, out


def renderer_runs_and_32bit_skips():
    reason = why_unshare_fails()
    if reason:
        print(f"SKIPPED: {reason}")
        raise SystemExit(harness.SKIP_CODE)
    os.makedirs(harness.WORK, exist_ok=True)
    with tempfile.TemporaryDirectory(prefix="without-32bit.", dir=harness.WORK) as folder:
        code, out = run_case(64, folder)
        check(code == 0 and "PASS textured_rings_on_black" in out, "the 64-bit case failed without 32-bit support")
        code, out = run_case(32, folder)
        check(code == harness.SKIP_CODE, f"the 32-bit case ended {code}, not skipped")
        # Where wine32 is missing altogether the reason says so instead.
        expected = ("Exec format error" if os.path.exists(WINE32_LOADER)
                    else "32-bit Wine is not installed")
        check("SKIPPED: " in out and expected in out, f"the skip does not give the reason ({expected!r})")


CASES = {"renderer_runs_and_32bit_skips": renderer_runs_and_32bit_skips}

if __name__ == "__main__":
    raise SystemExit(harness.main(CASES))
