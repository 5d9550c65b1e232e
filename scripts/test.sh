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

# The fuzz build carries AddressSanitizer and UndefinedBehaviorSanitizer, and
# builds the unit tests too: the whole native suite runs again under them.
"$VORDA_ROOT/scripts/fuzz-smoke.sh"
say "native tests under AddressSanitizer and UndefinedBehaviorSanitizer"
ctest --test-dir "$VORDA_ROOT/build/fuzz" --output-on-failure -j"$(nproc)"

wine_setup
ensure_display
trap 'wineserver -k 2>/dev/null || true; stop_display' EXIT
say "Windows tests under Wine (DISPLAY=$DISPLAY)"
ctest --test-dir "$BUILD_WIN" --output-on-failure
