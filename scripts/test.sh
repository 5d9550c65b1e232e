#!/usr/bin/env bash
# Installs what is missing, builds both builds and runs every test: the native
# suites first, then the cross-built ones and the end-to-end tests under Wine.
set -euo pipefail
source "$(dirname "$0")/common.sh"

install_missing
build_native
build_windows

say "native tests"
ctest --test-dir "$BUILD_NATIVE" --output-on-failure -j"$(nproc)"

"$VORDA_ROOT/scripts/fuzz-smoke.sh"

wine_setup
ensure_display
trap 'wineserver -k 2>/dev/null || true; stop_display' EXIT
say "Windows tests under Wine (DISPLAY=$DISPLAY)"
ctest --test-dir "$BUILD_WIN" --output-on-failure
