#!/usr/bin/env bash
# Keys on the beat through the real window (a private X server, openbox, XTEST by way of xdotool),
# in a 1280x720 window at 100 BPM (a beat every 0.6 s) with snapping on, as the side file beside
# the data says: a key dragged in time lands on a beat; three keys picked with a box and squeezed
# to half about the playhead land at the expected times; copied and pasted into another channel;
# each of them one undo step. The side file is written again with the settings changed and reads
# back; the player ignores it, even damaged. What the data file holds after each step is read
# back through the text export.
set -u
source "$(dirname "$0")/lib.bash"
needs_workbench
work=$(data_copy) || { echo "FAIL: could not build the data"; exit 1; }
printf 'quor-workbench 1\ntempo 100 0 4\nsnap on 1\n' > "$work/tesk.workbench"
"$QUOR_BIN_DIR/quor-mem" motion export "$work/tesk.mem" > "$work/before.txt"
# The camera's position x curve: x = 868 + t * 404 / 31, its top at y 218, 90 pixels high, the
# values -6.25 to 10.4 over 82 of them. The key tools' row at y 344 (the factor at x 1000, the
# stretch at x 1092); the position y channel's row at y 65.
screen=1600x900
(cd "$work" && run_in_x "$work/x.log" bash -c '
  source "$QUOR_WINDOW_LIB"
  start_workbench
  x_of() { awk -v t="$1" "BEGIN { printf \"%d\", 868 + t * 404 / 31 + 0.5 }"; }
  y_of() { awk -v v="$1" "BEGIN { printf \"%d\", 218 + 86 - (v + 6.25) / 16.65 * 82 + 0.5 }"; }
  # The key at 2 s (value -1.821) dragged 7 pixels later: 2.54 s, on the beat at 2.4 s.
  xdotool mousemove --window "$id" $(x_of 2) $(y_of -1.821); sleep 0.3
  xdotool mousedown 1; sleep 0.5
  xdotool mousemove_relative 4 0; sleep 0.3; xdotool mousemove_relative 3 0; sleep 0.5
  xdotool mouseup 1; sleep 0.5
  save_as_text dragged.txt
  xdotool key ctrl+z; sleep 0.5
  save_as_text drag_undone.txt
  # To the key at 5 s, then a box around the keys at 5, 5.5 and 6 s (Shift+drag).
  xdotool key Home; for i in 1 2 3 4 5 6 7 8 9 10; do xdotool key period; sleep 0.15; done
  xdotool mousemove --window "$id" $(x_of 4.85) 221; sleep 0.3
  xdotool keydown shift; xdotool mousedown 1; sleep 0.5
  xdotool mousemove --window "$id" $(x_of 6.15) 306; sleep 0.5
  xdotool mouseup 1; xdotool keyup shift; sleep 0.5
  xdotool mousemove --window "$id" 1000 344 click 1; sleep 0.5
  xdotool type --delay 150 "0.5"; xdotool key Return; sleep 0.5
  xdotool mousemove --window "$id" 1092 344 click 1; sleep 0.5
  save_as_text squeezed.txt
  # Copied, snapping off (g), pasted at 5 s into position y.
  xdotool key ctrl+c g; sleep 0.3
  xdotool mousemove --window "$id" 900 65 click 1; sleep 0.5
  xdotool key ctrl+v; sleep 0.5
  save_as_text pasted.txt
  xdotool key ctrl+z; sleep 0.5
  save_as_text paste_undone.txt
  xdotool key ctrl+z; sleep 0.5
  save_as_text squeeze_undone.txt
  xdotool key --window "$id" Escape
  wait $pid; echo $? > status')
cd "$work"
# The key times of a camera channel (x or y) in an export.
times() { awk -v want="$1" '/^Record camera/ { cam = 1 } cam && /Channel/ { on = ($2 == "position." want) }
  cam && on && $1 == "Key" { printf "%s ", $3 } END { print "" }' "$2"; }
# Those from `from` to `to` seconds.
between() { times "$1" "$2" | tr ' ' '\n' | awk -v a="$3" -v b="$4" '$1 != "" && $1 >= a && $1 <= b' | tr '\n' ' '; }
expect_eq "$(between x dragged.txt 1.5 3)" "1.5 2.4 2.5 3 " "the key dragged from 2 s landed on the beat at 2.4 s"
expect_eq "$(cmp -s before.txt drag_undone.txt && echo same || echo differs)" same "one undo takes the drag back"
expect_eq "$(between x squeezed.txt 4.5 7)" "4.5 5 5.25 5.5 6.5 7 " "5, 5.5 and 6 s squeezed to half about 5 s: 5, 5.25, 5.5 s"
expect_eq "$(between y pasted.txt 4.5 6)" "4.5 5 5.25 5.5 6 " "pasted into position y at 5 s"
expect_eq "$(cmp -s squeezed.txt paste_undone.txt && echo same || echo differs)" same "one undo takes the paste back"
expect_eq "$(cmp -s before.txt squeeze_undone.txt && echo same || echo differs)" same "one more takes the squeeze back"
expect_contains tesk.workbench "snap off 1" "the side file holds the snapping turned off with g"
expect_contains tesk.workbench "tempo 100 0 4" "and the tempo it was read with"
expect_empty_file stderr.txt "nothing on stderr"
expect_eq "$(cat status 2>/dev/null)" 0 "Escape: status 0"

# The player never opens the side file: a damaged one changes nothing.
printf 'quor-workbench 99\n\x01garbage\n' > tesk.workbench
demo_escape "$work" 3
expect_empty_file stderr.txt "the player beside a damaged side file: nothing on stderr"
expect_eq "$(cat status 2>/dev/null)" 0 "the player beside a damaged side file: status 0"
finish
