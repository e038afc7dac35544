#!/bin/sh
# The quick tool bar of the real launcher on a pen device, clicked with the real mouse
# (xdotool) under a virtual display of its own: the keys reach the window the user works
# in, which keeps the focus; the bar's place; the click-mode pair and Hide.
#   QuickToolBarDisplayTest.sh ARCH BUILD_TREE
# Exits 77 (skipped) when Xvfb or xdotool is missing.
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
ARCH=$1
TREE=$2
SCREEN_DISPLAY=${PAVORA_DISPLAY:-:95}
SCREEN_HEIGHT=800

. "$ROOT/tests/scripts/display-common.sh"
require_programs Xvfb xdotool
wait_for_free_display
enter_display_prefix

start_virtual_display quickbar "$SCREEN_HEIGHT"

# A pen device with two configured keys (the file is in the system's code page).
cp -r "$TREE/stage" "$scratch/install"
config="$scratch/install/Bin/config.ini"
sed -i 's/^DEVICETYPE=.*/DEVICETYPE=1\r/' "$config"
printf '打开=13\r\n下一页=34\r\n' | iconv -f UTF-8 -t GBK >> "$config"
printf '[guard]\r\non=0\r\n' >> "$config"
log="$scratch/recorder.log"
: > "$log"
export PAVORA_MESSAGEBOX_LOG="Z:$scratch/boxes.log"

failures=0
check() {
    if [ "$2" = "$3" ]; then
        echo "ok    $1"
    else
        echo "FAIL  $1: expected '$2', got '$3'"
        failures=$((failures + 1))
    fi
}
# Waits up to 15 s for a log line matching the pattern.
wait_for() {
    i=0
    while ! grep -q "$1" "$log"; do
        i=$((i + 1))
        if [ $i -gt 75 ]; then
            echo "FAIL  no line '$1' in the recorder's log:"
            cat "$log"
            exit 1
        fi
        sleep 0.2
    done
}
click() {
    xdotool mousemove "$1" "$2" click 1
    sleep 0.4
}
# The screen point that the recorder reported on the line that starts with $1.
at() {
    grep "^$1 " "$log" | head -n 1 | sed "s/^$1 //"
}

( cd "$scratch/install" && exec "$WINELOADER" Pavora.exe >/dev/null 2>&1 ) &
sleep 2
"$WINELOADER" "$TREE/bin/pavora_key_recorder.exe" "Z:$log" >/dev/null 2>&1 &
wait_for "^quick "
wait_for "^state fg=1 bar=0"

click $(at quick)
wait_for "^state .* bar=1"
check "the bar stands 150 pixels above the bottom" "top=$((SCREEN_HEIGHT - 150))" \
    "$(grep "bar=1" "$log" | head -n 1 | grep -o 'top=[0-9-]*')"

# The user goes back to the window in use, then works the bar.
click $(at self)
wait_for "^state fg=1 bar=1"
mark=$(wc -l < "$log")
click $(at "button 5097")
click $(at "button 5095")
click $(at "button 5096")
click $(at "button 5094")
wait_for "^key WM_KEYUP 34 "
keys=$(grep "^key " "$log" | cut -d' ' -f2- | tr '\n' ',')
check "Esc, Alt+F4, Enter and Page Down arrive with their scan codes" \
    "WM_KEYDOWN 27 1,WM_KEYUP 27 1,WM_SYSKEYDOWN 18 56,WM_SYSKEYDOWN 115 62,WM_SYSKEYUP 115 62,WM_KEYUP 18 56,WM_KEYDOWN 13 28,WM_KEYUP 13 28,WM_KEYDOWN 34 81,WM_KEYUP 34 81," \
    "$keys"
check "Alt+F4 asks the window in use to close" "1" "$(grep -c '^close$' "$log")"
check "the window in use keeps the focus through the clicks" "0" \
    "$(tail -n +"$((mark + 1))" "$log" | grep -c '^state fg=0')"

click $(at "button 5060")
wait_for "^state fg=1 bar=1 right=0 double=1"
click $(at "button 5091")
wait_for "^state fg=1 bar=0 right=1 double=1"
check "the right-click button is disabled, then Hide enables the pair and hides the bar" ok ok
check "no message box" "" "$(cat "$scratch/boxes.log" 2>/dev/null)"

[ $failures -eq 0 ]
