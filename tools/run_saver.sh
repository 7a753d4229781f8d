#!/usr/bin/env bash
# Installs what is missing, builds the 64-bit programs and runs the saver under
# Wine on $DISPLAY. Without a display it runs in a private Xvfb, takes a
# screenshot after a few seconds and prints its path.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup_debian.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 >/dev/null
# The harness lives in tests/wine; the run uses it for a private display and prefix.
exec /usr/bin/python3 tools/run_saver.py "$@"
