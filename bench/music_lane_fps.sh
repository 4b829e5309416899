#!/usr/bin/env bash
# The music lane's cost, under Xvfb at 1280x720: frames per second of `--edit` playing, with the
# waveform shown in the lane and behind the curve against hidden (the side file's music-lane),
# taken in turn twice over the same stretch of the timeline and counted by Mesa's hidden HUD dump.
# The waveform's cache is made before the first round, so no round works it out.
# Usage: bench/music_lane_fps.sh BIN_DIR DATA_DIR [FROM_SECONDS] [SECONDS]
set -euo pipefail
bin=$(cd "$1" && pwd)
data=$(cd "$2" && pwd)
from=${3:-10}
span=${4:-10}
work=$(mktemp -d "${TMPDIR:-/tmp}/quor-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/hud.bash"
ln -s "$data/tesk.mem" "$work/tesk.mem"
cp "$data/demo.mp3" "$work/demo.mp3"
cd "$work"
QUOR_MUSIC="$work/demo.mp3" "$bin/bench_music" --benchmark_filter=from_cache >/dev/null
cp /tmp/quor_bench_music/demo.peaks "$work/demo.peaks"

# The workbench starts paused: Space plays it.
measure() {
    local lane=on
    case "$1" in hidden*) lane=off ;; esac
    printf 'quor-workbench 1\nmusic-lane %s\n' "$lane" > "$work/tesk.workbench"
    HUD_KEYS=space hud_run "$work/$1" 1280x720 "$span" "$bin/quor-demo" --edit --mute --start "$from" --window=1280x720
}
echo "demo time ${from} s + ${span} s, two rounds each (fps/processor ms a frame)"
hud_alternate hidden shown
echo "  waveform hidden  ${hud_a[*]}"
echo "  waveform shown   ${hud_b[*]}"
awk -v p="${hud_a[*]}" -v e="${hud_b[*]}" 'BEGIN { split(p, a, "[ /]"); split(e, b, "[ /]");
    printf "  ratio  fps %.3f, by processor time a frame %.3f\n", (b[1] + b[3]) / (a[1] + a[3]), (a[2] + a[4]) / (b[2] + b[4]) }'
