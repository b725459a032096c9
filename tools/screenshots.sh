#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the window under Xvfb at 96 and at 192 dpi and saves a screenshot of each page:
# OUT/96/page0.png ... OUT/192/page2.png. Needs a build in build/ (tools/bw run or test), or
# in the folder BUILD names.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=${1:-$here/build/screenshots}
tmp=$(mktemp -d)
trap 'kill "${xvfb:-0}" 2>/dev/null || true; rm -rf "$tmp"' EXIT

# The screen of a 1280x800 display at twice the density, so that 192 dpi fits as it would there.
# A small sample folder as home, and a settings store of its own.
mkdir -p "$tmp/home/Bilder"
for n in IMG_0001.JPG IMG_0002.JPG IMG_0003.JPG urlaub.png notizen.txt; do : >"$tmp/home/$n"; done

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 2560x1600x24 -nolisten tcp &
xvfb=$!
sleep 1
for dpi in 96 192; do
    mkdir -p "$out/$dpi"
    HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/config" DISPLAY="$display" QT_QPA_PLATFORM=xcb \
        QT_FONT_DPI=$dpi "${BUILD:-$here/build}/tools/screenshots" "$out/$dpi"
done
