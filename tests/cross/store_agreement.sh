#!/usr/bin/env bash
# A store written by one build opens in the other with the same records.
# Arguments: the native storetool, the Windows storetool (run under Wine).
set -euo pipefail
native=$1
windows=$2
dir=$(mktemp -d "${TMPDIR:-/tmp}/vorda-cross-XXXXXX")
trap 'rm -rf "$dir"' EXIT
winpath() { printf 'Z:%s' "${1//\//\\}"; }

"$native" write "$dir/native-written"
wine "$windows" check "$(winpath "$dir/native-written")"
echo "native store opens in the Windows build"

wine "$windows" write "$(winpath "$dir/windows-written")"
"$native" check "$dir/windows-written"
echo "Windows store opens in the native build"
