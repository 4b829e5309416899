#!/usr/bin/env bash
# The workbench, under a private X server with openbox: --edit opens a 1280x720 window whose
# picture differs from the demo's own frame (its F12 shot, read back before the overlay draws)
# only inside the overlay's panels; it starts paused, Space plays and pauses, and a held Space
# (repeated by the X server) toggles once; a new data file on disk is taken over and said
# so, a damaged one refused with the load's message while the demo runs on; Escape ends with 0.
set -u
source "$(dirname "$0")/lib.bash"
needs_workbench
work=$(data_copy) || { echo "FAIL: could not build the data"; exit 1; }
# Writes tesk.mem anew beside itself and renames it over, as the builder does: the camera's first
# key moved (a changed file) or the file cut short (a damaged one).
cat > "$work/new_version.py" <<'PY'
import os, struct, sys
path = "tesk.mem"
data = bytearray(open(path, "rb").read())
if sys.argv[1] == "moved":
    at = 131178296 + 144 + 8
    data[at:at + 4] = struct.pack("<f", struct.unpack("<f", data[at:at + 4])[0] + 5)
else:
    data = data[:1000000]
open(path + ".new", "wb").write(data)
os.replace(path + ".new", path)
PY
screen=1600x900
(cd "$work" && run_in_x "$work/x.log" bash -c '
  openbox >/dev/null 2>&1 & sleep 1
  "$QUOR_BIN_DIR/quor-demo" --edit --mute >out.txt 2>stderr.txt & pid=$!
  id=$(timeout 20 xdotool search --sync --name "render device test" | head -1)
  sleep 3
  xwininfo -id "$id" > geometry.txt
  x=$(awk "/Absolute upper-left X/ { print \$4 }" geometry.txt)
  y=$(awk "/Absolute upper-left Y/ { print \$4 }" geometry.txt)
  grab() { ffmpeg -v error -f x11grab -draw_mouse 0 -video_size 1280x720 -i "$DISPLAY+$x,$y" -frames:v 1 "$1"; }
  grab start1.png; sleep 1; grab start2.png
  xdotool key --window "$id" space
  sleep 0.5; grab playing1.png; sleep 0.5; grab playing2.png
  xdotool key --window "$id" space
  sleep 0.5; grab paused1.png; sleep 1; grab paused2.png
  xdotool key --window "$id" F12
  sleep 1
  hold() { xdotool keydown space; sleep "$1"; xdotool keyup space; sleep 0.5; }
  xdotool windowactivate --sync "$id" 2>/dev/null
  hold 1.2; grab held1.png; sleep 0.5; grab held2.png
  hold 1.25; grab held3.png; sleep 0.5; grab held4.png
  python3 new_version.py moved; sleep 2
  python3 new_version.py damaged; sleep 2
  kill -0 $pid 2>/dev/null && echo yes > alive.txt
  xdotool key --window "$id" Escape
  wait $pid; echo $? > status')
cd "$work"
raw() { ffmpeg -v error -i "$1" -f rawvideo -pix_fmt rgb24 - > "$1.raw"; }
# Differing pixels of two 1280x720 pictures inside and outside the overlay's panels (they lie
# beside the picture: right of x 860 and below y 484).
differ() {
  raw "$1"; raw "$2"
  python3 -c '
import sys
a, b = open(sys.argv[1], "rb").read(), open(sys.argv[2], "rb").read()
inside = outside = 0
for i in range(0, min(len(a), len(b)), 3):
    if a[i:i + 3] != b[i:i + 3]:
        x, y = (i // 3) % 1280, (i // 3) // 1280
        if x >= 860 or y >= 484: inside += 1
        else: outside += 1
print(inside, outside)' "$1.raw" "$2.raw"
}
expect_eq "$(awk '/Width|Height/ { printf "%s ", $2 }' geometry.txt)" "1280 720 " "--edit opens a 1280x720 window"
read -r _ outside < <(differ start1.png start2.png)
expect_eq "$outside" 0 "the workbench starts paused"
read -r _ outside < <(differ playing1.png playing2.png)
expect_eq "$([ "$outside" -gt 0 ] && echo moving || echo still)" moving "Space plays: the picture moves"
read -r _ outside < <(differ paused1.png paused2.png)
expect_eq "$outside" 0 "Space pauses: the picture stands still"
read -r _ outside < <(differ held1.png held2.png)
expect_eq "$([ "$outside" -gt 0 ] && echo moving || echo still)" moving "a held Space plays once"
read -r _ outside < <(differ held3.png held4.png)
expect_eq "$outside" 0 "a second held Space pauses once"
shot=$(grep -m1 '\.png$' out.txt)
expect_eq "$([ -f "$shot" ] && echo written || echo none)" written "F12 writes the demo's frame"
read -r inside outside < <(differ "${shot:-none}" paused2.png)
expect_eq "$outside" 0 "outside its panels the picture is the demo's own frame"
expect_eq "$([ "${inside:-0}" -gt 10000 ] && echo shown || echo "missing ($inside)")" shown "the overlay is drawn"
expect_contains out.txt "quor-demo: reloaded tesk.mem in " "a new data file is taken over"
expect_contains stderr.txt "quor-demo: not reloaded: tesk.mem: 1000000 bytes, shorter than" "a damaged one is refused"
expect_eq "$(cat alive.txt 2>/dev/null)" yes "the demo runs on"
expect_eq "$(grep -vc 'not reloaded' stderr.txt)" 0 "nothing else on stderr"
expect_eq "$(cat status 2>/dev/null)" 0 "Escape: status 0"
finish
