#!/bin/sh
# Builds everything and runs the whole test suite under Wine (no display needed).
set -eu
. "$(dirname "$0")/common.sh"

describe_run_arch
build_all
arch=$RUN_ARCH
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
# Wine's own service processes start with the first program; start them here, so that they
# do not hold the output pipe of the first test program open.
wine_run wineboot >/dev/null 2>&1 </dev/null || true
status=0
if [ $# -eq 0 ]; then
    # The benchmarks print their times; they never fail on them.
    ( cd "$tree" && ctest -R '^(LaunchBenchmark|SheetBenchmark)$' -V --timeout 300 |
        sed -n '/to visible/,/ratio/p' | sed 's/^[0-9]*: //' ) || status=$?
    # The point server's load test and benchmark print their figures; they fail only on real faults.
    ( cd "$tree" && ctest -R '^Socket(LoadTest|Benchmark)$' -V --timeout 300 >socket-figures.log ) || status=$?
    sed -n 's/^[0-9][0-9]*: \(Point server.*\|  .*\|FAILED.*\)$/\1/p' "$tree/socket-figures.log"
    ( cd "$tree" && ctest -E '^(LaunchBenchmark|SheetBenchmark|SocketLoadTest|SocketBenchmark)$' \
        --output-on-failure --timeout 300 ) || status=$?
else
    ( cd "$tree" && ctest --output-on-failure --timeout 300 "$@" ) || status=$?
fi
wineserver_cmd -k || true
exit $status
