#!/bin/sh
# A test program under a virtual display of its own, for tests that read the screen (the
# headless driver's cannot be read).
#   ProgramOnDisplay.sh ARCH BUILD_TREE NAME PROGRAM [arguments]
# NAME names the display's log; PROGRAM is in <tree>/bin. PAVORA_DISPLAY picks the display
# (:95), PAVORA_DISPLAY_PREFIX the Wine prefix. Exits 77 (skipped) when Xvfb is missing.
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
ARCH=$1
TREE=$2
NAME=$3
PROGRAM=$4
shift 4
SCREEN_DISPLAY=${PAVORA_DISPLAY:-:95}

. "$ROOT/tests/scripts/display-common.sh"
require_programs Xvfb
wait_for_free_display
enter_display_prefix
if [ -n "${PAVORA_DISPLAY_PREFIX:-}" ]; then
    wine_env "$ARCH" "$PAVORA_DISPLAY_PREFIX"
    export DISPLAY=$SCREEN_DISPLAY
fi
start_virtual_display "$NAME" 720
"$WINELOADER" "$TREE/bin/$PROGRAM" "$@"
