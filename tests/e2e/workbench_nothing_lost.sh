#!/usr/bin/env bash
# Nothing another program did is lost, through the real window (a private X server, openbox,
# XTEST by way of xdotool): with an edit of the camera unsaved, quor-mem imports a texture and
# the object's motion into the data file, the user keeps the edits and saves as the name offered
# (the data file itself): the file then holds the edit, the texture and the object's motion. The
# import panel lists two glTF files whose names differ only before "###" (Dear ImGui's identity
# mark): both show whole, and the one picked is the one imported. A folder typed into the panel's
# folder field replaces the one shown there.
set -u
source "$(dirname "$0")/lib.bash"
needs_workbench
work=$(data_copy) || { echo "FAIL: could not build the data"; exit 1; }
write=$(cd "$(dirname "$0")" && pwd)/camera_gltf.py
mkdir "$work/shots"
python3 "$write" "$work/shots/a###same.gltf" 4
python3 "$write" "$work/shots/b###same.gltf" -7
python3 -c 'import sys; sys.stdout.buffer.write(b"P6 16 16 255\n" + b"\xff\x00\x00" * 256)' > "$work/red.ppm"
# The object's record as the file holds it, but for its position x.
"$QUOR_BIN_DIR/quor-mem" motion export "$work/tesk.mem" | sed -n '/^Record object/,/^}/p' |
  sed 's/position.x Constant .*/position.x Constant 2.5/' > "$work/object.txt"
cp "$work/tesk.mem" "$work/original.mem"
screen=1600x900
# In a 1280x720 window: the value of the camera's position x key at 1 s, the question's "Keep my
# edits", the transport's "Save as..." and "Import...", the panel's second file, its Import.
(cd "$work/shots" && run_in_x "$work/x.log" bash -c '
  openbox >/dev/null 2>&1 & sleep 1
  "$QUOR_BIN_DIR/quor-demo" --edit --mute --window=1280x720 --data .. >../out.txt 2>../stderr.txt & pid=$!
  id=$(find-window "render device test" 20)
  sleep 3
  xdotool windowactivate --sync "$id" 2>/dev/null
  click() { xdotool mousemove --window "$id" "$1" "$2" click 1; sleep 1.5; }
  click 960 425; xdotool type --delay 150 1.5; xdotool key Return; sleep 1.5
  "$QUOR_BIN_DIR/quor-mem" texture import 4 ../red.ppm --into ../tesk.mem >../import.txt 2>&1
  "$QUOR_BIN_DIR/quor-mem" motion import ../object.txt --into ../tesk.mem >>../import.txt 2>&1
  cp ../tesk.mem ../imported.mem
  sleep 2
  click 503 546                                           # Keep my edits
  click 177 565                                           # Save as...
  xdotool key Return
  for i in $(seq 60); do grep -q "saved" ../out.txt && break; sleep 0.25; done
  "$QUOR_BIN_DIR/quor-mem" motion export ../tesk.mem >../saved.txt 2>&1
  # Import...; the folder typed over the one shown (the same); the second file, imported.
  click 42 588; click 1040 62; xdotool type --delay 50 "$PWD"; xdotool key Return; sleep 1
  click 910 119; click 900 349
  sleep 2
  kill $pid; wait $pid')
cd "$work"
# Texture 4's 192 bytes: its 8-byte prefix and DXT1 chain at the end of the texture region.
texture() { tail -c +$((129430392 + 1747712 + 1)) "$1" | head -c 192 | od -An -tx1; }
expect_eq "$([ "$(texture imported.mem)" != "$(texture original.mem)" ] && echo changed || echo same)" changed \
  "the import changed the texture ($(head -c 200 import.txt))"
expect_eq "$([ "$(texture tesk.mem)" = "$(texture imported.mem)" ] && echo kept || echo lost)" kept \
  "save as over the data file keeps the other program's texture"
expect_contains saved.txt "Key 1.5 1 0 0 0 0 0 0 0" "and holds the edit"
expect_eq "$(grep -A2 '^Record object' saved.txt | tail -1 | tr -s ' ')" " Channel position.x Constant 2.5" \
  "and the other program's change to the object's motion"
expect_contains out.txt "quor-demo: saved " "the save is said"
expect_eq "$(grep -c 'saved a copy' out.txt)" 0 "not as a copy"
expect_contains out.txt "from b###same.gltf into the camera" "the file picked is the file imported"
finish
