#!/usr/bin/env bash
# Nothing lost without asking, through the real window (a private X server, openbox, XTEST by way
# of xdotool, the close button by way of wmctrl): with an edit unsaved, Escape and the window's
# close button ask instead of ending, and "Stay" stays; a save the file system refuses (the data
# folder deleted under the running workbench) says why on the status line; "Save a copy..."
# writes a whole, valid data file where the user says; "Quit without saving" ends with 0 and
# leaves the copy as it was saved.
set -u
source "$(dirname "$0")/lib.bash"
needs_workbench
work=$(data_copy) || { echo "FAIL: could not build the data"; exit 1; }
mkdir "$work/data" "$work/copy"
mv "$work/tesk.mem" "$work/demo.mp3" "$work/data/"
# In a 1280x720 window: the value of the camera's position x key at 1 s (the key table), the
# question's buttons over the transport, and the status line at the transport's foot.
workbench_in_x "$work" '
  edit_value() { click 960 425; xdotool type --delay 150 "$1"; xdotool key Return; sleep 1.5; }

  edit_value 1.5
  question > escape.txt
  xdotool key Escape; sleep 2; { alive; question; } >> escape.txt
  click 566 546; { alive; question; } >> escape.txt       # Stay
  wmctrl -c "render device test"; sleep 2; { alive; question; } > close.txt
  click 566 546; { alive; question; } >> close.txt        # Stay

  rm -rf data
  xdotool key ctrl+s; sleep 2
  status_line refused.rgb
  xdotool key Escape; sleep 2
  click 337 546                                           # Save a copy...
  xdotool type --delay 50 "$PWD/copy/tesk.mem"; xdotool key Return; said "saved a copy as"
  "$QUOR_BIN_DIR/quor-mem" motion export copy/tesk.mem > copied.txt 2>&1

  edit_value 2.5
  xdotool key Escape; sleep 2
  click 469 546                                           # Quit without saving
  timeout 10 tail --pid=$pid -f /dev/null; alive > quit.txt
  wait $pid; echo $? > status'

cd "$work"
expect_eq "$(tr '\n' ' ' < escape.txt)" "none alive asked alive none " "Escape with an unsaved edit asks, Stay stays"
expect_eq "$(tr '\n' ' ' < close.txt)" "alive asked alive none " "so does the close button"
expect_contains stderr.txt "quor-demo: not saved: " "a refused save says so"
# The failure's colour on the status line: the reason is on screen.
reason=$(python3 -c '
import sys
p = open(sys.argv[1], "rb").read()
print(sum(1 for i in range(0, len(p), 3) if p[i] > 200 and 80 < p[i + 1] < 150 and p[i + 2] < 130))' refused.rgb 2>/dev/null)
expect_eq "$([ "${reason:-0}" -gt 100 ] && echo shown || echo "not shown (${reason:-no picture})")" shown \
  "the reason is shown on the status line"
expect_contains out.txt "quor-demo: saved a copy as $work/copy/tesk.mem" "the copy is said"
expect_contains copied.txt "Key 1.5 1 0 0 0 0 0 0 0" "the copy holds the edit"
expect_eq "$(cat quit.txt 2>/dev/null)" ended "Quit without saving ends"
expect_eq "$(cat status 2>/dev/null)" 0 "with status 0"
expect_eq "$("$QUOR_BIN_DIR/quor-mem" motion export copy/tesk.mem | cmp -s - copied.txt && echo kept || echo changed)" \
  kept "the unsaved edit did not reach the copy"
finish
