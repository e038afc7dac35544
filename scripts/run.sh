#!/bin/sh
# Builds everything and runs the launcher from a staged installation folder (its
# current directory), on the user's display or, without one, under a virtual display
# for a while. By default it plays the demo rotation, shortened, with the remote console on
# at 127.0.0.1 (its address and password are printed), and leaves screenshots: the start
# (build/screenshot.png), each demo effect (build/screenshot-effect-1.png, -2.png) and the
# console in a browser (build/screenshot-console-phone.png, -desktop.png).
#
#   PAVORA_BARE=1          the bare bar instead: nothing plays, no console
#   PAVORA_LANGUAGE=2      English captions (language column 2)
#   PAVORA_DEVICETYPE=N    device type 0..3 in the staged config
#   PAVORA_RUN_SECONDS=N   how long the bare bar runs under the virtual display (default 20)
#   PAVORA_EFFECT_MINUTES=M  play time of each demo effect (default 0.25)
#   PAVORA_CONSOLE_PORT=N  the console's port (default 8088)
set -eu
. "$(dirname "$0")/common.sh"

describe_run_arch
build_all
arch=$RUN_ARCH
tree="$BUILD/$arch"
install="$tree/run-install"
rm -rf "$install"
cp -r "$tree/stage" "$install"
ini="$install/Bin/config.ini"
if [ -n "${PAVORA_LANGUAGE:-}" ]; then sed -i "s/^language=.*/language=$PAVORA_LANGUAGE/" "$ini"; fi
if [ -n "${PAVORA_DEVICETYPE:-}" ]; then sed -i "s/^DEVICETYPE=.*/DEVICETYPE=$PAVORA_DEVICETYPE/" "$ini"; fi
demo=1
if [ "${PAVORA_BARE:-0}" = 1 ]; then demo=0; fi
minutes=${PAVORA_EFFECT_MINUTES:-0.25}
port=${PAVORA_CONSOLE_PORT:-8088}
if [ "$demo" = 1 ]; then
    sed -i "s/^auto=.*/auto=1/" "$ini"
    sed -i "s#<time>[^<]*</time>#<time>$minutes</time>#g" "$install/data/EffectPath.xml"
    # A password of this run alone; the console listens to this machine only.
    password=$(od -An -N6 -tx1 /dev/urandom | tr -d ' \n')
    printf '\r\n[remote]\r\nhttp=%s\r\npassword=%s\r\nallow=127.0.0.1\r\n' "$port" "$password" >>"$ini"
    echo "console: http://127.0.0.1:$port/ (any user name, password $password)"
fi

# The console in Debian's Chromium, headless, at phone and desktop size (the suite's browser
# driver; ports 8088 and its DevTools port are this run's).
console_screenshot() {
    local profile
    if ! command -v chromium >/dev/null 2>&1 || ! /usr/bin/python3 -c 'import websocket' 2>/dev/null; then
        echo "no chromium or python3-websocket: no screenshot of the console" >&2
        return 0
    fi
    profile=$(mktemp -d)
    /usr/bin/python3 "$ROOT/tests/scripts/ConsoleBrowser.py" "$1" "$2" "$3" "$profile" ||
        echo "the console's screenshots failed" >&2
    rm -rf "$profile"
}

wine_env "$arch" "$tree/wineprefix-run"
mkdir -p "$WINEPREFIX"

virtual=0
if [ -z "${DISPLAY:-}" ]; then
    virtual=1
    display=:77
    Xvfb $display -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=$display
    sleep 1
fi

start_prefix_server display

cd "$install"
shot="$BUILD/screenshot.png"
if [ "$virtual" = 1 ]; then
    # A Wine desktop gives the bar its caption and shows the notification area.
    wine_run explorer /desktop=Pavora,1280x800 Pavora.exe >/dev/null 2>&1 &
    sleep 8
    import -window root "$shot"
    echo "screenshot: $shot"
    if [ "$demo" = 1 ]; then
        # One screenshot in the middle of each demo effect's time.
        half=$(awk "BEGIN { print int($minutes * 30) }")
        whole=$(awk "BEGIN { print int($minutes * 60) }")
        sleep $((half > 8 ? half - 8 : 0))
        import -window root "$BUILD/screenshot-effect-1.png"
        echo "screenshot: $BUILD/screenshot-effect-1.png"
        sleep "$whole"
        import -window root "$BUILD/screenshot-effect-2.png"
        echo "screenshot: $BUILD/screenshot-effect-2.png"
        console_screenshot "$port" "$password" "$BUILD/screenshot-console"
    else
        sleep "${PAVORA_RUN_SECONDS:-20}"
        import -window root "$BUILD/screenshot-later.png"
        echo "later screenshot: $BUILD/screenshot-later.png"
    fi
    wineserver_cmd -k || true
    kill "$xvfb_pid" 2>/dev/null || true
else
    wine_run Pavora.exe &
    sleep 8
    import -window root "$shot" 2>/dev/null && echo "screenshot: $shot" || true
    wait
    wineserver_cmd -k || true
fi
