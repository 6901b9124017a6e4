#!/usr/bin/env bash
# Draws the installed icons from the window's 32 x 32 icon: the same pixels,
# each grown to a square of 2, 4 or 8 pixels, so every size keeps the design.
# The Windows icon holds the same sizes and the smaller ones Windows asks for
# in lists and title bars, scaled down smoothly.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
for size in 32 64 128 256; do
    dir="$here/data/icons/hicolor/${size}x${size}/apps"
    mkdir -p "$dir"
    convert "$here/ui/vendrola.xpm" -filter point -resize "${size}x${size}" \
        -define png:exclude-chunks=date,time "$dir/bg.vendrola.Vendrola.png"
done
icon=$here/data/icons/hicolor
convert "$icon/256x256/apps/bg.vendrola.Vendrola.png" "$icon/128x128/apps/bg.vendrola.Vendrola.png" \
    "$icon/64x64/apps/bg.vendrola.Vendrola.png" \
    \( "$icon/64x64/apps/bg.vendrola.Vendrola.png" -resize 48x48 \) \
    "$icon/32x32/apps/bg.vendrola.Vendrola.png" \
    \( "$icon/64x64/apps/bg.vendrola.Vendrola.png" -resize 24x24 \) \
    \( "$icon/64x64/apps/bg.vendrola.Vendrola.png" -resize 20x20 \) \
    \( "$icon/32x32/apps/bg.vendrola.Vendrola.png" -resize 16x16 \) \
    "$here/windows/vendrola.ico"
