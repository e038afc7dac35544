# Shared by the display tests that start their own virtual display. Sourced, not run;
# the sourcing script sets ROOT, ARCH, TREE and SCREEN_DISPLAY first.

# Exits 77 (skipped) when one of the programs is missing.
require_programs() {
    for program in "$@"; do
        if ! command -v "$program" >/dev/null 2>&1; then
            echo "skipped: $program is not installed (scripts/setup.sh installs it)"
            exit 77
        fi
    done
}

# A display test that ran just before may still be taking its display down; a display
# that stays taken belongs to another program.
wait_for_free_display() {
    i=0
    while [ -e "/tmp/.X${SCREEN_DISPLAY#:}-lock" ] && [ $i -lt 50 ]; do sleep 0.2; i=$((i + 1)); done
    if [ -e "/tmp/.X${SCREEN_DISPLAY#:}-lock" ]; then
        echo "FAIL  display $SCREEN_DISPLAY is in use by another program"
        exit 1
    fi
}

# A scratch folder `scratch` in the tree ($1: its name) and a virtual display 1280 x $2
# on SCREEN_DISPLAY with the display prefix made ready on it; both go on exit.
start_virtual_display() {
    scratch=$(mktemp -d "$TREE/$1-XXXXXX")
    xvfb_pid=
    trap finish_virtual_display EXIT
    Xvfb "$SCREEN_DISPLAY" -screen 0 1280x${2}x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    mkdir -p "$WINEPREFIX"
    prepare_prefix display
    wineserver_cmd -k >/dev/null 2>&1 || true
    wineserver_cmd -w >/dev/null 2>&1 || true
}

finish_virtual_display() {
    wineserver_cmd -k >/dev/null 2>&1 || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$scratch"
}

# The tree's display prefix, on SCREEN_DISPLAY.
enter_display_prefix() {
    PAVORA_ROOT=$ROOT
    export PAVORA_ROOT
    . "$ROOT/scripts/common.sh"
    wine_env "$ARCH" "$TREE/wineprefix-display"
    export DISPLAY=$SCREEN_DISPLAY
}
