#!/usr/bin/env bash
# Installs what is missing, builds the shipped 32-bit programs and runs the
# saver under Wine on $DISPLAY. Without a display it runs in a private Xvfb,
# takes a screenshot after a few seconds and prints its path.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup_debian.sh
preset=win32 bits=32
if ! reason=$(/usr/bin/python3 tests/wine/wine_loader.py why-not-32); then
  echo "$reason: running the 64-bit twin instead." >&2
  preset=win64 bits=64
fi
cmake --preset $preset >/dev/null
cmake --build --preset $preset >/dev/null
# The harness lives in tests/wine; the run uses it for a private display and prefix.
export VELMORA_BITS=$bits VELMORA_DIST="$PWD/dist/$preset" VELMORA_WINE_WORK="$PWD/build/$preset/wine" \
  VELMORA_TEST_TOOLS="$PWD/build/$preset/tests/wine/tools"
exec /usr/bin/python3 tools/run_saver.py "$@"
