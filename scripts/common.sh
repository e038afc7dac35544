# Shared by the build, test and run scripts. Sourced, not run.
ROOT=${PAVORA_ROOT:-$(cd "$(dirname "$0")/.." && pwd)}
BUILD="${PAVORA_BUILD_DIR:-$ROOT/build}"

# The product is 32-bit. Where this machine's kernel cannot run 32-bit programs (so
# 32-bit Wine cannot start), the tests and the run command use a 64-bit build of the
# same sources under 64-bit Wine; the 32-bit files are still built and checked.
# The choice is made once, when this file is sourced: RUN_ARCH and RUN_ARCH_WHY.

# Runs a 32-bit ELF program that only exits. It is written into the build folder, as
# /tmp may forbid running programs and would then pass for a 64-bit-only kernel.
kernel_runs_32bit() {
    local probe status
    mkdir -p "$BUILD" || return 1
    probe="$BUILD/.probe-i386-$$"
    printf '\177\105\114\106\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010\135\000\000\000\135\000\000\000\005\000\000\000\000\020\000\000\270\001\000\000\000\061\333\315\200' \
        > "$probe" && chmod +x "$probe" || { rm -f "$probe"; return 1; }
    status=0
    ( "$probe" ) >/dev/null 2>&1 || status=$?
    rm -f "$probe"
    [ "$status" = 0 ]
}

choose_run_arch() {
    case "${PAVORA_RUN_ARCH:-}" in
    i686 | x86_64)
        RUN_ARCH=$PAVORA_RUN_ARCH
        RUN_ARCH_WHY="chosen by PAVORA_RUN_ARCH" ;;
    "")
        if kernel_runs_32bit; then
            RUN_ARCH=i686
            RUN_ARCH_WHY="this kernel runs 32-bit programs"
        else
            RUN_ARCH=x86_64
            RUN_ARCH_WHY="this kernel cannot run 32-bit programs"
        fi ;;
    *)
        echo "PAVORA_RUN_ARCH must be i686 or x86_64, not '$PAVORA_RUN_ARCH'" >&2
        return 1 ;;
    esac
}

run_arch() {
    echo "$RUN_ARCH"
}

# The line that tells a log which product was tested.
describe_run_arch() {
    if [ "$RUN_ARCH" = i686 ]; then
        echo "running the 32-bit build ($RUN_ARCH_WHY)"
    else
        echo "running the 64-bit build: $RUN_ARCH_WHY"
    fi
}

configure_and_build() {
    local arch=$1 dir; shift
    dir="$BUILD/$arch"
    if [ ! -f "$dir/build.ninja" ]; then
        # The preset of the architecture (CMakePresets.json); the folder may be elsewhere.
        ( cd "$ROOT" && cmake --preset "$arch" -B "$dir" "$@" )
    else
        cmake "$dir" "$@" >/dev/null
    fi
    cmake --build "$dir" -j2
}

# Libraries are built from the distribution's source packages (Debian's patches applied),
# each fetched once into a folder of its own under the build folder; prints the unpacked
# source folder. $1: the source package, $2: a file its sources hold.
fetch_source() {
    local deps src
    deps="$BUILD/_deps/$1"
    src=$(ls -d "$deps"/*/ 2>/dev/null | head -n 1)
    if [ -z "$src" ] || [ ! -f "$src/$2" ]; then
        rm -rf "$deps"
        mkdir -p "$deps"
        ( cd "$deps" && apt-get source -qq "$1" ) >&2
        src=$(ls -d "$deps"/*/ 2>/dev/null | head -n 1)
        if [ -z "$src" ] || [ ! -f "$src/$2" ]; then
            echo "apt-get source $1 gave no sources in $deps" >&2
            return 1
        fi
    fi
    echo "${src%/}"
}

# Installs what the chosen path needs. Where the kernel runs 32-bit programs but 32-bit Wine
# cannot be installed (its packages are missing from the mirror), an automatic choice takes
# the 64-bit path, as on a kernel without 32-bit support.
run_setup() {
    local status=0
    "$ROOT/scripts/setup.sh" "$RUN_ARCH" || status=$?
    if [ "$status" = 3 ] && [ -z "${PAVORA_RUN_ARCH:-}" ]; then
        RUN_ARCH=x86_64
        RUN_ARCH_WHY="32-bit Wine could not be installed on this machine"
        describe_run_arch
        "$ROOT/scripts/setup.sh" "$RUN_ARCH"
    elif [ "$status" != 0 ]; then
        return "$status"
    fi
}

