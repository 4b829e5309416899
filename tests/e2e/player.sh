#!/usr/bin/env bash
# The demo as a player, under a private X server with openbox: a window of the asked size with its
# class hint that outlives the timeline with --loop; Space freezes picture and music; F12 saves
# the frame as shown; the close button ends it with 0; --mute opens no audio device; GLUT's own
# options still pass; --help and --version need no display, nor do option errors; a bad option
# ends with 2 at once, a missing display with 1 and one line.
set -u
source "$(dirname "$0")/lib.bash"
data=$(data_dir) || { echo "FAIL: could not build the data"; exit 1; }
demo="$QUOR_BIN_DIR/quor-demo"

expect_eq "$(env -u DISPLAY "$demo" --version 2>&1; echo $?)" "quor-demo $(sed -n 's/^project(quor VERSION \([0-9.]*\).*/\1/p' "$QUOR_SOURCE_DIR/CMakeLists.txt")
0" "--version without a display"
expect_eq "$(env -u DISPLAY "$demo" --help 2>/dev/null | grep -c -- '--loop')" 1 "--help without a display"
# Without a display the options are still checked first; then one line of our own says so.
no_display="the demo plays in a window; quor-capture renders it to a video without a display"
while IFS='|' read -r args status message; do
  # shellcheck disable=SC2086
  expect_eq "$(env -u DISPLAY "$demo" $args 2>&1; echo $?)" "$message
$status" "without a display: quor-demo $args"
done <<EOF
--windw|2|quor-demo: --windw: unknown option, did you mean --window? (see quor-demo --help)
--start -3|2|quor-demo: --start: '-3' is not a number of seconds from 0 to 31 (see quor-demo --help)
--start 40|2|quor-demo: --start: '40' is not a number of seconds from 0 to 31 (see quor-demo --help)
--msaa 3|2|quor-demo: --msaa: '3' is not 2, 4 or 8 samples a pixel (see quor-demo --help)
--window|1|quor-demo: no display (DISPLAY is not set): $no_display
-display :4097 -sync --window=64x64|1|quor-demo: cannot open display :4097: $no_display
EOF

