#!/usr/bin/env bash
# The watched import through the real window (a private X server, openbox, XTEST by way of
# xdotool): the import panel lists the start folder's glTF file and its node, imports it into the
# camera and watches it; another process then writes the file again (renamed over it) and the
# camera follows in the next frames, and writes it in place with a pause halfway (a truncated
# file for a moment), which is retried, not refused.
set -u
source "$(dirname "$0")/lib.bash"
needs_workbench
work=$(data_copy) || { echo "FAIL: could not build the data"; exit 1; }
write=$(cd "$(dirname "$0")" && pwd)/camera_gltf.py
mkdir "$work/shots"
python3 "$write" "$work/shots/shot.gltf" 4
screen=1600x900
# In a 1280x720 window: the transport's Import button, the panel's first file, its Import button.
(cd "$work/shots" && run_in_x "$work/x.log" bash -c '
  openbox >/dev/null 2>&1 & sleep 1
  "$QUOR_BIN_DIR/quor-demo" --edit --mute --window=1280x720 --start 1 --data .. >../out.log 2>../stderr.log & pid=$!
  id=$(find-window "render device test" 20)
  sleep 3
  xdotool windowactivate --sync "$id" 2>/dev/null
  x=$(xwininfo -id "$id" | awk "/Absolute upper-left X/ { print \$4 }")
  y=$(xwininfo -id "$id" | awk "/Absolute upper-left Y/ { print \$4 }")
  grab() { ffmpeg -v error -f x11grab -draw_mouse 0 -video_size 860x484 -i "$DISPLAY+$x,$y" -frames:v 1 -f rawvideo -pix_fmt rgb24 "../$1"; }
  click() { xdotool mousemove --window "$id" "$1" "$2" click 1; sleep 1.5; }
  imports() { grep -c "imported node Camera" ../out.log; }
  wait_for() { local tries=0; while [ "$(imports)" -lt "$1" ] && [ $tries -lt 50 ]; do sleep 0.1; tries=$((tries + 1)); done; }
  grab before.rgb
  click 42 588; click 910 102; click 900 349
  wait_for 1; sleep 1; grab first.rgb
  python3 "'"$write"'" shot.gltf -4
  wait_for 2; sleep 1; grab second.rgb
  python3 "'"$write"'" shot.gltf 6 cut
  wait_for 3; sleep 1
  imports > ../count.txt
  kill $pid; wait $pid')
cd "$work"
same() { cmp -s "$1" "$2" && echo same || echo differs; }
expect_eq "$(same before.rgb first.rgb)" differs "the import moves the camera"
expect_eq "$(same first.rgb second.rgb)" differs "the camera follows the file written again"
expect_eq "$(cat count.txt)" 3 "three versions imported: the first, the renamed one, the one written in place"
expect_eq "$(grep -c 'not imported' stderr.log)" 0 "the half-written file was retried, not refused"
finish