build_all() {
    local arch tinyxml json httplib oscpack
    run_setup
    tinyxml=$(fetch_source tinyxml tinyxml.h)
    json=$(fetch_source nlohmann-json3 single_include/nlohmann/json.hpp)
    httplib=$(fetch_source cpp-httplib httplib.h)
    oscpack=$(fetch_source oscpack osc/OscReceivedElements.h)
    arch=$RUN_ARCH
    if [ "$arch" = i686 ]; then
        configure_and_build i686 -DPAVORA_BUILD_TESTS=ON -DPAVORA_PRODUCT_BIN="$BUILD/i686/bin" \
            -DTINYXML_SOURCE_DIR="$tinyxml" -DJSON_SOURCE_DIR="$json" \
            -DHTTPLIB_SOURCE_DIR="$httplib" -DOSCPACK_SOURCE_DIR="$oscpack"
    else
        configure_and_build i686 -DPAVORA_BUILD_TESTS=OFF -DTINYXML_SOURCE_DIR="$tinyxml" -DJSON_SOURCE_DIR="$json" \
            -DHTTPLIB_SOURCE_DIR="$httplib" -DOSCPACK_SOURCE_DIR="$oscpack"
        configure_and_build "$arch" -DPAVORA_BUILD_TESTS=ON -DPAVORA_PRODUCT_BIN="$BUILD/i686/bin" \
            -DTINYXML_SOURCE_DIR="$tinyxml" -DJSON_SOURCE_DIR="$json" \
            -DHTTPLIB_SOURCE_DIR="$httplib" -DOSCPACK_SOURCE_DIR="$oscpack"
    fi
}

# Everything Wine needs for build tree $1 follows from its architecture: the prefix's kind,
# the loader and the server. A 32-bit prefix works only with the 32-bit server, and
# Debian's plain `wineserver` is always the 64-bit one. Every Wine call of the scripts
# goes through wine_run and wineserver_cmd, in the prefix $2.
wine_env() {
    case "$1" in
    i686)
        export WINEARCH=win32
        export WINELOADER=/usr/lib/wine/wine
        export WINESERVER=/usr/lib/wine/wineserver32 ;;
    x86_64)
        export WINEARCH=win64
        export WINELOADER=/usr/lib/wine/wine64
        export WINESERVER=/usr/lib/wine/wineserver64 ;;
    *)
        echo "wine_env: no build tree of architecture '$1'" >&2
        return 1 ;;
    esac
    export WINEPREFIX="$2"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    # Chinese locale: Wine's ANSI code page is then 936, as on the product's machines.
    export LANG=zh_CN.UTF-8
    export LC_ALL=zh_CN.UTF-8
}

wine_run() {
    "$WINELOADER" "$@"
}

# Creates the prefix once: Chinese fonts linked in; $1 = headless (no display needed) or display.
prepare_prefix() {
    local mode
    mode=$1
    # A prefix of the other kind (left by an older run) cannot be used with this server.
    if [ -f "$WINEPREFIX/system.reg" ] && ! grep -q "^#arch=$WINEARCH" "$WINEPREFIX/system.reg"; then
        rm -rf "$WINEPREFIX"
    fi
    if [ ! -f "$WINEPREFIX/.pavora-ready" ]; then
        mkdir -p "$WINEPREFIX"
        wine_run wineboot -i >/dev/null 2>&1 || true
        # regedit reads UTF-16 files; the .reg is kept as UTF-8 text.
        { printf '\377\376'; iconv -f UTF-8 -t UTF-16LE "$ROOT/scripts/wine-fonts.reg"; } \
            > "$WINEPREFIX/drive_c/pavora-fonts.reg"
        wine_run regedit /S 'C:\pavora-fonts.reg' >/dev/null 2>&1 || true
        touch "$WINEPREFIX/.pavora-ready"
    fi
    if [ "$mode" = headless ]; then
        wine_run reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    else
        wine_run reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1 || true
    fi
}

# Readies the prefix ($1 = headless or display) and starts one persistent server for the
# whole run, so that each program starts in milliseconds.
start_prefix_server() {
    mkdir -p "$WINEPREFIX"
    wineserver_cmd -k 2>/dev/null || true
    prepare_prefix "$1"
    # A wineserver keeps the graphics driver it started with: start a fresh one now that
    # the prefix says which.
    wineserver_cmd -k 2>/dev/null || true
    wineserver_cmd -w 2>/dev/null || true
    wineserver_cmd -p
    # Wine's own service processes start with the first program; start them here, so that
    # they do not hold the output pipe of the first program run open.
    wine_run wineboot >/dev/null 2>&1 </dev/null || true
}

wineserver_cmd() {
    "$WINESERVER" "$@"
}

choose_run_arch
