#!/bin/sh
# Builds everything and runs the fault soak: the launcher of a staged installation taken
# through N faults of every kind, one at a time, while the projection is sampled; prints the
# figures per kind of fault and one closing line (README, "The fault soak").
#
#   scripts/soak.sh [--faults N] [--seed S] [--strict]
#
# N defaults to 1000, S to 1. With --strict the exit code is 1 when the projection had a gap
# over 3 s, a dialog was left open or an operator's file changed.
set -eu
. "$(dirname "$0")/common.sh"

faults=1000
seed=1
strict=
while [ $# -gt 0 ]; do
    case "$1" in
    --faults) faults=${2:?--faults needs a number}; shift 2 ;;
    --seed) seed=${2:?--seed needs a number}; shift 2 ;;
    --strict) strict=--strict; shift ;;
    *) echo "usage: $0 [--faults N] [--seed S] [--strict]" >&2; exit 2 ;;
    esac
done
case "$faults$seed" in *[!0-9]*) echo "--faults and --seed take whole numbers" >&2; exit 2 ;; esac

describe_run_arch
build_all
arch=$RUN_ARCH
tree="$BUILD/$arch"
# A prefix of its own: the soak kills every process of its prefix at the end.
wine_env "$arch" "$tree/wineprefix-soak"
start_prefix_server headless
status=0
( cd "$tree" && wine_run bin/pavora_soak.exe --stage stage --install soak-install --faults "$faults" --seed "$seed" \
    $strict </dev/null ) || status=$?
wineserver_cmd -k || true
exit $status
