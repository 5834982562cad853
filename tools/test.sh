#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets everything up, builds Ringscout and runs the whole test suite: the format, include and
# clang-tidy checks, every test in a virtual X display, then the Debian package (built by
# dpkg-buildpackage in build/package/, unpacked and checked), then the logic tests again under
# AddressSanitizer and UndefinedBehaviorSanitizer (the Phone Dialer's widgets with them, on the
# offscreen platform), then each fuzz target for 20 seconds.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/setup.sh build -DRINGSCOUT_WERROR=ON
tools/check-format.sh
tools/check-includes.sh
tools/check-tidy.sh build
(cd build && xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure --timeout 300)
tools/check-package.sh

tools/setup.sh build-asan -DRINGSCOUT_SANITIZE=ON -DRINGSCOUT_GUI=OFF -DRINGSCOUT_BENCH=OFF \
    -DCMAKE_BUILD_TYPE=Debug
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --output-on-failure --timeout 300)

tools/fuzz.sh 20
