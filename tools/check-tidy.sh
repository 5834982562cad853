#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs clang-tidy over src/ with .clang-tidy's checks, every finding an error, and its naming
# rule over tests/ (fakes and helpers included), so that one rule names all of the code.
#   tools/check-tidy.sh [build dir]     (a configured build: it reads compile_commands.json)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runner=$(command -v run-clang-tidy || command -v run-clang-tidy-14)
# The generated sources (moc, rcc) are Qt's, not ours: only files under src/ are checked.
"$runner" -p "$build" -j "$(nproc)" -quiet "$(pwd)/src/" > "$build/clang-tidy.log" 2>&1 || {
    grep -E '(error|warning):' "$build/clang-tidy.log" | sort -u >&2
    echo "clang-tidy found the above in src/ (log: $build/clang-tidy.log)" >&2
    exit 1
}
"$runner" -p "$build" -j "$(nproc)" -quiet -checks='-*,readability-identifier-naming' \
    -header-filter="$(pwd)/tests/.*" "$(pwd)/tests/" > "$build/clang-tidy-tests.log" 2>&1 || {
    grep -E '(error|warning):' "$build/clang-tidy-tests.log" | sort -u >&2
    echo "clang-tidy's naming rule found the above in tests/ (log: $build/clang-tidy-tests.log)" >&2
    exit 1
}
echo "clang-tidy: src/ is clean, and tests/ follows the naming rule"
