#!/usr/bin/env bash
# The workbench's cost, under Xvfb at 1280x720 and 1920x1080: frames per second of `--edit`
# (panels beside the picture, on the camera's position x curve) beside the plain demo in a window
# of the same size, alternating twice over the same stretch of the timeline and counted by Mesa's
# hidden HUD dump; then the time from a new data file renamed into place to the reload line, and
# from a watched glTF file renamed into place to the import line (the next frame draws either).
# Usage: bench/workbench_fps.sh BIN_DIR DATA_DIR [FROM_SECONDS] [SECONDS]
set -euo pipefail
bin=$(cd "$1" && pwd)
write=$(cd "$(dirname "$0")/../tests/e2e" && pwd)/camera_gltf.py
data=$(cd "$2" && pwd)
from=${3:-10}
span=${4:-10}
work=$(mktemp -d "${TMPDIR:-/tmp}/quor-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

if ! "$bin/quor-demo" --help | grep -q -- --edit; then
  echo "workbench_fps: $bin/quor-demo is built without the workbench" >&2
  exit 1
fi
source "$(dirname "$0")/hud.bash"
# The workbench starts paused: Space plays it (the plain demo plays from its start).
measure() {
    local keys=
    [ $# -gt 1 ] && keys=space
    HUD_KEYS=$keys hud_run "$work/$size-$1" "$size" "$span" "$bin/quor-demo" --mute --start "$from" --window="$size" "${@:2}"
}

cd "$data"
echo "demo time ${from} s + ${span} s, two rounds each (fps/processor ms a frame)"
for size in 1280x720 1920x1080; do
    hud_alternate plain edit --edit
    plain=("${hud_a[@]}") edit=("${hud_b[@]}")
    echo "window $size"
    echo "  plain   ${plain[*]}"
    echo "  --edit  ${edit[*]}"
    awk -v p="${plain[*]}" -v e="${edit[*]}" 'BEGIN { split(p, a, "[ /]"); split(e, b, "[ /]");
        printf "  ratio   fps %.2f, by processor time a frame %.2f\n", (b[1] + b[3]) / (a[1] + a[3]), (a[2] + a[4]) / (b[2] + b[4]) }'
done

# Reload: a copy of the data file, replaced three times by a renamed new version.
cp "$data/tesk.mem" "$work/tesk.mem"
ln -s "$data/demo.mp3" "$work/demo.mp3"
cd "$work"
xvfb-run -a -s "-screen 0 1280x720x24" bash -c '
  "$0" --edit --mute > out.txt 2>/dev/null & pid=$!
  find-window "render device test" 20 >/dev/null
  sleep 2
  for i in 1 2 3; do
    cp tesk.mem next.mem
    start=$(date +%s%N)
    mv next.mem tesk.mem
    while [ "$(grep -c reloaded out.txt)" -lt "$i" ]; do sleep 0.005; done
    echo $(( ($(date +%s%N) - start) / 1000000 )) >> took.txt
  done
  xdotool key --window "$(find-window "render device test" 3)" Escape >/dev/null 2>&1
  wait $pid' "$bin/quor-demo"
echo "reload, rename to reload line (ms): $(tr '\n' ' ' < took.txt)"
echo "reload, as the workbench measured it: $(grep -o 'in [0-9]* ms' out.txt | tr '\n' ' ')"

# Watched import: a glTF file picked in the import panel (clicks at its place in a 1280x720
# window) and imported into the camera, then written again three times by an exporter that
# renames its new version over the old; the time from each rename to the import's line (the
# next frame draws it).
mkdir "$work/shots"
python3 "$write" "$work/shots/shot.gltf" 4
cd "$work/shots"
xvfb-run -a -s "-screen 0 1280x720x24" bash -c '
  "$0" --edit --mute --data .. > ../import.txt 2>/dev/null & pid=$!
  id=$(find-window "render device test" 20)
  sleep 2
  for at in "42 588" "910 102" "900 326"; do xdotool mousemove --window "$id" $at click 1; sleep 1.5; done
  for i in 1 2 3; do
    python3 "$1" next.gltf "$i"
    start=$(date +%s%N)
    mv next.gltf shot.gltf
    while [ "$(grep -c imported ../import.txt)" -le "$i" ]; do sleep 0.005; done
    echo $(( ($(date +%s%N) - start) / 1000000 )) >> ../import_took.txt
  done
  kill $pid; wait $pid || true' "$bin/quor-demo" "$write"
echo "watched import, rename to import line (ms): $(tr '\n' ' ' < ../import_took.txt)"
