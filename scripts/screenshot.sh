#!/usr/bin/env bash
# Takes a screenshot of Vendrola's window under a private Xvfb.
#   scripts/screenshot.sh BUILD_DIR OUTPUT.png [xdotool commands run before the shot]
# e.g. scripts/screenshot.sh build docs/window.png
set -euo pipefail
build=${1:?build directory}
out=${2:?output png}
shift 2

exec 3< <(Xvfb -displayfd 1 -screen 0 800x600x24 -dpi 96 -nolisten tcp 2>/dev/null)
xvfb_pid=$!
read -r display <&3
export DISPLAY=":$display"
trap 'kill "$app_pid" "$xvfb_pid" 2>/dev/null || true' EXIT

"$build/vendrola" &
app_pid=$!
window=$(xdotool search --sync --onlyvisible --name 'vendrola' | head -n 1)
xdotool windowmove "$window" 0 0
sleep 0.5
for command in "$@"; do
    # shellcheck disable=SC2086
    xdotool $command
    sleep 0.2
done
sleep 0.3
import -window "$window" "$out"
echo "screenshot: $out"
