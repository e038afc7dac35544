#!/bin/sh
# The scripts' choice of build tree, Wine prefix kind, loader and server, checked on any
# machine (nothing here starts Wine).
#   RunArchTest.sh ARCH BUILD_TREE   - the tree whose tests are running, and its arch
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
TREE_ARCH=$1
TREE=$2
failures=0
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

expect() {
    if [ "$2" = "$3" ]; then
        echo "ok    $1"
    else
        echo "FAIL  $1: expected '$2', got '$3'"
        failures=$((failures + 1))
    fi
}

# Sources the scripts' common part in a clean shell and prints what it chose.
chosen() {
    env -u PAVORA_RUN_ARCH -u WINEARCH -u WINELOADER -u WINESERVER -u WINEPREFIX "$@" \
        PAVORA_ROOT="$ROOT" PAVORA_BUILD_DIR="$scratch/builds" sh -c '
        . "$PAVORA_ROOT/scripts/common.sh" || exit 1
        wine_env "$RUN_ARCH" "$BUILD/$RUN_ARCH/wineprefix" || exit 1
        echo "$RUN_ARCH $WINEARCH $WINELOADER $WINESERVER $WINEPREFIX"
        describe_run_arch' 2>&1
}

expect "32-bit build: 32-bit prefix, loader and server" \
    "i686 win32 /usr/lib/wine/wine /usr/lib/wine/wineserver32 $scratch/builds/i686/wineprefix
running the 32-bit build (chosen by PAVORA_RUN_ARCH)" \
    "$(chosen PAVORA_RUN_ARCH=i686)"

expect "64-bit build: 64-bit prefix, loader and server" \
    "x86_64 win64 /usr/lib/wine/wine64 /usr/lib/wine/wineserver64 $scratch/builds/x86_64/wineprefix
running the 64-bit build: chosen by PAVORA_RUN_ARCH" \
    "$(chosen PAVORA_RUN_ARCH=x86_64)"

expect "an unknown architecture is refused" \
    "PAVORA_RUN_ARCH must be i686 or x86_64, not 'arm'" \
    "$(chosen PAVORA_RUN_ARCH=arm)"

# Without an override the kernel decides, and the log line says why.
case "$(chosen)" in
"i686 win32 "*"running the 32-bit build (this kernel runs 32-bit programs)") auto=i686 ;;
"x86_64 win64 "*"running the 64-bit build: this kernel cannot run 32-bit programs") auto=x86_64 ;;
*) auto="unclear: $(chosen)" ;;
esac
# A run forced to one build (PAVORA_RUN_ARCH) tests that tree whatever the kernel can do.
kernel_tree=$TREE_ARCH
if [ -n "${PAVORA_RUN_ARCH:-}" ]; then kernel_tree=$auto; fi
# So does a machine whose mirror could not give 32-bit Wine: the set-up took the 64-bit path.
if [ "$auto" = i686 ] && [ "$TREE_ARCH" = x86_64 ] &&
    ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "install ok installed"; then
    kernel_tree=$auto
fi
expect "the kernel's choice is one of the two builds, with its reason" "$kernel_tree" "$auto"

# The test programs run through CMake's emulator: it must use the same kind as the scripts.
expected_server=/usr/lib/wine/wineserver64 expected_kind=win64
if [ "$TREE_ARCH" = i686 ]; then expected_server=/usr/lib/wine/wineserver32 expected_kind=win32; fi
emulator=$(tr -d '"' < "$TREE/tests/CTestTestfile.cmake" 2>/dev/null \
    | grep -o "WINEARCH=[a-z0-9]* WINELOADER=[^ ]* WINESERVER=[^ ]*" | head -n 1)
expect "the test programs' emulator matches the tree" \
    "WINEARCH=$expected_kind WINELOADER=$(env PAVORA_ROOT="$ROOT" sh -c ". \"\$PAVORA_ROOT/scripts/common.sh\"; wine_env $TREE_ARCH /p; echo \$WINELOADER") WINESERVER=$expected_server" \
    "$emulator"
if [ -f "$TREE/wineprefix/system.reg" ]; then
    expect "the tree's prefix is of its kind" "#arch=$expected_kind" "$(grep -o '^#arch=win[0-9]*' "$TREE/wineprefix/system.reg")"
fi

# A prefix of the other kind, left by an older run, is made anew rather than handed to a
# server that refuses it. A stand-in loader records what it is asked to do.
cat > "$scratch/loader" <<'STUB'
#!/bin/sh
echo "$*" >> "$WINEPREFIX.calls"
STUB
chmod +x "$scratch/loader"
mkdir -p "$scratch/prefix/drive_c"
printf 'WINE REGISTRY Version 2\n#arch=win64\n' > "$scratch/prefix/system.reg"
touch "$scratch/prefix/.pavora-ready" "$scratch/prefix/drive_c/old-file"
env PAVORA_ROOT="$ROOT" SCRATCH="$scratch" sh -c '
    . "$PAVORA_ROOT/scripts/common.sh"
    wine_env i686 "$SCRATCH/prefix"
    WINELOADER="$SCRATCH/loader"
    prepare_prefix headless' >/dev/null 2>&1
expect "a 64-bit prefix is made anew for the 32-bit build" "absent" \
    "$( [ -e "$scratch/prefix/drive_c/old-file" ] && echo present || echo absent)"
expect "and booted again" "wineboot -i" "$(head -n 1 "$scratch/prefix.calls" 2>/dev/null)"

# Every Wine call of the build, test and run scripts goes through the common part.
direct=$(ls "$ROOT"/scripts/*.sh | grep -v -e /common.sh -e /setup.sh | xargs grep -nE \
    '(^|[ ;&|(])(/usr/lib/wine/|/usr/bin/)?(wine|wine64|wineserver|wineserver32|wineserver64|wineboot|regedit|reg)( |$)' \
    | grep -v -e '^[^:]*:[0-9]*: *#' -e 'wine_run ' || true)
expect "no script starts Wine by itself" "" "$direct"

[ "$failures" = 0 ]
