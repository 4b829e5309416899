#!/usr/bin/env bash
# The curve view through the real window (a private X server, openbox, XTEST by way of xdotool),
# 1280x720, snapping off: three notches of the wheel zoom the time about the pointer, and a key
# dragged then moves by the zoomed scale; `f` frames the picked key, and a drag moves it by the
# framed scale; the plain wheel leaves the curve's height as it was. What the data file holds
# after each step is read back through the text export.
set -u
source "$(dirname "$0")/lib.bash"
needs_workbench
work=$(data_copy) || { echo "FAIL: could not build the data"; exit 1; }
# The camera's position x curve at first: x = 868 + t * 404 / 31, its top at y 218, 90 pixels
# high, the values -6.25 to 10.4 over 82 of them; its key at 2 s has the value -1.821.
screen=1600x900
(cd "$work" && run_in_x "$work/x.log" bash -c '
  source "$QUOR_WINDOW_LIB"
  start_workbench
  key_y=$(awk "BEGIN { printf \"%d\", 218 + 86 - (-1.821 + 6.25) / 16.65 * 82 + 0.5 }")
  # Three notches up at x 894 (1.995 s), under the keys: 0.512 of 31 s across, 1.995 s staying
  # at x 894, so the key at 2 s too.
  xdotool mousemove --window "$id" 894 300; sleep 0.3
  for i in 1 2 3; do xdotool click 4; sleep 0.2; done; sleep 0.5
  xdotool mousemove --window "$id" 894 "$key_y"; sleep 0.3
  xdotool mousedown 1; sleep 0.5
  xdotool mousemove_relative 4 0; sleep 0.3; xdotool mousemove_relative 6 0; sleep 0.5
  xdotool mouseup 1; sleep 0.5
  save_as_text zoomed.txt
  xdotool key ctrl+z; sleep 0.5
  # The key at 2 s picked with a click, then framed with f: 1.75 to 2.25 s, its value 1 either
  # side, so it stands in the middle of the plot (1070, 263); 40 pixels right.
  xdotool mousemove --window "$id" 894 "$key_y" click 1; sleep 0.5
  xdotool key f; sleep 0.5
  xdotool mousemove --window "$id" 1070 263; sleep 0.3
  xdotool mousedown 1; sleep 0.5
  xdotool mousemove_relative 20 0; sleep 0.3; xdotool mousemove_relative 20 0; sleep 0.5
  xdotool mouseup 1; sleep 0.5
  save_as_text framed.txt
  xdotool key --window "$id" Escape
  wait $pid; echo $? > status')
cd "$work"
# The time of the key of camera position x nearest `near` seconds in an export.
key_near() { awk -v near="$1" '/^Record camera/ { cam = 1 } cam && /Channel/ { on = ($2 == "position.x") }
  cam && on && $1 == "Key" { d = $3 - near; if (d < 0) d = -d; if (best == "" || d < bd) { best = $3; bd = d } }
  END { print best }' "$2"; }
within() { awk -v a="$1" -v b="$2" -v tol="$3" 'BEGIN { d = a - b; if (d < 0) d = -d; print (d <= tol ? "yes" : "no (" a ")") }'; }
# 10 pixels at 31 * 0.512 s over 404 pixels: 0.393 s.
expect_eq "$(within "$(key_near 2.4 zoomed.txt)" 2.3929 0.002)" yes "the key dragged 10 pixels after the zoom moved 0.393 s"
# 40 pixels at 0.5 s over 404 pixels: 0.0495 s.
expect_eq "$(within "$(key_near 2.05 framed.txt)" 2.0495 0.001)" yes "the framed key dragged 40 pixels moved 0.0495 s"
expect_eq "$(grep -c "curve-height" tesk.workbench 2>/dev/null || echo 0)" 0 "the plain wheel left the curve's height"
expect_empty_file stderr.txt "nothing on stderr"
expect_eq "$(cat status 2>/dev/null)" 0 "Escape: status 0"
finish
