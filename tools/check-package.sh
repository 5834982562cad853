#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package and checks it without installing it on this machine: it unpacks
# it into a temporary folder, runs the unpacked programs' --version, validates the desktop
# entry and the AppStream metainfo, and checks that Depends names the Qt libraries.
#   tools/check-package.sh [build dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${1:-build}"

# 1.2.0.17 in CMakeLists.txt is version 1.2.17: major, minor, revision.
version=$(sed -n 's/^project(Ringscout VERSION \([0-9]*\)\.\([0-9]*\)\.[0-9]*\.\([0-9]*\).*/\1.\2.\3/p' CMakeLists.txt)
deb="$build_dir/ringscout_${version}_$(dpkg --print-architecture).deb"
rm -f "$deb"
cmake --build "$build_dir" --target package
test -f "$deb" || { echo "FAIL: no $deb"; exit 1; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
dpkg-deb -x "$deb" "$tmp"
id=com.belvane.Ringscout
for f in usr/bin/ringscout usr/bin/ringscout-sim usr/share/applications/$id.desktop \
         usr/share/metainfo/$id.metainfo.xml usr/share/icons/hicolor/scalable/apps/$id.svg; do
    test -s "$tmp/$f" || { echo "FAIL: the package lacks /$f"; exit 1; }
done
for size in 48 256; do
    png="$tmp/usr/share/icons/hicolor/${size}x${size}/apps/$id.png"
    # A PNG's width and height are the big-endian words at bytes 16 and 20.
    read -r w h < <(od -An -tu4 --endian=big -j16 -N8 "$png")
    [ "$w $h" = "$size $size" ] || { echo "FAIL: $png is ${w}x${h}"; exit 1; }
done

got=$(QT_QPA_PLATFORM=offscreen "$tmp/usr/bin/ringscout" --version)
[ "$got" = "Ringscout $version" ] || { echo "FAIL: ringscout --version said '$got'"; exit 1; }
got=$("$tmp/usr/bin/ringscout-sim" --version)
[ "$got" = "ringscout-sim $version" ] || { echo "FAIL: ringscout-sim --version said '$got'"; exit 1; }

desktop-file-validate "$tmp/usr/share/applications/$id.desktop"
appstreamcli validate --no-net "$tmp/usr/share/metainfo/$id.metainfo.xml"

# The Qt libraries the programs load, each by the package that holds it on this machine.
depends=$(dpkg-deb -f "$deb" Depends)
needed=$(objdump -p "$tmp/usr/bin/ringscout" "$tmp/usr/bin/ringscout-sim" |
         sed -n 's/^ *NEEDED *\(libQt6.*\)/\1/p' | sort -u)
packages=$(for so in $needed; do dpkg -S "*/$so" | head -n1 | cut -d: -f1; done)
for pkg in libqt6core6 libqt6gui6 libqt6widgets6 libqt6network6 libqt6webenginewidgets6 \
           libqt6webenginecore6-bin $packages; do
    grep -qE "(^|, )$pkg( |,|$)" <<<"$depends" || { echo "FAIL: Depends lacks $pkg: $depends"; exit 1; }
done

echo "Package $deb: $(stat -c %s "$deb") bytes, installed size $(dpkg-deb -f "$deb" Installed-Size) KiB"
echo "Package checks passed"
