#!/usr/bin/env bash
# Typing into the workbench's key table through the real window (a private X server, openbox,
# XTEST by way of xdotool): a number clicked and typed, then Enter, changes that key's value and
# nothing else; a number typed and then Escaped changes nothing; one undo takes the whole typed
# number back. Ctrl+A selects a field's whole text each time, Ctrl let go before A or after it:
# in a key's value and in Save as's path. What the file holds after each save is read back
# through the text export.
set -u
source "$(dirname "$0")/lib.bash"
needs_workbench
work=$(data_copy) || { echo "FAIL: could not build the data"; exit 1; }
"$QUOR_BIN_DIR/quor-mem" motion export "$work/tesk.mem" > "$work/before.txt"
# The key table in a 1280x720 window, the camera's position x selected as at the start: rows of
# 23 pixels from the first key (0.5 s) at y 402; the value column at x 960, the tension at x 1087.
screen=1600x900
(cd "$work" && run_in_x "$work/x.log" bash -c '
  source "$QUOR_WINDOW_LIB"
  start_workbench
  xdotool mousemove --window "$id" 960 425 click 1; sleep 1
  xdotool type --delay 150 "1.5"; xdotool key Return; sleep 1
  xdotool mousemove --window "$id" 1087 448 click 1; sleep 1
  xdotool type --delay 150 "0.7"; xdotool key Escape; sleep 1
  save_as_text typed.txt
  xdotool key ctrl+z; sleep 1
  save_as_text undone.txt

  ctrl_a_ctrl_first() { xdotool keydown ctrl keydown a keyup ctrl keyup a; sleep 0.5; }
  xdotool mousemove --window "$id" 960 425 click 1; sleep 1
  xdotool key End; xdotool type 9; ctrl_a_ctrl_first; xdotool type 3; xdotool key ctrl+a; xdotool type 2
  xdotool key Return; sleep 1
  save_as_text selected.txt
  xdotool mousemove --window "$id" 177 565 click 1; sleep 1.5      # Save as...: its path has the keyboard
  ctrl_a_ctrl_first; xdotool type --delay 50 "$PWD/junk"; xdotool key ctrl+a
  xdotool type --delay 50 "$PWD/copy.mem"; xdotool key Return
  for i in $(seq 60); do grep -q "saved a copy" out.txt && break; sleep 0.25; done
  xdotool key --window "$id" Escape
  wait $pid; echo $? > status')
cd "$work"
expect_eq "$(diff before.txt typed.txt | grep -c '^[<>]')" 2 "one line of the export changed"
expect_eq "$(diff before.txt typed.txt | grep '^>')" ">     Key 1.5 1 0 0 0 0 0 0 0" \
  "the typed value went into the key at 1 s, Escape left the tension of the next key alone"
expect_eq "$(cmp -s before.txt undone.txt && echo same || echo differs)" same "one undo takes the typed value back"
expect_contains selected.txt "Key 2 1 0 0 0 0 0 0 0" "Ctrl+A selected the value twice, Ctrl let go first the first time"
expect_contains out.txt "quor-demo: saved a copy as $work/copy.mem" "and the path in Save as"
expect_empty_file stderr.txt "nothing on stderr"
expect_eq "$(cat status 2>/dev/null)" 0 "Escape: status 0"
finish
