#!/usr/bin/env bash
# Builds both builds and runs the benchmarks: the store and the libraries
# natively (Google Benchmark), then the real window under Wine at scale.
#   scripts/bench.sh [entries for the window, default 1000,10000,100000]
set -euo pipefail
source "$(dirname "$0")/common.sh"

install_missing
build_native
build_windows

say "store and libraries (native)"
"$BUILD_NATIVE/cmake/native/vorda_bench" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true

wine_setup
ensure_display
trap 'wineserver -k 2>/dev/null || true; stop_display' EXIT
say "the window under Wine (DISPLAY=$DISPLAY)"
win="$BUILD_WIN/cmake/windows"
wine "$win/vorda_window_bench.exe" --vorda-exe="$win/vorda.exe" --storetool="$win/vorda_storetool.exe" \
  --entries="${1:-1000,10000,100000}" --repetitions=5 2> >(grep -v 'fixme:' >&2)
