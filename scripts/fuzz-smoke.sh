#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each briefly. Longer runs by hand:
#   build/fuzz/cmake/native/<target> -max_total_time=600 fuzz/corpus/<target>
set -euo pipefail
source "$(dirname "$0")/common.sh"
seconds=${1:-20}
targets=$(ls "$VORDA_ROOT"/fuzz/*.cpp 2>/dev/null || true)
[ -n "$targets" ] || exit 0
say "fuzz targets (${seconds}s smoke run each)"
CC=clang CXX=clang++ cmake -S "$VORDA_ROOT" -B "$VORDA_ROOT/build/fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVORDA_FUZZ=ON -DVORDA_SANITIZE=ON >/dev/null
cmake --build "$VORDA_ROOT/build/fuzz" -j"$(nproc)" >/dev/null
for src in $targets; do
  name=$(basename "$src" .cpp)
  corpus="$VORDA_ROOT/build/fuzz/corpus-$name"
  mkdir -p "$corpus"
  [ -d "$VORDA_ROOT/fuzz/corpus/$name" ] && cp -n "$VORDA_ROOT/fuzz/corpus/$name"/* "$corpus"/ 2>/dev/null || true
  "$VORDA_ROOT/build/fuzz/cmake/native/$name" -max_total_time="$seconds" -print_final_stats=0 "$corpus" 2>&1 | tail -n 2
done
