#!/bin/sh
# The video page of the real launcher and the library's manual calibration window on the
# infrared light, clicked with the real mouse (xdotool) under a virtual display of their
# own, in languages 1 and 2; their screenshots go to <tree>/screenshots as PNG.
#   VideoSourceDisplayTest.sh ARCH BUILD_TREE
# Exits 77 (skipped) when Xvfb or xdotool is missing.
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
ARCH=$1
TREE=$2
SCREEN_DISPLAY=${PAVORA_DISPLAY:-:96}

. "$ROOT/tests/scripts/display-common.sh"
require_programs Xvfb xdotool convert
wait_for_free_display
enter_display_prefix
out="$TREE/screenshots"
mkdir -p "$out"
rm -f "$out"/video-*.bmp "$out"/video-*.png

start_virtual_display videosource 800

failures=0
# Waits up to 60 s for a line of the driver's log that starts with $1.
wait_for() {
    i=0
    while ! grep -q "^$1" "$log" 2>/dev/null; do
        i=$((i + 1))
        if [ $i -gt 300 ]; then
            echo "FAIL  no line '$1' in the driver's log"
            return 1
        fi
        sleep 0.2
    done
}
at() {
    grep "^$1 " "$log" | head -n 1 | sed "s/^$1 //"
}
click() {
    xdotool mousemove $1 click 1
    sleep 0.5
}

winout=$("$WINELOADER" winepath -w "$out" 2>/dev/null | tr -d '\r')
for language in 1 2; do
    log="$scratch/driver-$language.log"
    "$WINELOADER" "$TREE/bin/pavora_video_source_driver.exe" "$language" "$winout" "Z:$log" \
        >"$scratch/driver-$language.out" 2>&1 &
    driver=$!
    # Confirm before any click, a click in the camera area, confirm again.
    for window in page calibration; do
        wait_for "$window area" || break
        click "$(at "$window confirm")"
        click "$(at "$window area")"
        click "$(at "$window confirm")"
        touch "$log.$window-done"
    done
    wait $driver || true
    cat "$log" 2>/dev/null | grep -v '^[a-z]* \(confirm\|area\) '
    grep -q '^done$' "$log" 2>/dev/null || failures=$((failures + 1))
done

wineserver_cmd -k >/dev/null 2>&1 || true
for shot in "$out"/video-*.bmp; do
    [ -f "$shot" ] || { failures=$((failures + 1)); continue; }
    convert "$shot" "${shot%.bmp}.png" && rm -f "$shot"
done
ls "$out" | grep '^video-'
[ $failures -eq 0 ]
