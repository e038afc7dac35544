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
    # The benchmarks print their figures and fail only on real faults: ctest's own status
    # counts (a filter after it must not hide a failure), and a failure is shown whole.
    figures() {
        label=$1
        script=$2
        if ! ( cd "$tree" && ctest -L "^$label\$" -V --timeout 600 >"$label-figures.log" 2>&1 ); then
            status=1
            tail -n 80 "$tree/$label-figures.log"
        fi
        sed -n "$script" "$tree/$label-figures.log"
    }
    # The timing benchmarks.
    figures timing '/to visible/,/ratio/{s/^[0-9]*: //;p}'
    # The supervision's: fault to the next window, and the cost of watching.
    figures supervision 's/^[0-9]*: \(Supervision.*\|  .*\)$/\1/p'
    # The remote control's: a command to the next effect's window, per transport.
    figures remote 's/^[0-9]*: \(Remote command.*\|  .*\)$/\1/p'
    # The look at the picture's: each failure to what follows, and what the looks cost.
    figures health 's/^[0-9]*: \(Health.*\|  .*\)$/\1/p'
    # The point server's load test and benchmark.
    figures load 's/^[0-9][0-9]*: \(Point server.*\|  .*\|FAILED.*\)$/\1/p'
    ( cd "$tree" && ctest -LE '^(timing|load|supervision|remote|health)$' --output-on-failure --timeout 300 ) || status=$?
else
    ( cd "$tree" && ctest --output-on-failure --timeout 300 "$@" ) || status=$?
fi
wineserver_cmd -k || true
exit $status
