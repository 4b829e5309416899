#!/usr/bin/env bash
# The music lane's and the curve view's cost, under Xvfb at 1280x720: frames per second of `--edit`
# playing, with the waveform shown in the lane and behind the curve against hidden (the side file's
# music-lane), taken in turn twice over the same stretch of the timeline and counted by Mesa's
# hidden HUD dump. Then the same with a glTF import's density: the camera's position x, y and z as
# 745 keys each (the data's own curves sampled at 24 fps, with a shake), x edited with y and z
# overlaid over the waveform, against the waveform hidden and a constant (scale y) selected, which
# has no curve. The waveform's cache is made before the first round, so no round works it out.
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

# The camera's position x, y and z resampled at 745 keys over the timeline, each the exported
# curve straight between its keys with a shake of 0.05 on it.
mkdir "$work/dense"
cp "$data/tesk.mem" "$work/dense/tesk.mem"
cp "$work/demo.mp3" "$work/demo.peaks" "$work/dense/"
"$bin/quor-mem" motion export "$data/tesk.mem" > "$work/motion.txt"
awk '
function emit(name,   i, j, n, t, v) {
  print "  Channel " name; print "  { Envelope"; print "    745"
  n = count[name]
  for (i = 1; i <= 745; i++) {
    t = i * 31 / 745
    v = value[name, n]
    for (j = 1; j < n; j++)
      if (t <= time[name, j + 1]) {
        v = t <= time[name, j] ? value[name, j] : value[name, j] + (value[name, j + 1] - value[name, j]) * (t - time[name, j]) / (time[name, j + 1] - time[name, j])
        break
      }
    printf "    Key %.6f %.6f 0 0 0 0 0 0 0\n", v + 0.05 * sin(t * 37), t
  }
  print "    Behaviors 1 1"; print "  }"
}
FNR == NR { if (/^Record camera/) in_camera = 1
            if (in_camera && /^  Channel/) channel = $2
            if (in_camera && $1 == "Key") { count[channel]++; time[channel, count[channel]] = $3; value[channel, count[channel]] = $2 }
            next }
/^Record camera/ { camera = 1 }
camera && /^  Channel position\.[xyz]/ { emit($2); skip = !/Constant/; next }
skip { if (/^  }/) skip = 0; next }
{ print }' "$work/motion.txt" "$work/motion.txt" > "$work/dense.txt"
"$bin/quor-mem" motion import "$work/dense.txt" --into "$work/dense/tesk.mem" >/dev/null
# In the window's pixels: the overlay buttons y and z on the channel's title line, the scale y row.
measure() {
    local lane=off clicks="900,168"
    case "$1" in shown*) lane=on clicks="1116,206 1139,206" ;; esac
    printf 'quor-workbench 1\nmusic-lane %s\n' "$lane" > "$work/dense/tesk.workbench"
    (cd "$work/dense" && HUD_KEYS=space HUD_CLICKS=$clicks hud_run "$work/$1-dense" 1280x720 "$span" "$bin/quor-demo" --edit --mute --start "$from" --window=1280x720)
}
echo "745 keys a channel: x, y and z"
hud_alternate without shown
echo "  no curve, waveform hidden    ${hud_a[*]}"
echo "  x, y, z curves and waveform  ${hud_b[*]}"
awk -v p="${hud_a[*]}" -v e="${hud_b[*]}" 'BEGIN { split(p, a, "[ /]"); split(e, b, "[ /]");
    printf "  ratio  fps %.3f, by processor time a frame %.3f\n", (b[1] + b[3]) / (a[1] + a[3]), (a[2] + a[4]) / (b[2] + b[4]) }'