work=$(make_workdir)
ln -s "$data/tesk.mem" "$work/tesk.mem"
ln -s "$data/demo.mp3" "$work/demo.mp3"
mkdir "$work/shots"
(cd "$work/shots" && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/audio.raw" run_in_x "$work/x.log" bash -c '
  openbox >/dev/null 2>&1 & sleep 1
  "$QUOR_BIN_DIR/quor-demo" --bogus 2>bogus.txt; echo $? > bogus.status
  now() { date +%s.%N; }
  start=$(now)
  "$QUOR_BIN_DIR/quor-demo" -sync --window=800x600 --loop --data "'"$work"'" >names.txt 2>stderr.txt & pid=$!
  id=$(find-window "render device test" 20)
  sleep 3
  xwininfo -id "$id" > geometry.txt
  xprop -id "$id" WM_CLASS > class.txt
  x=$(awk "/Absolute upper-left X/ { print \$4 }" geometry.txt)
  y=$(awk "/Absolute upper-left Y/ { print \$4 }" geometry.txt)
  grab() { ffmpeg -v error -f x11grab -draw_mouse 0 -video_size 800x600 -i "$DISPLAY+$x,$y" -frames:v 1 "$1"; }
  xdotool key --window "$id" space
  sleep 0.5; awk -v a="$(now)" -v b="$start" "BEGIN { printf \"%.1f\", a - b }" > paused_at.txt
  grab grab1.png; xdotool key --window "$id" F12
  sleep 1
  grab grab2.png; xdotool key --window "$id" F12
  sleep 0.5
  xdotool key --window "$id" space
  sleep "$(awk -v a="$(now)" -v b="$start" "BEGIN { print 34 - (a - b) }")"
  kill -0 $pid 2>/dev/null && echo yes > alive.txt
  wmctrl -c "render device test"
  wait $pid; echo $? > status')
cd "$work/shots"
expect_eq "$(cat bogus.status 2>/dev/null)" 2 "unknown option: status 2"
expect_eq "$(cat bogus.txt)" "quor-demo: --bogus: unknown option (see quor-demo --help)" "unknown option: one line"
expect_eq "$(awk '/Width|Height/ { printf "%s ", $2 }' geometry.txt)" "800 600 " "--window=800x600 and -sync"
expect_contains class.txt '"quor-demo", "quor-demo"' "WM_CLASS"
expect_eq "$(cat alive.txt 2>/dev/null)" yes "up past 31 s with --loop"
expect_eq "$(cat status 2>/dev/null)" 0 "close button: status 0"
expect_empty_file stderr.txt "nothing on stderr"
rgb() { ffmpeg -v error -i "$1" -f rawvideo -pix_fmt rgb24 - | md5sum; }
shots=($(cat names.txt))
expect_eq "${#shots[@]}" 2 "F12 printed two names"
expect_eq "$(ls quor-*.png 2>/dev/null | wc -l)" 2 "F12 wrote two PNGs where the demo was started"
expect_eq "$(rgb grab1.png)" "$(rgb grab2.png)" "paused: screen grabs a second apart are equal"
expect_eq "$(rgb "${shots[0]:-none}")" "$(rgb "${shots[1]:-none}")" "paused: F12 shots a second apart are equal"
expect_eq "$(rgb "${shots[0]:-none}")" "$(rgb grab1.png)" "F12 shot equals the frame on screen"
# The longest stretch of digital silence in the music output, and where it starts (seconds).
read -r quiet_start quiet_length < <(od -An -v -td2 -w4 "$work/audio.raw" |
  awk '{ if ($1 == 0 && $2 == 0) { if (!r) s = NR; r++; if (r > m) { m = r; ms = s } } else r = 0 }
       END { printf "%.2f %.2f\n", ms / 44100, m / 44100 }')
expect_eq "$(awk -v q="$quiet_length" 'BEGIN { print (q >= 1.5) }')" 1 "paused: the music output is silent ($quiet_length s)"
echo "silence from $quiet_start s, pause at $(cat paused_at.txt) s after start"

# Muted and multisampled: the screenshot is the resolved picture the screen shows.
work=$(make_workdir)
ln -s "$data/tesk.mem" "$work/tesk.mem"
ln -s "$data/demo.mp3" "$work/demo.mp3"
(cd "$work" && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/audio.raw" run_in_x "$work/x.log" bash -c '
  "$QUOR_BIN_DIR/quor-demo" --mute --msaa 4 --window=320x240 >names.txt 2>stderr.txt & pid=$!
  id=$(find-window "render device test" 20)
  x=$(xwininfo -id "$id" | awk "/Absolute upper-left X/ { print \$4 }")
  y=$(xwininfo -id "$id" | awk "/Absolute upper-left Y/ { print \$4 }")
  grab() { ffmpeg -v error -y -f x11grab -draw_mouse 0 -video_size 320x240 -i "$DISPLAY+$x,$y" -frames:v 1 "$1"; }
  # until SAME|DIFFERENT: grabs the screen twice a second until two pictures in a row are the
  # same or differ (at most 30 s), so that a slow start on a busy machine changes nothing.
  until_pictures() {
    grab a.png; a=$(md5sum < a.png)
    for i in $(seq 60); do
      sleep 0.5; grab a.png; b=$(md5sum < a.png)
      { [ "$1" = same ] && [ "$a" = "$b" ]; } || { [ "$1" = different ] && [ "$a" != "$b" ]; } && break
      a=$b
    done
  }
  # Space once the demo runs, F12 once the pause has taken effect: the frame that takes a pause is
  # still drawn at the time before it, and an F12 then would save what the screen no longer shows.
  until_pictures different
  xdotool key --window "$id" space
  until_pictures same
  xdotool key --window "$id" F12
  for i in $(seq 60); do [ -s names.txt ] && break; sleep 0.5; done
  grab grab.png
  xdotool key --window "$id" Escape
  wait $pid; echo $? > status')
expect_eq "$(cat "$work/status" 2>/dev/null)" 0 "--mute: Escape ends with 0"
expect_eq "$([ -e "$work/audio.raw" ] && echo opened || echo none)" none "--mute: no audio device opened"
expect_eq "$(rgb "$(cat "$work/names.txt")")" "$(rgb "$work/grab.png")" "--msaa 4: F12 shot equals the frame on screen"
finish
