#!/bin/sh
# The launcher's look at the projection's picture, under a virtual display of its own (the
# screen of the headless driver cannot be read).
#   HealthDisplayTest.sh ARCH BUILD_TREE [gtest arguments]
# PAVORA_DISPLAY picks the display (:95), PAVORA_DISPLAY_PREFIX the prefix. Exits 77 (skipped)
# when Xvfb is missing.
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
ARCH=$1
TREE=$2
shift 2
SCREEN_DISPLAY=${PAVORA_DISPLAY:-:95}

. "$ROOT/tests/scripts/display-common.sh"
require_programs Xvfb
wait_for_free_display
enter_display_prefix
if [ -n "${PAVORA_DISPLAY_PREFIX:-}" ]; then
    wine_env "$ARCH" "$PAVORA_DISPLAY_PREFIX"
    export DISPLAY=$SCREEN_DISPLAY
fi
start_virtual_display health 720
"$WINELOADER" "$TREE/bin/pavora_health_display_tests.exe" "$@"
