#!/bin/sh
# Builds everything and runs the whole test suite under Wine (no display needed).
set -eu
. "$(dirname "$0")/common.sh"

describe_run_arch
build_all
arch=$RUN_ARCH
tree="$BUILD/$arch"
wine_env "$arch" "$tree/wineprefix"
start_prefix_server headless
status=0
if [ $# -eq 0 ]; then
    # The timing benchmarks print their times; they never fail on them.
    ( cd "$tree" && ctest -L '^timing$' -V --timeout 300 |
        sed -n '/to visible/,/ratio/p' | sed 's/^[0-9]*: //' ) || status=$?
    # So does the supervision's benchmark: fault to the next window, and the cost of watching.
    ( cd "$tree" && ctest -L '^supervision$' -V --timeout 600 | sed -n 's/^[0-9]*: \(Supervision.*\|  .*\)$/\1/p' ) ||
        status=$?
    # And the remote control's: a command to the next effect's window, per transport.
    ( cd "$tree" && ctest -L '^remote$' -V --timeout 600 | sed -n 's/^[0-9]*: \(Remote command.*\|  .*\)$/\1/p' ) ||
        status=$?
    # The point server's load test and benchmark print their figures; they fail only on real faults.
    ( cd "$tree" && ctest -L '^load$' -V --timeout 300 >socket-figures.log ) || status=$?
    sed -n 's/^[0-9][0-9]*: \(Point server.*\|  .*\|FAILED.*\)$/\1/p' "$tree/socket-figures.log"
    ( cd "$tree" && ctest -LE '^(timing|load|supervision|remote)$' --output-on-failure --timeout 300 ) || status=$?
else
    ( cd "$tree" && ctest --output-on-failure --timeout 300 "$@" ) || status=$?
fi
wineserver_cmd -k || true
exit $status
