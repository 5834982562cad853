#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Breaks the code on purpose, one breakage at a time, and checks that the test suite notices.
#   tools/mutants.sh [pattern]     only the breakages whose line (its tests too) holds the pattern
# The breakages are listed in tools/mutants.txt, one per line, fields separated by tabs:
#   file <TAB> text to change <TAB> what it becomes <TAB> tests to run <TAB> what it breaks
# "Tests to run" are test names joined by |: each is both a ctest name and a build target.
# In the texts, <NL> stands for a line end.
# Each text must occur exactly once in its file. The work happens in a scratch copy of the
# tree (build-mutants/), never in the checkout. Not part of CI: it rebuilds once per breakage.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
list=tools/mutants.txt
pattern=${1:-}
scratch=$root/build-mutants/tree
# The build sits in the copy as build/ does in the checkout, so the compiler cache knows its
# files again.
build=$scratch/build

mkdir -p "$scratch"
# The tree as it is now, without build folders.
tar --exclude='./build*' --exclude='./.git' -cf - . | tar -xf - -C "$scratch"
cmake -S "$scratch" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRINGSCOUT_BENCH=OFF \
    > /dev/null
cmake --build "$build" -j "$(nproc)" > /dev/null
# A test that fails without any breakage would count every breakage as caught.
if ! (cd "$build" && xvfb-run -a -s "-screen 0 1280x1024x24" ctest --timeout 300 \
        > "$build/baseline.log" 2>&1); then
    echo "The tests fail before any breakage; see $build/baseline.log" >&2
    exit 1
fi

tried=0 caught=0 survived=()
while IFS= read -r line; do
    # A tab is white space to read, which would merge an empty field with the next: split on
    # a separator that is not.
    IFS=$'\x1f' read -r file from to tests why <<< "${line//$'\t'/$'\x1f'}"
    [[ -z "$file" || "$file" == \#* ]] && continue
    [[ -n "$pattern" && "$line" != *"$pattern"* ]] && continue
    tried=$((tried + 1))
    target="$scratch/$file"
    cp "$target" "$target.orig"
    if ! python3 - "$target" "$from" "$to" <<'PY'
import sys
path, old, new = (arg.replace("<NL>", "\n") for arg in sys.argv[1:4])
text = open(path, encoding="utf-8").read()
if text.count(old) != 1:
    sys.exit(f"{path}: the text occurs {text.count(old)} times: {old!r}")
open(path, "w", encoding="utf-8").write(text.replace(old, new))
PY
    then
        survived+=("NOT APPLIED  $file: $why")
        mv "$target.orig" "$target"
        continue
    fi
    verdict=survived
    # Only what the chosen tests need: relinking every program per breakage is most of the time.
    read -r -a targets <<< "${tests//|/ }"
    if ! cmake --build "$build" -j "$(nproc)" --target "${targets[@]}" > "$build/mutant.log" 2>&1; then
        verdict="caught (does not build)"
    elif ! (cd "$build" && xvfb-run -a -s "-screen 0 1280x1024x24" \
            ctest -R "$tests" --timeout 300 >> "$build/mutant.log" 2>&1); then
        verdict=caught
    fi
    mv "$target.orig" "$target"
    touch "$target"
    if [[ "$verdict" == survived ]]; then
        survived+=("SURVIVED  $file: $why")
    else
        caught=$((caught + 1))
    fi
    printf '%-28s %s: %s\n' "$verdict" "$file" "$why"
done < "$list"

cmake --build "$build" -j "$(nproc)" > /dev/null
echo
echo "$tried breakages tried, $caught caught by the tests."
for line in "${survived[@]+"${survived[@]}"}"; do echo "$line"; done
[[ $caught -eq $tried ]]
