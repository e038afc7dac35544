#!/bin/sh
# Installs everything the build and the tests need on a fresh Debian 12 machine.
# Safe to run again: each step checks before it changes anything.
set -eu

SUDO=""
if [ "$(id -u)" != "0" ]; then SUDO="sudo"; fi

need_update=0

# Wine's 32-bit half lives in the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
    need_update=1
fi

# Source lines, so that library sources come from the distribution.
SRC=/etc/apt/sources.list.d/debian-src.sources
if [ ! -f "$SRC" ]; then
    $SUDO sh -c "sed 's/^Types: deb\$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources > $SRC"
    need_update=1
fi

PACKAGES="g++-mingw-w64-i686 mingw-w64-tools wine wine32:i386 wine64 xvfb xauth x11-apps imagemagick \
fonts-wqy-microhei fonts-wine googletest cmake make dpkg-dev patch locales"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

if [ -n "$missing" ]; then
    if [ "$need_update" = 1 ] || [ ! -d /var/lib/apt/lists ] || [ -z "$(ls /var/lib/apt/lists 2>/dev/null | grep -i i386 || true)" ]; then
        $SUDO apt-get update -qq
    fi
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
elif [ "$need_update" = 1 ]; then
    $SUDO apt-get update -qq
fi

# Wine takes its ANSI code page from the Unix locale: zh_CN gives 936, the product's home.
if ! locale -a 2>/dev/null | grep -qix 'zh_CN\.utf-\?8'; then
    $SUDO localedef -i zh_CN -c -f UTF-8 zh_CN.UTF-8 || echo "setup: could not generate the zh_CN.UTF-8 locale" >&2
fi
