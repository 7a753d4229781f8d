#!/usr/bin/env bash
# Builds the GIF decode benchmark optimised and without sanitizers (its own
# build folder, build/bench) and runs it: bench/gif_decode_bench.sh [rounds]
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_SANITIZE=OFF \
  -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++ -DVELMORA_DIST_DIR="$PWD/build/bench/dist" >/dev/null
cmake --build build/bench --target gif_decode_bench -j2
exec build/bench/bench/gif_decode/gif_decode_bench "$@"
