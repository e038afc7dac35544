#!/bin/sh
# The fault soak, short: 20 faults of every kind through the staged launcher, with the
# guardian; fails on a gap over 3 s in the projection, a dialog left open or an operator's
# file changed. The installation it ran in (its logs, soak\faults.txt) stays in
# <tree>/soak-check-install.
#   SoakCheck.sh ARCH BUILD_TREE
set -eu
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
. "$ROOT/scripts/common.sh"
wine_env "$1" "$2/wineprefix"
cd "$2"
# Seed 4 puts one of the launcher's deaths among the 20, enough to see the guardian bring it
# back without making the check long.
status=0
wine_run bin/pavora_soak.exe --stage stage --install soak-check-install --faults 20 --seed 4 --strict </dev/null ||
    status=$?
[ "$status" = 0 ] || echo "soak failed ($status); its installation: $2/soak-check-install"
exit $status
