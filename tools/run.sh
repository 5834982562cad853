#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets everything up, builds Ringscout and its set-up checker, and starts Ringscout. Without
# settings of your own, it starts with a demo set-up kept in the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
RINGSCOUT_TARGETS="ringscout ringscout-sim" tools/setup.sh build
if [ "$(id -u)" -eq 0 ]; then
    # The browser engine refuses to start as root with its sandbox on.
    export QTWEBENGINE_DISABLE_SANDBOX=1
fi
if [ ! -e "${XDG_CONFIG_HOME:-$HOME/.config}/Belvane.ini" ]; then
    # No modem, YAC on its usual port, and a search page of our own, so that a call from
    # ringscout-sim pops at once.
    export XDG_CONFIG_HOME=$PWD/build/demo-config
    mkdir -p "$XDG_CONFIG_HOME"
    ini=$XDG_CONFIG_HOME/Belvane.ini
    if [ ! -e "$ini" ]; then
        page="file://$PWD/tools/demo/search.html"
        printf '[settings]\nURL=%s?phone=*&name=+\nstartupURL=%s\nyacPort=10629\ncomPort=0\n' \
            "$page" "$page" >"$ini"
        chmod 600 "$ini"
    fi
    echo "No settings of yours yet: starting with the demo settings in $ini."
    echo "Make a call:  build/src/sim/ringscout-sim yac \"JOHN SMITH\" 5551234567"
    # The simulated modem links its port where this Ringscout looks: in the demo's folder.
    printf 'A modem (then Com Port 3 in Settings):  XDG_CONFIG_HOME=%q %s\n' \
        "$XDG_CONFIG_HOME" "build/src/sim/ringscout-sim modem --port 3"
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "No display found; starting Ringscout in a virtual X display (xvfb-run)."
    exec xvfb-run -a -s "-screen 0 1280x1024x24" build/src/ringscout "$@"
fi
exec build/src/ringscout "$@"
