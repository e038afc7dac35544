#!/bin/sh
# The launcher's metrics file read by the fleet's own tool: promtool lints the file that a
# real launcher wrote after entries failed and were set aside, and the families that a
# dashboard needs are there.
#   MetricsCheck.sh ARCH BUILD_TREE
set -eu
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
. "$ROOT/scripts/common.sh"
wine_env "$1" "$2/wineprefix"
if ! command -v promtool >/dev/null 2>&1; then
    echo "promtool is missing: scripts/setup.sh installs it"
    exit 1
fi
TREE=$2
mkdir -p "$TREE/artifacts"

# Runs the whole-program test $2 with the launcher's metrics file kept at $1 (its log in
# artifacts/$3.log); ends the script when the test fails or keeps no file.
run_keeping_metrics() {
    rm -f "$1"
    PAVORA_KEEP_METRICS=$(wine_run winepath -w "$1" 2>/dev/null | tr -d '\r')
    export PAVORA_KEEP_METRICS
    wine_run "$TREE/bin/pavora_e2e_tests.exe" --gtest_filter="$2" </dev/null >"$TREE/artifacts/$3.log" 2>&1 ||
        { cat "$TREE/artifacts/$3.log"; exit 1; }
    [ -f "$1" ] || { echo "no metrics file was kept by $2"; exit 1; }
}

out="$2/artifacts/pavora.prom"
run_keeping_metrics "$out" Supervision.AnEntryThatKeepsFailingIsSetAsideAndStandbyShowsUntilItIsBack metrics-run
cat "$out"
promtool check metrics <"$out"
for family in pavora_up pavora_state pavora_effect_playing pavora_effect_seconds pavora_effect_restarts_total \
    pavora_effect_failures_total pavora_quarantined_entries; do
    grep -q "^# TYPE $family " "$out" || { echo "missing family $family"; exit 1; }
done
grep -q '^pavora_up 1$' "$out"
grep -q '^pavora_effect_playing{effect=".*fxSvB.exe"} 1$' "$out"
grep -q '^pavora_effect_failures_total{effect=".*fxSvA.exe",reason="crash"} 2$' "$out"
echo "metrics file passes promtool"

# A projector given twice in the settings: one series, and the file still passes.
out="$2/artifacts/pavora-projectors.prom"
run_keeping_metrics "$out" Schedule.ClosedHoursEndAtTheirBoundaryWithTheProjectorOnFirstAndTheEntrysPlaylist \
    metrics-projectors-run
# The lamp's hours keep the unit projectors report and dashboards read (promtool only lints
# the name, with status 3); anything else it says fails.
status=0
promtool check metrics <"$out" >"$2/artifacts/promtool-projectors.txt" 2>&1 || status=$?
cat "$2/artifacts/promtool-projectors.txt"
if [ "$status" != 0 ] && { [ "$status" != 3 ] || grep -v '^pavora_projector_lamp_hours use base unit' "$2/artifacts/promtool-projectors.txt" | grep -q .; }; then
    echo "promtool refused the metrics file with a projector given twice"
    exit 1
fi
[ "$(grep -c '^pavora_projector_up{' "$out")" = 1 ] || { echo "the projector given twice has not one series"; exit 1; }
echo "metrics file with a projector given twice passes promtool"
