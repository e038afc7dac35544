#!/bin/sh
# The installer package as a fleet uses it, under Wine in a prefix of its own: a silent
# install, the installed launcher started from its Start menu shortcut, the operator's files
# changed, a silent upgrade to a package of a higher version built here from the same stage,
# the start-with-Windows shortcut started from the system folder, a silent uninstall, and an
# install into a folder given on the command line.
#   InstallerTest.sh ARCH BUILD-TREE VERSION
set -eu
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
export PAVORA_ROOT="$ROOT"
. "$ROOT/scripts/common.sh"
arch=$1
tree=$2
version=$3
package="$tree/bin/Pavora-$version.msi"
helper="$tree/bin/pavora_installed_launcher.exe"
work="$tree/installer-test"
rm -rf "$work"
mkdir -p "$work"

fail() {
    echo "FAILED: $*"
    status=1
}
status=0

# A fresh prefix each run: nothing of an earlier install is left to hide a fault.
wine_env "$arch" "$work/prefix"
start_prefix_server headless
trap 'wineserver_cmd -k 2>/dev/null || true' EXIT
drive="$WINEPREFIX/drive_c"
home="$drive/Pavora"
msi() { wine_run msiexec "$@" </dev/null; }
winpath() { wine_run winepath -w "$1" 2>/dev/null | tr -d '\r'; }
sum() { sha256sum "$1" | cut -d' ' -f1; }
menu_shortcut() { find "$drive" -path '*Start Menu/Programs/Pavora/Pavora.lnk' 2>/dev/null | head -n 1; }
title=$(sed -n 's/^6`\([^`]*\)`.*/\1/p' "$ROOT/install/Bin/language.utf8.txt")

echo "-- silent install of $(basename "$package")"
msi /i "$(winpath "$package")" /qn || fail "msiexec /i ended with $?"
for file in Pavora.exe PavoraGuard.exe Tessaly.dll libwinpthread-1.dll Bin/config.ini Bin/language.txt data/EffectPath.xml \
    data/ConfigLight.xml data/multiplexer_settings.xml effects/Ripples/effect.exe Drivers/X86/oem10.inf; do
    [ -f "$home/$file" ] || fail "not installed: $file"
done
shortcut=$(menu_shortcut)
[ -n "$shortcut" ] || fail "no Start menu shortcut"
system=$(wine_run cmd /c echo %windir%\\system32 2>/dev/null | tr -d '\r')
if [ -n "$shortcut" ]; then
    wine_run "$helper" start "$(winpath "$shortcut")" "$system" "$title" </dev/null ||
        fail "the installed launcher did not come up from its shortcut"
fi

echo "-- the operator's files changed"
printf '[config]\r\nauto=1\r\nDEVICETYPE=0\r\ncheck360 =0\r\n[version]\r\nlanguage=1\r\n; tuned on site\r\n' \
    >"$home/Bin/config.ini"
{ printf '\377\376'; printf '6`Site bar` `Site bar`\n' | iconv -f UTF-8 -t UTF-16LE; } >"$home/Bin/language.txt"
printf '<Effects><Effect><file>effects\\Ripples\\effect.exe</file><time>5</time></Effect><Effect><file>effects\\Aurora\\Aurora.cmd</file><time>5</time></Effect></Effects>' \
    >"$home/data/EffectPath.xml"
printf '<Schedule />\n' >"$home/data/Schedule.xml"
for file in ConfigLight.xml ConfigSign.xml ConfigLaser.xml ConfigDI.xml multiplexer_settings.xml; do
    printf '<!-- tuned on site -->\n' >>"$home/data/$file"
done
mkdir -p "$home/data/playlists" "$home/log"
printf '<Effects />' >"$home/data/playlists/Evening.xml"
printf 'a line of the log\n' >"$home/log/pavora.log"
# A demo effect's picture the operator replaced stays; its unchanged command file is replaced.
sleep 1
printf 'a picture of the site' >"$home/effects/Aurora/aurora.png"
kept="Bin/config.ini Bin/language.txt data/EffectPath.xml data/Schedule.xml data/ConfigLight.xml data/ConfigSign.xml
data/ConfigLaser.xml data/ConfigDI.xml data/multiplexer_settings.xml data/playlists/Evening.xml log/pavora.log"
for file in $kept; do sum "$home/$file" >"$work/$(echo "$file" | tr / _).sum"; done
picture=$(sum "$home/effects/Aurora/aurora.png")

