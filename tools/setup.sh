#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what Ringscout needs on Debian 12 (only what is missing) and builds it.
#   tools/setup.sh [build dir] [extra cmake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(build-essential cmake ninja-build pkg-config
          qt6-base-dev libqt6sql6-sqlite qt6-serialport-dev qt6-webengine-dev libgl-dev openssl
          libbenchmark-dev clang libclang-rt-14-dev clang-format clang-tidy
          xvfb xauth xdotool openbox x11-utils socat netcat-openbsd fonts-dejavu-core
          librsvg2-bin dpkg-dev file appstream desktop-file-utils
          lintian devscripts man-db)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
apt_get="$sudo env DEBIAN_FRONTEND=noninteractive apt-get"
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    $apt_get update -qq
    $apt_get install -y -qq --no-install-recommends "${missing[@]}"
fi
# The Debian package's Build-Depends, as debian/control names them.
if ! dpkg-checkbuilddeps 2>/dev/null; then
    echo "Installing the Build-Depends of debian/control"
    [ ${#missing[@]} -gt 0 ] || $apt_get update -qq
    $apt_get build-dep -y -qq --no-install-recommends ./
fi

build_dir="${1:-build}"
shift || true
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
# RINGSCOUT_TARGETS="ringscout ringscout-sim" builds only those.
cmake --build "$build_dir" -j "$(nproc)" ${RINGSCOUT_TARGETS:+--target $RINGSCOUT_TARGETS}
