#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package as Debian does, from a copy of the checkout in build/package/
# (dpkg-buildpackage writes next to the source, so everything stays in build/), and checks it
# without installing it on this machine: lintian, the programs' hardening, the desktop entry,
# the AppStream metainfo, and the unpacked programs' --version and manual pages.
#   tools/check-package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
fail() { echo "FAIL: $*"; exit 1; }

out=build/package
src=$out/ringscout # always the same folder, so that the compiler cache knows its files again
rm -rf "$out"
mkdir -p "$src"
# What a clean checkout holds, with the changes not committed yet.
git ls-files -z --cached --others --exclude-standard |
    while IFS= read -r -d '' f; do [ -e "$f" ] && printf '%s\0' "$f"; done |
    xargs -0 cp -P --parents -t "$src"
(cd "$src" && dpkg-buildpackage -us -uc -b) >"$out/build.log" 2>&1 ||
    { tail -n 40 "$out/build.log"; fail "dpkg-buildpackage, see $out/build.log"; }

version=$(dpkg-parsechangelog -l debian/changelog -S Version)
arch=$(dpkg --print-architecture)
deb=$out/ringscout_${version}_$arch.deb
for f in "$deb" "$out/ringscout-dbgsym_${version}_$arch.deb"; do test -f "$f" || fail "no $f"; done

lintian -I -E --pedantic --fail-on none "$out/ringscout_${version}_$arch.changes" | tee "$out/lintian.txt"
! grep -qE '^[EW]: ' "$out/lintian.txt" || fail "lintian reports an error or a warning"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
dpkg-deb -x "$deb" "$tmp"
bin=$tmp/usr/bin
# Debian 12's build flags have no control-flow protection yet (Debian 13's add it).
hardening-check --nocfprotection "$bin/ringscout" "$bin/ringscout-sim" ||
    fail "a program lacks a hardening feature"

id=com.belvane.Ringscout
for f in usr/share/applications/$id.desktop usr/share/metainfo/$id.metainfo.xml \
         usr/share/icons/hicolor/scalable/apps/$id.svg; do
    test -s "$tmp/$f" || fail "the package lacks /$f"
done
for size in 48 256; do
    png="$tmp/usr/share/icons/hicolor/${size}x${size}/apps/$id.png"
    # A PNG's width and height are the big-endian words at bytes 16 and 20.
    read -r w h < <(od -An -tu4 --endian=big -j16 -N8 "$png")
    [ "$w $h" = "$size $size" ] || fail "$png is ${w}x${h}"
done
hints=$(desktop-file-validate "$tmp/usr/share/applications/$id.desktop")
[ -z "$hints" ] || fail "desktop-file-validate: $hints"
appstreamcli validate --pedantic --strict --no-net "$tmp/usr/share/metainfo/$id.metainfo.xml"

# The browser engine's helper process is no library the programs load: only Debian's records
# for the engine bring it into Depends.
grep -q 'libqt6webenginecore6-bin' <<<"$(dpkg-deb -f "$deb" Depends)" ||
    fail "Depends lacks libqt6webenginecore6-bin"

for program in ringscout ringscout-sim; do
    "$bin/$program" --version >"$tmp/version"
    head -n1 "$tmp/version" | grep -qiE "^$program $version\$" ||
        fail "$program --version said '$(head -n1 "$tmp/version")', the package is $version"
    grep -q 'GPL version 3 or later' "$tmp/version" || fail "$program --version has no licence"
    page=$(man -M "$tmp/usr/share/man" -w "$program")
    [[ $page == "$tmp"/* ]] || fail "man $program found $page, not the package's page"
    man -M "$tmp/usr/share/man" "$program" | grep "^NAME" >/dev/null || fail "man $program shows no page"
done
# Every option that a --help offers is in its manual page.
for command in ringscout ringscout-sim "ringscout-sim yac" "ringscout-sim pbx" "ringscout-sim modem"; do
    read -ra words <<<"$command"
    text=$(zcat "$tmp/usr/share/man/man1/${words[0]}.1.gz" | sed 's/\\-/-/g')
    for option in $("$bin/${words[0]}" "${words[@]:1}" --help | grep -oE -- '--[a-z-]+' | sort -u); do
        grep -qe "$option" <<<"$text" || fail "man ${words[0]} lacks $option of '$command --help'"
    done
done

echo "Package $deb: $(stat -c %s "$deb") bytes, installed size $(dpkg-deb -f "$deb" Installed-Size) KiB"
echo "Package checks passed"
