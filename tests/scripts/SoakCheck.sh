#!/bin/sh
# The fault soak, short: 20 faults of every kind through the staged launcher, with the
# guardian; fails on a gap over 3 s in the projection, a dialog left open or an operator's
# file changed. The installation it ran in (its logs, soak\faults.txt) stays in
# <tree>/soak-check-install.
#   SoakCheck.sh ARCH BUILD_TREE
# With Xvfb it runs on a virtual display of its own (PAVORA_DISPLAY, else :97) in the display
# tests' prefix (PAVORA_DISPLAY_PREFIX, else the tree's), so that black and frozen pictures are
# among its faults (the headless driver's screen cannot be read); without Xvfb, headless.
set -eu
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
ARCH=$1
TREE=$2
if command -v Xvfb >/dev/null 2>&1; then
    SCREEN_DISPLAY=${PAVORA_DISPLAY:-:97}
    . "$ROOT/tests/scripts/display-common.sh"
    wait_for_free_display
    enter_display_prefix
    if [ -n "${PAVORA_DISPLAY_PREFIX:-}" ]; then
        wine_env "$ARCH" "$PAVORA_DISPLAY_PREFIX"
        export DISPLAY=$SCREEN_DISPLAY
    fi
    start_virtual_display soak 720
else
    . "$ROOT/scripts/common.sh"
    wine_env "$ARCH" "$TREE/wineprefix"
fi
cd "$TREE"
# Seed 4 puts one of the launcher's deaths among the 20 and every other kind once, enough to
# see the guardian bring it back without making the check long.
status=0
wine_run bin/pavora_soak.exe --stage stage --install soak-check-install --faults 20 --seed 4 --strict </dev/null ||
    status=$?
[ "$status" = 0 ] || echo "soak failed ($status); its installation: $TREE/soak-check-install"
exit $status
