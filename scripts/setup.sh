#!/bin/sh
# Installs everything the build and the tests need on a fresh Debian 12 machine, for
# the build that runs here: `setup.sh [i686|x86_64]` (without an argument, the one this
# machine's kernel can run). Safe to run again: each step checks before it changes anything.
set -eu

if [ $# -gt 0 ]; then
    PAVORA_RUN_ARCH=$1
    export PAVORA_RUN_ARCH
fi
. "$(dirname "$0")/common.sh"

SUDO=""
if [ "$(id -u)" != "0" ]; then SUDO="sudo"; fi

need_update=0

# The 32-bit product is always built; the build, the staged installation's tests and the
# run command need these on either path.
PACKAGES="g++-mingw-w64-i686 cmake ninja-build make googletest dpkg-dev patch locales \
wine fonts-wine fonts-wqy-microhei xvfb xauth imagemagick xdotool prometheus msitools wixl chromium python3-websocket"
# prometheus: its promtool checks the launcher's metrics file; msitools and wixl: the installer package is built and read;
# chromium and python3-websocket: the remote console is tested in a real browser, driven through its DevTools protocol.
if [ "$RUN_ARCH" = i686 ]; then
    # Wine's 32-bit half lives in the i386 architecture.
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        $SUDO dpkg --add-architecture i386
        need_update=1
    fi
    PACKAGES="$PACKAGES wine32:i386"
else
    PACKAGES="$PACKAGES wine64 g++-mingw-w64-x86-64"
fi

# Source lines, so that library sources come from the distribution.
SRC=/etc/apt/sources.list.d/debian-src.sources
if [ ! -f "$SRC" ]; then
    $SUDO sh -c "sed 's/^Types: deb\$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources > $SRC"
    need_update=1
fi

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

# A mirror in the middle of a sync fails an index or two; a second try often gets them, and
# what was fetched is still worth installing from.
update_package_lists() {
    tries=0
    until $SUDO apt-get update -qq; do
        tries=$((tries + 1))
        if [ "$tries" -ge 2 ]; then
            echo "setup: apt-get update failed twice; going on with the package lists it could fetch" >&2
            return 0
        fi
        sleep 10
    done
}

if [ -n "$missing" ] || [ "$need_update" = 1 ]; then
    update_package_lists
fi
if [ -n "$missing" ]; then
    if ! DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing; then
        if [ "$RUN_ARCH" = i686 ]; then
            # Status 3 tells the scripts that 32-bit Wine cannot be had here, so that an
            # automatic choice can take the 64-bit path instead.
            echo "setup: the 32-bit packages (wine32:i386) could not be installed" >&2
            exit 3
        fi
        exit 1
    fi
fi

# Wine takes its ANSI code page from the Unix locale: zh_CN gives 936, the product's home.
if ! locale -a 2>/dev/null | grep -qix 'zh_CN\.utf-\?8'; then
    $SUDO localedef -i zh_CN -c -f UTF-8 zh_CN.UTF-8 || echo "setup: could not generate the zh_CN.UTF-8 locale" >&2
fi
