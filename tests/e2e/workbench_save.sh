#!/usr/bin/env bash
# The workbench's own save through the real window (a private X server, openbox, XTEST by way of
# xdotool): an edit unsaved, an import from the shell, "Keep my edits", Ctrl+S. The save is said
# once, as a save, never as a reload, and the file holds the edit. Escape closes "Save a copy"
# at once, though its path field has the keyboard.
set -u
source "$(dirname "$0")/lib.bash"
needs_workbench
work=$(data_copy) || { echo "FAIL: could not build the data"; exit 1; }
mkdir "$work/data"
mv "$work/tesk.mem" "$work/demo.mp3" "$work/data/"
# In a 1280x720 window: the value of the camera's position x key at 1 s (the key table), the
# reload question's "Keep my edits", the transport's "Save as...".
workbench_in_x "$work" '
  click 960 425; xdotool type --delay 150 1.5; xdotool key Return; sleep 1.5
  "$QUOR_BIN_DIR/quor-mem" motion export data/tesk.mem -o motion.txt
  "$QUOR_BIN_DIR/quor-mem" motion import motion.txt --into data/tesk.mem >/dev/null; sleep 2
  question > asked.txt
  click 503 546                                           # Keep my edits
  xdotool key ctrl+s; sleep 3                             # time enough for any reload to show
  "$QUOR_BIN_DIR/quor-mem" motion export data/tesk.mem > saved.txt 2>&1

  click 176 565; question > copy.txt                      # Save as...
  xdotool key Escape; sleep 1.5; question >> copy.txt
  xdotool key Escape; sleep 2
  kill $pid; wait $pid'

cd "$work"
expect_eq "$(cat asked.txt)" asked "the import over unsaved edits asks"
expect_eq "$(cat out.txt)" "quor-demo: saved tesk.mem" "Ctrl+S says saved, once"
expect_eq "$(grep -c reloaded stderr.txt out.txt | awk -F: '{ n += $2 } END { print n }')" 0 "no reload is said"
expect_contains saved.txt "Key 1.5 1 0 0 0 0 0 0 0" "the file holds the edit"
expect_eq "$(tr '\n' ' ' < copy.txt)" "asked none " "one Escape closes Save a copy"
finish
