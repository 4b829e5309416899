#!/usr/bin/env bash
# The workbench, under a private X server with openbox: --edit opens a 1280x720 window whose
# picture differs from the demo's own frame (its F12 shot, read back before the overlay draws)
# only inside the overlay's panels; it starts paused, Space plays and pauses, and a held Space
# (repeated by the X server) toggles once; a new data file on disk is taken over and said
# so, a damaged one refused with the load's message while the demo runs on. The loop's stretch,
# set with In and Out on the time slider, is drawn under it; the key table follows the time while
# playing and keeps its scroll when another record is shown and this one again. Escape ends with 0.
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
  id=$(find-window "render device test" 20)
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
  # The loop from 10.7 s (x 300 on the slider) to 21.9 s (x 600), played for 6 s; then the
  # animated object'"'"'s record shown, and the camera'"'"'s again.
  click() { xdotool mousemove --window "$id" "$1" "$2" click 1; sleep 1.5; }
  click 300 524; click 355 501; click 600 524; click 389 501
  grab loop.png
  click 35 501; sleep 6; click 35 501
  grab followed.png
  click 900 15; click 1160 15
  grab switched.png
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
# Pixels of a 1280x720 picture, as "r,g,b" each.
pixels() {
  raw "$1"
  python3 -c '
import sys
p = open(sys.argv[1], "rb").read()
for xy in sys.argv[2:]:
    x, y = map(int, xy.split(","))
    print(",".join(str(v) for v in p[(y * 1280 + x) * 3:(y * 1280 + x) * 3 + 3]), end=" ")' "$1.raw" "${@:2}"
}
# The key table: below the curve's buttons, right of the picture.
table() {
  raw "$1"; raw "$2"
  python3 -c '
import sys
a, b = open(sys.argv[1], "rb").read(), open(sys.argv[2], "rb").read()
print(sum(a[(y * 1280 + x) * 3:(y * 1280 + x) * 3 + 3] != b[(y * 1280 + x) * 3:(y * 1280 + x) * 3 + 3]
          for y in range(395, 715) for x in range(868, 1270)))' "$1.raw" "$2.raw"
}
expect_eq "$(pixels loop.png 150,532 450,532 750,532)" "22,40,66 232,184,60 22,40,66 " \
  "the loop's stretch is drawn under the slider, and only there"
expect_eq "$([ "$(table paused2.png followed.png)" -gt 1000 ] && echo followed || echo "stayed")" followed \
  "the key table follows the time while playing"
expect_eq "$(table followed.png switched.png)" 0 "it keeps its scroll over another record shown and back"
expect_eq "$(cat status 2>/dev/null)" 0 "Escape: status 0"
finish
