#!/bin/sh
# Builds everything and feeds every file reader more damaged inputs than the test suite
# does, printing per reader the inputs tried, crashes, hangs and round-trip failures:
#
#   ./scripts/fuzz.sh 100000                 100,000 inputs per reader, seed 1
#   ./scripts/fuzz.sh 100000 --seed 7 --reader tracker
#   ./scripts/fuzz.sh 78795 --seed 11 --reader tracker --from 78794   one input again
#
# Failing inputs are left in build/<arch>/bin/fuzz-failures/<reader>/; copy one into
# tests/fuzz/corpus/<reader>/ to keep it as a regression case. The run has a Wine prefix
# of its own, so the test suite can run beside it.
set -eu
. "$(dirname "$0")/common.sh"

if [ $# -lt 1 ]; then
    echo "usage: $0 INPUTS [--seed S] [--reader NAME] [--time-limit MS] [--from F]" >&2
    exit 2
fi
inputs=$1
shift

describe_run_arch
build_all
arch=$RUN_ARCH
tree="$BUILD/$arch"
wine_env "$arch" "$tree/wineprefix-fuzz"
start_prefix_server headless
status=0
( cd "$tree/bin" && wine_run ./pavora_fuzz.exe --inputs "$inputs" "$@" ) || status=$?
wineserver_cmd -k || true
exit $status
