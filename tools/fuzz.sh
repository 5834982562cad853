#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each one for a while,
# seeded from tests/fixtures; what each finds new is kept in build-fuzz/corpus/<target>.
#   tools/fuzz.sh [seconds per target, default 20] [target ...]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-20}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(amiframer dialscan yacmessage searchurl modemread initext tellink
                                     instancerequest)

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DRINGSCOUT_FUZZ=ON > /dev/null
cmake --build build-fuzz -j "$(nproc)"

for target in "${targets[@]}"; do
    seeds=("tests/fixtures/fuzz/$target")
    case "$target" in
    amiframer | dialscan) seeds=(tests/fixtures/ami) ;;
    yacmessage) seeds+=(tests/fixtures/fuzz/wiretext) ;; # it also checks the bytes' decoding
    esac
    corpus="build-fuzz/corpus/$target"
    log="build-fuzz/fuzz_$target.log"
    mkdir -p "$corpus"
    if ! "build-fuzz/fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix=build-fuzz/ "$corpus" "${seeds[@]}" > "$log" 2>&1; then
        tail -n 40 "$log"
        echo "fuzz_$target: failed; the input is in build-fuzz/ (see $log)" >&2
        exit 1
    fi
    echo "fuzz_$target: $(grep -m1 -o 'number_of_executed_units: [0-9]*' "$log") in ${seconds} s"
done
