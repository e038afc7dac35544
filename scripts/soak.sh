#!/bin/sh
# Builds everything and runs the fault soak: the launcher of a staged installation taken
# through N faults of every kind, one at a time, while the projection is sampled; prints the
# figures per kind of fault and one closing line (README, "The fault soak").
#
#   scripts/soak.sh [--faults N] [--seed S] [--strict] [--prefix DIR] [--one-life]
#
# N defaults to 1000, S to 1. With --strict the exit code is 1 when the projection had a gap
# over 3 s, a dialog was left open or an operator's file changed. --prefix runs it in another
# Wine prefix (default build/<arch>/wineprefix-soak), with its installation in DIR/soak-install,
# so that several soaks can run side by side. --one-life leaves out the faults that end the
# launcher, so that its memory is read across one launcher's life.
set -eu
. "$(dirname "$0")/common.sh"

faults=1000
seed=1
strict=
prefix=
onelife=
while [ $# -gt 0 ]; do
    case "$1" in
    --faults) faults=${2:?--faults needs a number}; shift 2 ;;
    --seed) seed=${2:?--seed needs a number}; shift 2 ;;
    --strict) strict=--strict; shift ;;
    --prefix) prefix=${2:?--prefix needs a folder}; shift 2 ;;
    --one-life) onelife=--one-life; shift ;;
    *) echo "usage: $0 [--faults N] [--seed S] [--strict] [--prefix DIR] [--one-life]" >&2; exit 2 ;;
    esac
done
case "$faults$seed" in *[!0-9]*) echo "--faults and --seed take whole numbers" >&2; exit 2 ;; esac

describe_run_arch
build_all
arch=$RUN_ARCH
tree="$BUILD/$arch"
install=soak-install
if [ -n "$prefix" ]; then
    mkdir -p "$prefix"
    prefix=$(cd "$prefix" && pwd)
    install="$prefix/soak-install"
fi
# A prefix of its own: the soak kills every process of its prefix at the end.
wine_env "$arch" "${prefix:-$tree/wineprefix-soak}"

# The black and frozen pictures need a screen that can be read back: a virtual display of the
# soak's own (Xvfb picks a free number). Without Xvfb it runs headless and leaves them out.
xvfb_pid=
finish() {
    wineserver_cmd -k >/dev/null 2>&1 || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -f "$displayfd"
}
displayfd=$(mktemp)
trap finish EXIT
mode=headless
shown="headless (no picture faults)"
if command -v Xvfb >/dev/null 2>&1; then
    Xvfb -displayfd 3 -screen 0 1280x720x24 -nolisten tcp 3>"$displayfd" >/dev/null 2>&1 &
    xvfb_pid=$!
    i=0
    while [ ! -s "$displayfd" ] && [ $i -lt 50 ]; do sleep 0.1; i=$((i + 1)); done
    if [ -s "$displayfd" ]; then
        DISPLAY=:$(head -n 1 "$displayfd")
        export DISPLAY
        mode=display
        shown="virtual display $DISPLAY"
    fi
fi
echo "the projection: $shown"
start_prefix_server "$mode" >/dev/null 2>&1
status=0
( cd "$tree" && wine_run bin/pavora_soak.exe --stage stage --install "$install" --faults "$faults" --seed "$seed" \
    $strict $onelife </dev/null ) || status=$?
exit $status
