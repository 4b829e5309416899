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

source "$(dirname "$0")/hud.bash"
measure()
{
    local result
    result=$(hud_run "$work/$1" "$size" "$span" "$bin/quor-demo" --mute --start "$from" "${@:2}")
    echo "${result%/*}"
}

cd "$data"
hud_alternate plain msaa --msaa 4
plain=("${hud_a[@]}") msaa=("${hud_b[@]}")
echo "full screen ${size}, demo time ${from} s + ${span} s, two rounds each (fps)"
echo "default   ${plain[*]}"
echo "--msaa 4  ${msaa[*]}"
