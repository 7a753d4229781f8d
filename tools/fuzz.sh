#!/usr/bin/env bash
# Runs one fuzz target for as long as asked: tools/fuzz.sh [target] [seconds]
#   tools/fuzz.sh bmp_reader_fuzz 3600
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:-bmp_reader_fuzz}
seconds=${2:-600}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "$target"
corpus=build/fuzz/tests/fuzz/${target}-corpus
mkdir -p "$corpus"
seeds=tests/fuzz/seeds/${target%_fuzz}
exec "build/fuzz/tests/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="build/fuzz/tests/fuzz/${target}-" "$corpus" "$seeds"
