#!/usr/bin/env bash
# The curve view through the real window (a private X server, openbox, XTEST by way of xdotool),
# 1280x720, snapping off: the buttons beside the channel's name overlay position y and z and take
# y off again, and at the next start the side file brings back z alone; three notches of the wheel
# zoom the time about the pointer, and a key dragged then moves by the zoomed scale; `f` frames the
# picked key, whose tangent handles stand where the TCB formula puts them and go when the key is
# taken out of the picked ones, and a drag moves it by the framed scale; the plain wheel leaves the
# curve's height as it was. What the data file holds after each step is read back through the text
# export, what the view draws through the screen's pixels.
set -u
source "$(dirname "$0")/lib.bash"
needs_workbench
work=$(data_copy) || { echo "FAIL: could not build the data"; exit 1; }
"$QUOR_BIN_DIR/quor-mem" motion export "$work/tesk.mem" > "$work/before.txt"
# A key of camera position x at `time` seconds: its value, shape, tension, continuity and bias.
key_at() { awk -v t="$1" '/^Record camera/ { cam = 1 } cam && /Channel/ { on = ($2 == "position.x") }
  cam && on && $1 == "Key" && $3 == t { print $2, $4, $5, $6, $7; exit }' "$work/before.txt"; }
read -r v1 s1 t1 c1 b1 < <(key_at 1.5)
read -r v2 s2 t2 c2 b2 < <(key_at 2)
read -r v3 s3 t3 c3 b3 < <(key_at 2.5)
expect_eq "$s1$t1$c1$b1 $s2$t2$c2$b2 $s3$t3$c3$b3" "0000 0000 0000" "the keys at 1.5, 2 and 2.5 s are TCB with tension, continuity and bias 0"
# With tension, continuity and bias 0 the TCB tangent at 2 s is Catmull-Rom's: the slope from the
# key before to the key after, (v3 - v1) / 1 s; each handle a third of its 0.5 s span along it.
# Framed with f the plot shows 1.75 to 2.25 s over its 404 pixels from x 868, and the key's value
# 1 either side over 82 of its 90 pixels from y 218 (4 spare at top and foot).
export handles=$(awk -v v1="$v1" -v v3="$v3" 'BEGIN {
  slope = (v3 - v1) / 1; d = 0.5 / 3
  printf "%d %d %d %d\n", 868 + (2 - d - 1.75) / 0.5 * 404 + 0.5, 218 + 86 - (1 - d * slope) / 2 * 82 + 0.5,
    868 + (2 + d - 1.75) / 0.5 * 404 + 0.5, 218 + 86 - (1 + d * slope) / 2 * 82 + 0.5 }')
# The camera's position x curve at first: x = 868 + t * 404 / 31, its top at y 218, 90 pixels
# high, the values -6.25 to 10.4 over 82 of them; its key at 2 s has the value -1.821. Position y
# (-2.3 to 5.6) lies wholly inside that range, z (-11.4 to 25.9) partly; the buttons that overlay
# them stand on the title line over the plot, at x 1116 and 1139.
screen=1600x900
(cd "$work" && run_in_x "$work/x.log" bash -c '
  source "$QUOR_WINDOW_LIB"
  start_workbench
  overlays() { echo "y $(pixels 404 90 868 218 green) z $(pixels 404 90 868 218 blue)"; }
  overlays > overlay_none.txt
  xdotool mousemove --window "$id" 1116 206 click 1; sleep 0.5
  xdotool mousemove --window "$id" 1139 206 click 1; sleep 0.5
  overlays > overlay_both.txt
  xdotool mousemove --window "$id" 1116 206 click 1; sleep 0.5
  overlays > overlay_z.txt
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
  # side, so it stands in the middle of the plot (1070, 263). Its handles are looked for in an
  # 11-pixel square about each end, and about where each would stand were the slope turned over
  # (at the height of the other end); then Ctrl+click takes the key out of the picked ones, and a
  # click picks it again.
  xdotool mousemove --window "$id" 894 "$key_y" click 1; sleep 0.5
  xdotool key f; sleep 0.5
  read -r x_in y_in x_out y_out <<< "$handles"
  end() { pixels 11 11 $(($1 - 5)) $(($2 - 5)) pink; }
  ends() { echo "$(end $x_in $y_in) $(end $x_out $y_out) $(end $x_in $y_out) $(end $x_out $y_in)"; }
  ends > handles_picked.txt
  xdotool mousemove --window "$id" 1070 263; sleep 0.3
  xdotool keydown ctrl; xdotool click 1; xdotool keyup ctrl; sleep 0.5
  ends > handles_unpicked.txt
  xdotool click 1; sleep 0.5
  xdotool mousedown 1; sleep 0.5
  xdotool mousemove_relative 20 0; sleep 0.3; xdotool mousemove_relative 20 0; sleep 0.5
  xdotool mouseup 1; sleep 0.5
  save_as_text framed.txt
  xdotool key --window "$id" Escape
  wait $pid; echo $? > status; mv stderr.txt stderr_first.txt')
# Started again: the overlay as it was left, through the side file.
(cd "$work" && run_in_x "$work/x2.log" bash -c '
  source "$QUOR_WINDOW_LIB"
  start_workbench
  echo "y $(pixels 404 90 868 218 green) z $(pixels 404 90 868 218 blue)" > overlay_again.txt
  xdotool key --window "$id" Escape
  wait $pid; echo $? > status_again')
cd "$work"
# The time of the key of camera position x nearest `near` seconds in an export.
key_near() { awk -v near="$1" '/^Record camera/ { cam = 1 } cam && /Channel/ { on = ($2 == "position.x") }
  cam && on && $1 == "Key" { d = $3 - near; if (d < 0) d = -d; if (best == "" || d < bd) { best = $3; bd = d } }
  END { print best }' "$2"; }
within() { awk -v a="$1" -v b="$2" -v tol="$3" 'BEGIN { d = a - b; if (d < 0) d = -d; print (d <= tol ? "yes" : "no (" a ")") }'; }
# Which of y and z show: a curve across the plot leaves hundreds of its pixels, none shows none.
shown() { awk '{ print ($2 > 100 ? "y" : ($2 == 0 ? "-" : "y?" $2)) ($4 > 100 ? "z" : ($4 == 0 ? "-" : "z?" $4)) }' "$1"; }
expect_eq "$(shown overlay_none.txt)" "--" "at first no channel overlaid"
expect_eq "$(shown overlay_both.txt)" "yz" "the y and z buttons overlay position y and z"
expect_eq "$(shown overlay_z.txt)" "-z" "y again takes its curve off, z stays"
expect_eq "$(shown overlay_again.txt)" "-z" "started again: z overlaid, y not"
expect_contains tesk.workbench "curve-overlay position.z" "the side file holds the overlay"
# Each end's square holds a few of the handle's pixels (its ring of radius 3), the turned-over
# places none; none at all once the key is not picked.
expect_eq "$(awk '{ print ($1 >= 5 && $2 >= 5 && $3 == 0 && $4 == 0) ? "there" : "no (" $0 ")" }' handles_picked.txt)" there \
  "the picked key's handles end where the Catmull-Rom slope puts them, a third of a span away"
expect_eq "$(cat handles_unpicked.txt)" "0 0 0 0" "the handles go with the key taken out of the picked ones"
# 10 pixels at 31 * 0.512 s over 404 pixels: 0.393 s.
expect_eq "$(within "$(key_near 2.4 zoomed.txt)" 2.3929 0.002)" yes "the key dragged 10 pixels after the zoom moved 0.393 s"
# 40 pixels at 0.5 s over 404 pixels: 0.0495 s.
expect_eq "$(within "$(key_near 2.05 framed.txt)" 2.0495 0.001)" yes "the framed key dragged 40 pixels moved 0.0495 s"
expect_contains tesk.workbench "curve-height 90" "the plain wheel left the curve's height"
expect_empty_file stderr_first.txt "nothing on stderr"
expect_empty_file stderr.txt "nothing on stderr at the second start"
expect_eq "$(cat status 2>/dev/null) $(cat status_again 2>/dev/null)" "0 0" "Escape: status 0, both times"
finish
