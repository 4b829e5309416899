#!/usr/bin/env bash
# Frame rates at one size, side by side over the same stretch of the timeline: the real demo
# under Xvfb (counted by Mesa's HUD dump, hidden, so the program is untouched), then quor-capture's
# benchmark with 4 samples a pixel (its default) and with 1 (the demo's frames drawn offscreen
# without read-back, and captured to video).
# Usage: bench/capture_vs_demo.sh BIN_DIR DATA_DIR [FROM_SECONDS] [FRAMES] [WxH]
set -euo pipefail
bin=$(cd "$1" && pwd)
data=$(cd "$2" && pwd)
from=${3:-10}
frames=${4:-600}
size=${5:-1280x720}
work=$(mktemp -d "${TMPDIR:-/tmp}/quor-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

mkdir "$work/hud"
(cd "$data" && GALLIUM_HUD=simple,fps GALLIUM_HUD_VISIBLE=false GALLIUM_HUD_PERIOD=1 \
    GALLIUM_HUD_DUMP_DIR="$work/hud" SDL_AUDIODRIVER=dummy \
    xvfb-run -a -s "-screen 0 ${size}x24" "$bin/quor-demo" >/dev/null 2>&1)
# One sample a second from the first frame on, which is demo time 0.
span=$(( (frames + 59) / 60 ))
demo=$(awk -v a="$from" -v n="$span" 'NR > a && NR <= a + n { s += $1; c++ } END { printf "%.1f", c ? s / c : 0 }' \
    "$work/hud/fps")
echo "demo under Xvfb  ${demo} fps (demo time ${from} s, ${span} s, ${size})"
for samples in 4 1; do
  (cd "$data" && "$bin/quor-capture" --benchmark "$frames" --from "$from" --size "$size" --msaa "$samples" \
      --out "$work/bench.mp4")
done
