#!/usr/bin/env bash
# Current-frame GIF export against giflib: builds an optimised native tree
# without sanitizers in build/bench and runs the benchmark.
# usage: bench/gif_export_bench.sh [rounds] [milliseconds-per-round]
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_SANITIZE=OFF >/dev/null
cmake --build build/bench --target gif_export_bench -j2 >/dev/null
build/bench/bench/gif_export/gif_export_bench "$@"
