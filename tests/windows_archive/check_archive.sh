#!/bin/sh
# Unpacks the Windows archive, checks its files, registers its filter of one width with its
# register.cmd, runs the test program that plays a graph through the registered filter, and
# checks that unregister.cmd removes the class again.
#   check_archive.sh ARCHIVE x86|x64 TEST_PROGRAM EMULATOR...
set -eu
archive=$1 width=$2 program=$3
shift 3
if [ ! -f "$archive" ]; then
    echo "no archive $archive (scripts/package-windows makes it)"
    exit 77
fi
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
unzip -q "$archive" -d "$unpacked"
folder=$unpacked/$(basename "$archive" .zip)
for file in README.txt README.md register.cmd unregister.cmd x86/miral_vst.dll x86/miral.clap \
    x86/TK_MIRAL_DX.dll x64/miral_vst.dll x64/miral.clap x64/TK_MIRAL_DX.dll; do
    [ -f "$folder/$file" ] || { echo "$file is not in the archive" >&2; exit 1; }
done

cd "$folder"
"$@" cmd /c register.cmd "$width"
MIRAL_ARCHIVE_DLL="Z:$(printf '%s' "$folder/$width/TK_MIRAL_DX.dll" | tr / '\\')" "$@" "$program"
"$@" cmd /c unregister.cmd "$width"
# The registry view of the width tested (reg itself may run as either width).
view=/reg:64
[ "$width" = x86 ] && view=/reg:32
if "$@" reg query 'HKCR\CLSID\{23668644-220A-4C0A-8B57-71B81255650C}' "$view" >/dev/null 2>&1; then
    echo "unregister.cmd left the filter's class registered" >&2
    exit 1
fi
echo "The archive's $width filter registered, played and was removed"
