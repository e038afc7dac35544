#!/bin/sh
# Builds everything and runs the whole test suite under Wine (no display needed).
set -eu
. "$(dirname "$0")/common.sh"

build_all
arch=$(run_arch)
tree="$BUILD/$arch"
wine_env "$arch" "$tree/wineprefix"
mkdir -p "$WINEPREFIX"
wineserver_cmd -k 2>/dev/null || true
prepare_prefix headless
# A wineserver keeps the graphics driver it started with: start a fresh one now that
# the prefix says which. One server for the whole run, so each program starts in milliseconds.
wineserver_cmd -k 2>/dev/null || true
wineserver_cmd -w 2>/dev/null || true
wineserver_cmd -p
status=0
( cd "$tree" && ctest --output-on-failure --timeout 300 "$@" ) || status=$?
wineserver_cmd -k || true
exit $status
