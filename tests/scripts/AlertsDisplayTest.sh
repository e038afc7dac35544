#!/bin/sh
# The picture kept of a failure, under a virtual display of its own (the screen of the headless
# driver cannot be read).
#   AlertsDisplayTest.sh ARCH BUILD_TREE [gtest arguments]
# PAVORA_DISPLAY picks the display (:96), PAVORA_DISPLAY_PREFIX the prefix; PAVORA_KEEP_SHOT a
# file to copy the picture to. Exits 77 (skipped) when Xvfb is missing.
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
ARCH=$1
TREE=$2
shift 2
SCREEN_DISPLAY=${PAVORA_DISPLAY:-:96}

. "$ROOT/tests/scripts/display-common.sh"
require_programs Xvfb
wait_for_free_display
enter_display_prefix
if [ -n "${PAVORA_DISPLAY_PREFIX:-}" ]; then
    wine_env "$ARCH" "$PAVORA_DISPLAY_PREFIX"
    export DISPLAY=$SCREEN_DISPLAY
fi
start_virtual_display alerts 720
"$WINELOADER" "$TREE/bin/pavora_alerts_e2e_tests.exe" "$@"
