#!/bin/sh
# Builds everything and runs the launcher from a staged installation folder (its
# current directory), on the user's display or, without one, under a virtual display
# for a while, leaving a screenshot in build/screenshot.png.
#
#   PAVORA_LANGUAGE=2      English captions (language column 2)
#   PAVORA_DEVICETYPE=N    device type 0..3 in the staged config
#   PAVORA_RUN_SECONDS=N   how long it runs under the virtual display (default 20)
#   PAVORA_ROTATION=1      start the demo rotation at once ("auto" on); under the virtual
#                          display it then runs through both demo effects and leaves a
#                          screenshot of each (build/screenshot-effect-1.png, -2.png)
#   PAVORA_EFFECT_MINUTES=M  play time of each demo effect (default: the playlist's 1.5)
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
if [ "${PAVORA_ROTATION:-0}" = 1 ]; then sed -i "s/^auto=.*/auto=1/" "$ini"; fi
if [ -n "${PAVORA_EFFECT_MINUTES:-}" ]; then
    sed -i "s#<time>[^<]*</time>#<time>$PAVORA_EFFECT_MINUTES</time>#g" "$install/data/EffectPath.xml"
fi

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
    if [ "${PAVORA_ROTATION:-0}" = 1 ]; then
        # One screenshot in the middle of each demo effect's time.
        minutes=${PAVORA_EFFECT_MINUTES:-1.5}
        half=$(awk "BEGIN { print int($minutes * 30) }")
        whole=$(awk "BEGIN { print int($minutes * 60) }")
        sleep $((half > 8 ? half - 8 : 0))
        import -window root "$BUILD/screenshot-effect-1.png"
        echo "screenshot: $BUILD/screenshot-effect-1.png"
        sleep "$whole"
        import -window root "$BUILD/screenshot-effect-2.png"
        echo "screenshot: $BUILD/screenshot-effect-2.png"
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
