#!/bin/sh
# The launcher's HTTP console in a real browser: the staged launcher plays two stand-in
# effects under a virtual display of its own with the console on; headless Chromium loads the
# console with the password, presses "next" with the mouse, and the launcher logs the command
# and shows the next effect's window. Screenshots of the console at phone size (390 x 844) and
# desktop size (1280 x 800), in languages 1 and 2, go to <tree>/screenshots/console-*.png.
#   ConsoleBrowserTest.sh ARCH BUILD_TREE
# Exits 77 (skipped) when Xvfb, Chromium or Python's websocket module is missing.
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
ARCH=$1
TREE=$2
SCREEN_DISPLAY=${PAVORA_DISPLAY:-:93}
PORT=18082
PASSWORD="Foyer 12"

. "$ROOT/tests/scripts/display-common.sh"
require_programs Xvfb chromium /usr/bin/python3
if ! /usr/bin/python3 -c 'import websocket' 2>/dev/null; then
    echo "skipped: python3-websocket is not installed (scripts/setup.sh installs it)"
    exit 77
fi
wait_for_free_display
enter_display_prefix
# A prefix of one's own (PAVORA_CONSOLE_PREFIX) leaves the tree's alone while it is in use.
if [ -n "${PAVORA_CONSOLE_PREFIX:-}" ]; then wine_env "$ARCH" "$PAVORA_CONSOLE_PREFIX"; fi
out="$TREE/screenshots"
mkdir -p "$out"
rm -f "$out"/console-*.png
start_virtual_display console 800

failures=0
fail() { echo "FAIL  $1"; failures=$((failures + 1)); }

# The staged installation with two stand-in effects that cover the projection, the rotation
# on from the start, no guardian (the test ends the launcher itself).
install="$scratch/install"
cp -r "$TREE/stage" "$install"
mkdir -p "$install/effects/sv" "$install/log"
for effect in A B; do
    cp "$TREE/bin/pavora_faulty_effect.exe" "$install/effects/sv/fxSv$effect.exe"
    printf 'cover\r\n' >"$install/effects/sv/fxSv$effect.fault"
done
cp "$TREE"/bin/lib*.dll "$install/effects/sv/"
winfolder=$("$WINELOADER" winepath -w "$install" 2>/dev/null | tr -d '\r')
printf '<Effects>\n  <Effect>\n    <file>%s\\effects\\sv\\fxSvA.exe</file>\n    <time>10</time>\n  </Effect>\n  <Effect>\n    <file>%s\\effects\\sv\\fxSvB.exe</file>\n    <time>10</time>\n  </Effect>\n</Effects>\n' \
    "$winfolder" "$winfolder" >"$install/data/EffectPath.xml"

log="$install/log/pavora.log"
# Waits up to $2 s for a line of the launcher's log that holds $1.
wait_for_log() {
    i=0
    while ! grep -qF "$1" "$log" 2>/dev/null; do
        i=$((i + 1))
        [ $i -gt $(($2 * 5)) ] && return 1
        sleep 0.2
    done
}

for language in 1 2; do
    printf '[config]\r\nauto=1\r\nDEVICETYPE=0\r\ncheck360 =0\r\n[version]\r\nlanguage=%s\r\n[guard]\r\non=0\r\n[remote]\r\nhttp=%s\r\npassword=%s\r\nallow=127.0.0.1\r\n' \
        "$language" "$PORT" "$PASSWORD" >"$install/Bin/config.ini"
    rm -f "$log" "$install"/effects/sv/*.starts
    (cd "$install" && "$WINELOADER" Pavora.exe >"$scratch/launcher-$language.out" 2>&1 &)
    if ! wait_for_log "remote control: HTTP on port $PORT" 30 || ! wait_for_log "fxSvA.exe (" 30; then
        fail "language $language: the launcher did not start its console and its rotation"
        cat "$log" 2>/dev/null
        wineserver_cmd -k >/dev/null 2>&1
        continue
    fi
    press=""
    [ "$language" = 1 ] && press=--press-next
    /usr/bin/python3 "$ROOT/tests/scripts/ConsoleBrowser.py" "$PORT" "$PASSWORD" "$out/console-$language" \
        "$scratch/browser-$language" $press || failures=$((failures + 1))
    if [ -n "$press" ]; then
        wait_for_log "remote: next from http 127.0.0.1" 10 || fail "no 'remote: next from http 127.0.0.1' in the log"
        i=0
        while [ ! -s "$install/effects/sv/fxSvB.starts" ] && [ $i -lt 75 ]; do sleep 0.2; i=$((i + 1)); done
        [ -s "$install/effects/sv/fxSvB.starts" ] || fail "the next effect's window did not show"
    fi
    wineserver_cmd -k >/dev/null 2>&1
    wineserver_cmd -w >/dev/null 2>&1
done

for shot in console-1-phone console-1-desktop console-2-phone console-2-desktop; do
    [ -s "$out/$shot.png" ] || fail "no screenshot $shot.png"
done
if [ "$failures" -gt 0 ]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "the console works in a real browser; screenshots in $out/console-*.png"