echo "-- silent upgrade to a higher version"
next=$(echo "$version" | awk -F. '{ $NF = $NF + 1; print }' OFS=.)
cp -r "$tree/stage" "$work/stage-next"
printf '<!-- %s -->\n' "$next" >>"$work/stage-next/help/index.html"
printf 'rem %s\r\n' "$next" >>"$work/stage-next/effects/Aurora/Aurora.cmd"
printf '; a new default\r\n' >>"$work/stage-next/Bin/config.ini"
sh "$ROOT/installer/build-package.sh" "$work/stage-next" "$next" "$arch" "$work/Pavora-$next.msi"
msi /i "$(winpath "$work/Pavora-$next.msi")" /qn || fail "the upgrade ended with $?"
for file in $kept; do
    [ "$(sum "$home/$file")" = "$(cat "$work/$(echo "$file" | tr / _).sum")" ] || fail "changed by the upgrade: $file"
done
# Windows keeps an unversioned file modified after its installation; Wine gives files no
# creation time of their own (the Unix file system has none), so here it cannot tell.
[ "$(sum "$home/effects/Aurora/aurora.png")" = "$picture" ] ||
    echo "note: Wine replaced the demo picture the operator changed (it cannot see the change)"
for file in help/index.html effects/Aurora/Aurora.cmd Pavora.exe Tessaly.dll; do
    cmp -s "$home/$file" "$work/stage-next/$file" || fail "not the new package's: $file"
done
wine_run reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null | tr -d '\r' |
    grep -q "DisplayVersion.*$next" || fail "the installed version is not $next"
[ "$(wine_run reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null |
    grep -c 'DisplayName.*Pavora')" = 1 ] || fail "the older version is still registered beside the new one"

echo "-- start with Windows, from the system folder"
shortcut=$(menu_shortcut)
startup=$(wine_run "$helper" register "$(winpath "$shortcut")" </dev/null | tr -d '\r')
[ -n "$startup" ] || fail "could not register the start-with-Windows shortcut"
wine_run "$helper" start "$startup\\Pavora.lnk" "$system" "Site bar" effect.exe </dev/null ||
    fail "the start-with-Windows shortcut did not bring up the installation's bar and effect"
startup_unix=$(wine_run winepath -u "$startup" 2>/dev/null | tr -d '\r')

wine_run "$helper" end PavoraGuard.exe Pavora.exe effect.exe Nimbrel.exe </dev/null
# The launcher that ran writes its log: what the uninstall must keep is what is there now.
for file in $kept; do sum "$home/$file" >"$work/$(echo "$file" | tr / _).sum"; done

echo "-- silent uninstall"
msi /x "$(winpath "$work/Pavora-$next.msi")" /qn || fail "msiexec /x ended with $?"
for file in Pavora.exe PavoraGuard.exe Tessaly.dll libgcc_s_dw2-1.dll libgcc_s_seh-1.dll libwinpthread-1.dll help/index.html \
    effects/Ripples/effect.exe Drivers/X86/oem10.inf; do
    [ ! -e "$home/$file" ] || fail "left by the uninstall: $file"
done
[ -z "$(menu_shortcut)" ] || fail "the Start menu shortcut stayed"
[ ! -e "$startup_unix/Pavora.lnk" ] || fail "the start-with-Windows shortcut stayed"
for file in $kept; do
    [ "$(sum "$home/$file" 2>/dev/null)" = "$(cat "$work/$(echo "$file" | tr / _).sum")" ] ||
        fail "not kept by the uninstall: $file"
done

echo "-- install into a folder of the command line"
msi /i "$(winpath "$package")" /qn 'INSTALLDIR=C:\Exhibits\Pavora\' || fail "msiexec /i INSTALLDIR ended with $?"
[ -f "$drive/Exhibits/Pavora/Pavora.exe" ] || fail "not installed into INSTALLDIR"
# A fleet's upgrade names no folder: it lands where the installation is.
msi /i "$(winpath "$work/Pavora-$next.msi")" /qn || fail "the upgrade of INSTALLDIR ended with $?"
cmp -s "$drive/Exhibits/Pavora/help/index.html" "$work/stage-next/help/index.html" ||
    fail "the upgrade did not go to INSTALLDIR"
msi /x "$(winpath "$work/Pavora-$next.msi")" /qn || fail "msiexec /x ended with $?"
[ ! -e "$drive/Exhibits/Pavora/Pavora.exe" ] || fail "INSTALLDIR's program stayed"

[ $status -eq 0 ] && echo "installed, upgraded keeping the operator's files, uninstalled"
exit $status
