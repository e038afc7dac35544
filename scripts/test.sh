#!/bin/sh
# Builds everything and runs the whole test suite under Wine (no display needed).
set -eu
. "$(dirname "$0")/common.sh"

build_all
arch=$(run_arch)
tree="$BUILD/$arch"
wine_env "$arch" "$tree/wineprefix"
mkdir -p "$WINEPREFIX"
# One wineserver for the whole run: each program then starts in milliseconds.
wineserver_cmd -k 2>/dev/null || true
wineserver_cmd -p
prepare_prefix headless
status=0
( cd "$tree" && ctest --output-on-failure --timeout 300 "$@" ) || status=$?
wineserver_cmd -k || true
exit $status
