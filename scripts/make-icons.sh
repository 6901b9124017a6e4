#!/usr/bin/env bash
# Draws the installed icons from the window's 32 x 32 icon: the same pixels,
# each grown to a square of 2, 4 or 8 pixels, so every size keeps the design.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
for size in 32 64 128 256; do
    dir="$here/data/icons/hicolor/${size}x${size}/apps"
    mkdir -p "$dir"
    convert "$here/ui/vendrola.xpm" -filter point -resize "${size}x${size}" \
        -define png:exclude-chunks=date,time "$dir/bg.vendrola.Vendrola.png"
done
