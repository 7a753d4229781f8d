#!/usr/bin/env bash
# Builds the shipped pair and its setup program twice from the committed HEAD,
# in two fresh clones under differently named temporary folders, one after the
# other, in different time zones, and checks that Velmora.scr, Velmora.dll,
# Velmora-Setup-<version>.exe and their SHA256SUMS come out byte for byte the
# same, and that no binary names the folder it was built in. Uncommitted
# changes take no part. JOBS (default 2) is the build's parallelism.
set -euo pipefail
repo=$(git -C "$(dirname "$0")/.." rev-parse --show-toplevel)
commit=$(git -C "$repo" rev-parse HEAD)
jobs=${JOBS:-2}
work=$(mktemp -d /tmp/velmora-repro.XXXXXX)
trap 'rm -rf "$work"' EXIT

build() {  # build FOLDER TZ
  local src=$1
  git clone --quiet --no-hardlinks --no-checkout "$repo" "$src"
  git -C "$src" checkout --quiet --detach "$commit"
  echo "=== building $commit in $src (TZ=$2)"
  (cd "$src" && TZ=$2 cmake --preset win32 >/dev/null &&
    TZ=$2 cmake --build --preset win32 --parallel "$jobs" --target velmora_sha256sums >/dev/null)
  sed "s|^|  |" "$src/dist/win32/SHA256SUMS"
}

first=$work/a/Velmora
second=$work/build-two-$RANDOM/src/velmora
build "$first" UTC
sleep 2  # so no second of the clock is shared with the first build
build "$second" Asia/Tokyo

status=0
names=$(awk '{print $2}' "$first/dist/win32/SHA256SUMS")
for name in $names SHA256SUMS; do
  if ! cmp -s "$first/dist/win32/$name" "$second/dist/win32/$name"; then
    echo "DIFFERS: $name ($(cmp -l "$first/dist/win32/$name" "$second/dist/win32/$name" | wc -l) bytes)"
    status=1
  fi
  for src in "$first" "$second"; do
    if grep -a -q -F "$work" "$src/dist/win32/$name"; then
      echo "NAMES ITS BUILD FOLDER: $src/dist/win32/$name"
      status=1
    fi
  done
done
[ $status -eq 0 ] && echo "reproducible: both builds of $commit are byte-identical"
exit $status
