#!/bin/sh
# Builds the Windows Installer package of a staged installation:
#   build-package.sh STAGE-FOLDER VERSION ARCH OUTPUT.msi
# wixl writes the package; the operator's files are then marked so that an upgrade and an
# uninstall leave them as the operator left them (Permanent | NeverOverwrite), and the
# uninstall also removes the start-with-Windows shortcut of the user who uninstalls.
set -eu
stage=$1
version=$2
arch=$3
output=$4
here=$(cd "$(dirname "$0")" && pwd)
case "$arch" in
    x86_64) wixarch=x64 ;;
    *) wixarch=x86 ;;
esac
case "$output" in
    /*) ;;
    *) output="$PWD/$output" ;;
esac
tmp="$output.building"
rm -f "$tmp"
# The package's sources are named relative to the staged installation.
(cd "$stage" && wixl -a "$wixarch" -D Version="$version" -D Arch="$arch" -o "$tmp" "$here/Pavora.wxs")
# 16 permanent, 128 never overwrite.
for component in OperatorConfig OperatorLanguage OperatorPlaylist OperatorTrackerLight OperatorTrackerSign \
    OperatorTrackerLaser OperatorTrackerDI OperatorCameras; do
    msibuild "$tmp" -q "UPDATE \`Component\` SET \`Attributes\` = 144 WHERE \`Component\` = '$component'"
done
# 2: on removal. The folder is the USERSTARTUP property that the package's search sets.
msibuild "$tmp" -q "INSERT INTO \`RemoveFile\` (\`FileKey\`, \`Component_\`, \`FileName\`, \`DirProperty\`, \`InstallMode\`) VALUES ('StartWithWindows', 'Launcher', 'Pavora.lnk', 'USERSTARTUP', 2)"
# The newer package is installed over the older one, which is removed after: files are then
# replaced by the installer's own rules, and a demo file that the operator changed (an
# unversioned file modified after it was installed) stays.
msibuild "$tmp" -q "UPDATE \`InstallExecuteSequence\` SET \`Sequence\` = 6650 WHERE \`Action\` = 'RemoveExistingProducts'"
mv "$tmp" "$output"
