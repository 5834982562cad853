#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when an include runs back up the house. Folders stand on floors and includes only go
# down: base/ (pure logic), then platform/ and forms/, settings/, pop/, sources/ and dialer/
# (sources may use the dialer, never the other way), calls/ (the call list), and app/ on top.
# sim/ stands beside app/.
set -euo pipefail
cd "$(dirname "$0")/.."
python3 - <<'PY'
import pathlib, re, sys
floor = {"base": 0, "platform": 1, "forms": 1, "settings": 2, "pop": 3,
         "sources": 4, "dialer": 4, "calls": 5, "app": 6, "sim": 6}
allowed_same_floor = {("sources", "dialer")}
bad = []
for path in sorted(pathlib.Path("src").rglob("*")):
    if path.suffix not in (".cpp", ".h") or len(path.parts) < 3:
        continue
    here = path.parts[1]
    for n, line in enumerate(path.read_text(errors="replace").splitlines(), 1):
        m = re.match(r'\s*#\s*include\s+"([A-Za-z_]+)/', line)
        if not m or m.group(1) not in floor or m.group(1) == here or here not in floor:
            continue
        there = m.group(1)
        if floor[there] > floor[here] or (floor[there] == floor[here]
                                          and (here, there) not in allowed_same_floor):
            bad.append(f"{path}:{n}: {here}/ includes {there}/")
for b in bad:
    print(b)
if bad:
    sys.exit(f"{len(bad)} include(s) run back up")
print("Every include runs down the house")
PY
