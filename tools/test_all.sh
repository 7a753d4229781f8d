#!/usr/bin/env bash
# Every test: installs what is missing, builds the four configurations
# (native, fuzz, win64, win32) and runs each one's tests through ctest.
set -uo pipefail
cd "$(dirname "$0")/.."
tools/setup_debian.sh || exit 1
# Where the kernel refuses 32-bit programs the win32 phase still builds and runs
# its native checks; its Wine cases skip, and the last line says why.
no32=$(/usr/bin/python3 tests/wine/wine_loader.py why-not-32)

status=0
passed=0
failed=0
skipped=0
for preset in native fuzz win64 win32; do
  echo "=== $preset: configure and build"
  if ! { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset"; }; then
    echo "=== $preset: BUILD FAILED"
    status=1
    continue
  fi
  echo "=== $preset: tests"
  log=$(mktemp)
  # Wine cases mostly wait on sleeps and windows: three at a time pays on two cores.
  jobs=2
  case $preset in win64|win32) jobs=3 ;; esac
  ctest --preset "$preset" -j$jobs 2>&1 | tee "$log"
  [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
  # "N% tests passed, F tests failed out of T"
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
  if [ -n "$line" ]; then
    f=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
    t=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$line")
    # Skipped tests (a reason is in their output) count as neither.
    k=$(grep -cE '\(Skipped\)$' "$log" || true)
    passed=$((passed + t - f - k))
    failed=$((failed + f))
    skipped=$((skipped + k))
  else
    status=1
  fi
  rm -f "$log"
done
echo
echo "all presets: ${passed} passed, ${failed} failed, ${skipped} skipped"
if [ -n "$no32" ]; then
  echo "skipped: the win32 phase's Wine cases (the shipped 32-bit pair and its setup program): $no32"
fi
exit $status
