#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails, naming the files, when a C++ file of the tree is not as clang-format would write it.
# `cmake --build build --target format` rewrites them.
set -euo pipefail
cd "$(dirname "$0")/.."
format=$(command -v clang-format || command -v clang-format-14)
mapfile -t files < <(git ls-files '*.cpp' '*.h')
"$format" --dry-run --Werror "${files[@]}"
echo "${#files[@]} files formatted as .clang-format says"
