#!/usr/bin/env bash
# The Windows exe's workbench under Wine, driven through its window (a private X server, openbox,
# XTEST by way of xdotool) on a copy of the data in a folder named in accented Latin and Japanese:
# `--edit` opens a 1280x720 window on a still picture, which Space plays and pauses; a number
# typed into the key table's value column, then Enter and Ctrl+S, is said saved once and changes
# that key alone, and the file it writes passes the check of the data file; the side file beside
# it is read (snapping on at 100 BPM), and g, which turns snapping off, writes it; the music's
# waveform is cached beside them and nothing else is left; Escape ends with 0 and nothing is said
# on stderr. The data is the Linux build's; the check and the text
# export are quor-mem.exe's.
set -u
source "$QUOR_SOURCE_DIR/tests/windows/lib.bash"

work=$(make_workdir)
folder="$work/Données データ"
mkdir "$folder"
cp "$data/tesk.mem" "$folder/tesk.mem"
ln -s "$data/demo.mp3" "$folder/demo.mp3"
printf 'quor-workbench 1\ntempo 100 0 4\nsnap on 1\n' >"$folder/tesk.workbench"
mem() { (cd "$folder" && "$wine_sh" "$WINEPREFIX" "$bin/quor-mem.exe" "$@"); }
mem motion export tesk.mem >"$work/before.txt"
data_arg=$("$wine_sh" "$WINEPREFIX" winepath -w "$folder" 2>/dev/null)

# The key table in a 1280x720 window, the camera's position x selected as at the start: the value
# of its key at 1 s at (960, 425), as on Linux. The picture is the window's top left 860x484.
screen=1600x900 in_wine "$work" '
  openbox >/dev/null 2>&1 & sleep 1
  started=$(date +%s)
  wine "$bin/quor-demo.exe" --edit --mute --window=1280x720 "--data='"$data_arg"'" >out.txt 2>stderr.txt & pid=$!
  id=$(find-window "render device test" 60)
  echo "the window after $(( $(date +%s) - started )) s" >window.txt
  [ -n "$id" ] || { xwininfo -root -tree | grep "\"" >windows.txt; ps -eo pid,stat,etime,args >processes.txt; }
  sleep 4
  xdotool windowactivate --sync "$id" 2>/dev/null
  xwininfo -id "$id" >geometry.txt
  x=$(awk "/Absolute upper-left X/ { print \$4 }" geometry.txt)
  y=$(awk "/Absolute upper-left Y/ { print \$4 }" geometry.txt)
  picture() {
    ffmpeg -v error -f x11grab -draw_mouse 0 -video_size 860x484 -i "$DISPLAY+$x,$y" -frames:v 1 \
      -f rawvideo -pix_fmt rgb24 - | md5sum
  }
  { picture; sleep 1; picture; } >paused.txt
  xdotool key --window "$id" space; sleep 1
  { picture; sleep 1; picture; } >playing.txt
  xdotool key --window "$id" space; sleep 1
  xdotool mousemove --window "$id" 960 425 click 1; sleep 1
  xdotool type --delay 150 1.5; xdotool key Return; sleep 1
  xdotool key ctrl+s; sleep 2
  xdotool key g; sleep 2
  xdotool key --window "$id" Escape
  wait $pid; echo $? >status'

cd "$work"
expect_eq "$(awk '/Width|Height/ { printf "%s ", $2 }' geometry.txt 2>/dev/null)" "1280 720 " "--edit opens a 1280x720 window"
expect_eq "$(uniq paused.txt 2>/dev/null | wc -l)" 1 "it opens paused: the picture stands still"
expect_eq "$(uniq playing.txt 2>/dev/null | wc -l)" 2 "Space plays: the picture moves"
expect_eq "$(demo_lines out.txt)" "quor-demo: saved tesk.mem" "Ctrl+S says saved, once"
mem motion export tesk.mem >after.txt
expect_eq "$(diff before.txt after.txt | grep '^[<>]' | grep -c .)" 2 "one line of the export changed"
expect_eq "$(diff before.txt after.txt | grep '^>')" ">     Key 1.5 1 0 0 0 0 0 0 0" "the typed value went into the key at 1 s"
expect_eq "$(mem check tesk.mem >check.txt 2>&1; echo $?)" 0 "the saved file passes the check"
expect_contains "$folder/tesk.workbench" "snap off 1" "g turns off the snapping the side file beside the data turned on, and writes it"
expect_contains "$folder/tesk.workbench" "tempo 100 0 4" "and the tempo it was read with"
expect_eq "$(ls "$folder" | tr '\n' ' ')" "demo.mp3 demo.peaks tesk.mem tesk.workbench " \
    "the music's waveform cached beside them, and nothing else left there"
expect_no_lines stderr.txt "nothing on stderr"
expect_eq "$(cat status 2>/dev/null)" 0 "Escape: status 0"
# What a failure needs to be read: when the window came, what the program and the X server said.
if [ "$failures" -gt 0 ]; then
  cat window.txt 2>/dev/null
  sed 's/^/  stdout: /' out.txt 2>/dev/null
  sed 's/^/  stderr: /' stderr.txt 2>/dev/null
  tail -20 x.log 2>/dev/null | sed 's/^/  X and Wine: /'
  sed 's/^/  windows then: /' windows.txt 2>/dev/null
  grep -i 'wine\|quor' processes.txt 2>/dev/null | sed 's/^/  running then: /'
fi
finish
