# Shared by the build, test and run scripts. Sourced, not run.
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD="${PAVORA_BUILD_DIR:-$ROOT/build}"

# The product is 32-bit. Where this machine's kernel cannot run 32-bit programs (so
# 32-bit Wine cannot start), the tests and the run command use a 64-bit build of the
# same sources under 64-bit Wine; the 32-bit files are still built and checked.
run_arch() {
    if [ -n "${PAVORA_RUN_ARCH:-}" ]; then echo "$PAVORA_RUN_ARCH"; return; fi
    if /usr/lib/wine/wine --version >/dev/null 2>&1; then echo i686; else echo x86_64; fi
}

wine_loader() {
    if [ "$1" = x86_64 ]; then echo /usr/lib/wine/wine64; else echo /usr/lib/wine/wine; fi
}

configure_and_build() {
    local arch=$1 dir; shift
    dir="$BUILD/$arch"
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-$arch.cmake" "$@"
    else
        cmake "$dir" "$@" >/dev/null
    fi
    cmake --build "$dir" -j2
}

# TinyXML is built from the distribution's source package (Debian's patches applied),
# fetched once into the build folder; prints the unpacked source folder.
fetch_tinyxml() {
    local deps src
    deps="$BUILD/_deps"
    src=$(ls -d "$deps"/tinyxml-*/ 2>/dev/null | head -n 1)
    if [ -z "$src" ] || [ ! -f "$src/tinyxml.h" ]; then
        rm -rf "$deps"
        mkdir -p "$deps"
        ( cd "$deps" && apt-get source -qq tinyxml ) >&2
        src=$(ls -d "$deps"/tinyxml-*/ 2>/dev/null | head -n 1)
        if [ -z "$src" ] || [ ! -f "$src/tinyxml.h" ]; then
            echo "apt-get source tinyxml gave no sources in $deps" >&2
            return 1
        fi
    fi
    echo "${src%/}"
}

build_all() {
    local arch tinyxml
    "$ROOT/scripts/setup.sh"
    tinyxml=$(fetch_tinyxml)
    arch=$(run_arch)
    if [ "$arch" = i686 ]; then
        configure_and_build i686 -DPAVORA_BUILD_TESTS=ON -DPAVORA_PRODUCT_BIN="$BUILD/i686/bin" \
            -DTINYXML_SOURCE_DIR="$tinyxml"
    else
        configure_and_build i686 -DPAVORA_BUILD_TESTS=OFF -DTINYXML_SOURCE_DIR="$tinyxml"
        configure_and_build "$arch" -DPAVORA_BUILD_TESTS=ON -DPAVORA_PRODUCT_BIN="$BUILD/i686/bin" \
            -DTINYXML_SOURCE_DIR="$tinyxml"
    fi
}

# Environment for running programs of build tree $1 under Wine in that tree's prefix $2.
wine_env() {
    local arch
    arch=$1
    export WINEPREFIX="$2"
    export WINELOADER=$(wine_loader "$arch")
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

wineserver_cmd() {
    if [ "$(basename "$WINELOADER")" = wine64 ]; then /usr/lib/wine/wineserver64 "$@"; else /usr/lib/wine/wineserver32 "$@"; fi
}
