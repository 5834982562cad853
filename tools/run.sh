#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets everything up, builds Ringscout and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh build
if [ "$(id -u)" -eq 0 ]; then
    # The browser engine refuses to start as root with its sandbox on.
    export QTWEBENGINE_DISABLE_SANDBOX=1
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "No display found; starting Ringscout in a virtual X display (xvfb-run)."
    exec xvfb-run -a -s "-screen 0 1280x1024x24" build/src/ringscout
fi
exec build/src/ringscout
