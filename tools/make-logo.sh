#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Draws the Options dialog's 104 x 61 logo with ImageMagick; the PNG is committed, so this
# only runs when the logo changes:  tools/make-logo.sh src/settings/logo.png
set -euo pipefail
font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
convert -size 104x61 xc:none \
    -fill '#1d4f8c' -stroke '#0f2f57' -strokewidth 1 -draw 'roundrectangle 0.5,0.5 103.5,60.5 9,9' \
    -stroke none -fill white -draw 'circle 24,24 24,15' \
    -fill '#1d4f8c' -draw 'circle 24,24 24,19' \
    -fill white -draw 'circle 24,24 24,22' \
    -fill none -stroke '#ffd54a' -strokewidth 2.5 \
    -draw 'arc 9,9 39,39 -50,50' -draw 'arc 9,9 39,39 130,230' \
    -strokewidth 2 -draw 'arc 4,4 44,44 -45,45' -draw 'arc 4,4 44,44 135,225' \
    -stroke none -font "$font" -pointsize 15 \
    -fill white -annotate +48+24 'Ring' -fill '#ffd54a' -annotate +48+40 'scout' \
    -fill white -pointsize 8 -gravity south -annotate +0+4 'caller ID pop' \
    -define png:bit-depth=8 -strip "${1:-logo.png}"
