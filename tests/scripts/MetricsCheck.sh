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
out="$2/artifacts/pavora.prom"
mkdir -p "$2/artifacts"
rm -f "$out"
PAVORA_KEEP_METRICS=$(wine_run winepath -w "$out" 2>/dev/null | tr -d '\r')
export PAVORA_KEEP_METRICS
wine_run "$2/bin/pavora_e2e_tests.exe" --gtest_filter=Supervision.AnEntryThatKeepsFailingIsSetAsideAndStandbyShowsUntilItIsBack \
    </dev/null >"$2/artifacts/metrics-run.log" 2>&1 || { cat "$2/artifacts/metrics-run.log"; exit 1; }
[ -f "$out" ] || { echo "no metrics file was kept"; exit 1; }
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
rm -f "$out"
PAVORA_KEEP_METRICS=$(wine_run winepath -w "$out" 2>/dev/null | tr -d '\r')
export PAVORA_KEEP_METRICS
wine_run "$2/bin/pavora_e2e_tests.exe" --gtest_filter=Schedule.ClosedHoursEndAtTheirBoundaryWithTheProjectorOnFirstAndTheEntrysPlaylist \
    </dev/null >"$2/artifacts/metrics-projectors-run.log" 2>&1 || { cat "$2/artifacts/metrics-projectors-run.log"; exit 1; }
[ -f "$out" ] || { echo "no metrics file of the projectors was kept"; exit 1; }
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
