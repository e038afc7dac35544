#!/bin/sh
# What needs a real display, on a virtual display of its own and a Wine prefix with a
# graphics driver: screenshots of the settings sheet on each page in languages 1 and 2
# (PNG files in <tree>/screenshots), the effect page's file dialog driven by typing, and
# its rows worked with the real mouse and keyboard, and the standby picture of the supervision.
#   DisplayTests.sh ARCH BUILD-TREE
# PAVORA_DISPLAY chooses the virtual display (default :91), so that two build trees
# can run this at once.
set -eu
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
ARCH=$1
TREE=$2
# Machines shared by several people give each their own display number.
SCREEN_DISPLAY=${PAVORA_DISPLAY:-:91}
. "$ROOT/tests/scripts/display-common.sh"
wait_for_free_display
arch=$ARCH
tree=$TREE
display=$SCREEN_DISPLAY
export PAVORA_ROOT="$ROOT"
. "$ROOT/scripts/common.sh"
out="$tree/screenshots"
mkdir -p "$out"
rm -f "$out"/sheet-*.bmp "$out"/sheet-*.png "$out"/effect-time-editor.*
Xvfb $display -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
# Waiting frees the display number for the next test that wants it.
trap 'kill $xvfb 2>/dev/null && wait $xvfb 2>/dev/null || true' EXIT
export DISPLAY=$display
wine_env "$arch" "$tree/wineprefix-shots"
mkdir -p "$WINEPREFIX"
sleep 1
start_prefix_server display

status=0
winout=$(wine_run winepath -w "$out" 2>/dev/null | tr -d '\r')
for language in 1 2; do
    # A Wine desktop gives the sheet its caption bar. It does not pass on the exit code: the output tells.
    wine_run explorer "/desktop=Shots$language,1280x800" "$tree/bin/pavora_sheet_shots.exe" "$language" "$winout" \
        </dev/null | tee "$out/shots-$language.log"
    grep -q '^6 screenshots' "$out/shots-$language.log" || status=1
done

# The file dialog: names typed as a user would, once the driver says the dialog is open.
marker="$out/file-dialog-open"
rm -f "$marker"
wine_run explorer /desktop=Files,1280x800 "$tree/bin/pavora_file_dialog_driver.exe" \
    "$(wine_run winepath -w "$marker" 2>/dev/null | tr -d '\r')" </dev/null >"$out/file-dialog.log" 2>&1 &
driver=$!
i=0
while [ ! -f "$marker" ] && [ $i -lt 300 ]; do sleep 0.1; i=$((i + 1)); done
if [ -f "$marker" ]; then
    xdotool type --delay 20 '"Alpha.cmd" "Beta.exe"'
    xdotool key Return
fi
wait $driver || true
cat "$out/file-dialog.log"
grep -q 'two files added and saved' "$out/file-dialog.log" || status=1

# The rows: the driver says where to click and waits until the lines it wrote have run.
request="$out/effect-rows-request"
rm -f "$request" "$request.part"
wine_run explorer /desktop=Rows,1280x800 "$tree/bin/pavora_effect_rows_driver.exe" \
    "$(wine_run winepath -w "$request" 2>/dev/null | tr -d '\r')" "$winout" </dev/null >"$out/effect-rows.log" 2>&1 &
driver=$!
while kill -0 $driver 2>/dev/null; do
    if [ -f "$request" ]; then
        tr -d '\r' <"$request" | while read -r line; do
            # shellcheck disable=SC2086 # each line is xdotool's arguments
            xdotool $line
        done
        rm -f "$request"
    fi
    sleep 0.1
done
wait $driver || true
cat "$out/effect-rows.log"
grep -q 'saved on cancel' "$out/effect-rows.log" || status=1

# The standby picture on the projection while nothing can play.
wine_run explorer /desktop=Standby,1280x800 "$tree/bin/pavora_standby_shot.exe" "$winout" </dev/null \
    >"$out/standby.log" 2>&1 || true
cat "$out/standby.log"
grep -q 'standby picture centred on black' "$out/standby.log" || status=1
grep -q 'standby gone once an entry can play' "$out/standby.log" || status=1

wineserver_cmd -k || true
for shot in "$out"/sheet-*.bmp "$out"/effect-time-editor.bmp "$out"/standby.bmp; do
    [ -f "$shot" ] || { status=1; continue; }
    convert "$shot" "${shot%.bmp}.png" && rm -f "$shot"
done
ls "$out"
exit $status
