#!/usr/bin/env bash
# Frame rates of the demo full screen under Xvfb without and with --msaa 4, side by side: the two
# alternate twice over the same stretch of the timeline, counted by Mesa's HUD dump (hidden, so
# the program is untouched), each the mean of its one-second samples after the first.
# Usage: bench/msaa_fps.sh BIN_DIR DATA_DIR [WxH] [FROM_SECONDS] [SECONDS]
set -euo pipefail
bin=$(cd "$1" && pwd)
data=$(cd "$2" && pwd)
size=${3:-1024x768}
from=${4:-10}
span=${5:-10}
work=$(mktemp -d "${TMPDIR:-/tmp}/quor-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

measure()
{
    local dir=$work/$1; shift
    mkdir -p "$dir"
    GALLIUM_HUD=simple,fps GALLIUM_HUD_VISIBLE=false GALLIUM_HUD_PERIOD=1 GALLIUM_HUD_DUMP_DIR="$dir" \
      xvfb-run -a -s "-screen 0 ${size}x24" bash -c '
        "$0" "$@" >/dev/null 2>&1 & pid=$!
        timeout 20 xdotool search --sync --name "render device test" >/dev/null 2>&1
        sleep '"$((span + 1))"'
        xdotool search --name "render device test" key --window %1 Escape >/dev/null 2>&1
        wait $pid' "$bin/quor-demo" --mute --start "$from" "$@"
    awk -v n="$span" 'NR > 1 && NR <= n { s += $1; c++ } END { printf "%.1f", c ? s / c : 0 }' "$dir/fps"
}

cd "$data"
plain=() msaa=()
for round in 1 2; do
    plain+=("$(measure plain$round)")
    msaa+=("$(measure msaa$round --msaa 4)")
done
echo "full screen ${size}, demo time ${from} s + ${span} s, two rounds each (fps)"
echo "default   ${plain[*]}"
echo "--msaa 4  ${msaa[*]}"
