#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# One interleaved series of two bench_ami builds on the same stream: each round runs both, in
# fresh processes, the first of the two taking turns, then prints the median and range of
# each case and of the ratios taken within a round.
#   bench/ami-series.sh BEFORE AFTER [rounds, default 10]
# BEFORE and AFTER are bench_ami programs; the stream is the one next to AFTER.
set -euo pipefail
before=$1 after=$2 rounds=${3:-10}
dir=$(dirname "$after")
stream=$dir/ami-stream-200k.bin chunks=$dir/ami-stream-200k.chunks.txt
filter='^(EveryMessage|FrameCount|FrameCountLoopback|FloorLoopback)/'

for round in $(seq 1 "$rounds"); do
    order="before after"
    ((round % 2)) || order="after before"
    for side in $order; do
        program=$before
        [ "$side" = after ] && program=$after
        # name, wall-clock ms, CPU ms of the timing thread
        "$program" "$stream" "$chunks" --benchmark_repetitions=1 --benchmark_filter="$filter" \
            2>/dev/null | awk -v r="$round" -v s="$side" \
            '/^(EveryMessage|FrameCount|FloorLoopback)/ { sub(/\/(iterations|manual|real).*/, "", $1); print r, s, $1, $2, $4 }'
    done
done | python3 -c '
import collections, statistics, sys
runs = collections.defaultdict(dict)
for line in sys.stdin:
    r, side, case, wall, cpu = line.split()
    runs[r][side + " " + case] = (float(wall), float(cpu))
rows = collections.defaultdict(list)
def ratio(name, a, b, clock):
    for run in runs.values():
        if a in run and b in run:
            rows[name].append(run[a][clock] / run[b][clock])
for case in sorted({c for run in runs.values() for c in run}):
    rows[case + ", ms"] = [run[case][0] for run in runs.values() if case in run]
ratio("EveryMessage, after / before, wall clock", "before EveryMessage", "after EveryMessage", 0)
ratio("EveryMessage, after / before, CPU time", "before EveryMessage", "after EveryMessage", 1)
ratio("FrameCount, after / before, wall clock", "before FrameCount", "after FrameCount", 0)
for side, floor in (("before", "FloorLoopback"), ("after", "FloorLoopback/16384"),
                    ("after", "FloorLoopback/262144")):
    ratio(f"{side}: FrameCountLoopback against {floor}, wall clock", f"{side} {floor}",
          f"{side} FrameCountLoopback", 0)
    ratio(f"{side}: FrameCountLoopback against {floor}, CPU time", f"{side} {floor}",
          f"{side} FrameCountLoopback", 1)
for name, values in rows.items():
    if values:
        print(f"{name:66s} {statistics.median(values):8.2f}  ({min(values):.2f}-{max(values):.2f})")
'
