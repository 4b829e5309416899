#!/usr/bin/env bash
# The demo window opens under a private X server and a real Escape key event ends it with status 0,
# also when the music file is missing or is not music; the audio stack stays quiet on stderr.
# Without a sound device it says so in one line, and --mute plays silent without it. SIGTERM ends
# it too while its music plays.
set -u
source "$(dirname "$0")/lib.bash"
data=$(data_dir) || { echo "FAIL: could not build the data"; exit 1; }

for music in missing junk; do
  work=$(make_workdir)
  ln -s "$data/tesk.mem" "$work/tesk.mem"
  [ "$music" = junk ] && head -c 50000 /dev/urandom > "$work/demo.mp3"
  demo_escape "$work" 2
  expect_eq "$(cat "$work/status" 2>/dev/null)" 0 "exit status after Escape ($music music)"
  expect_empty_file "$work/stderr.txt" "nothing on stderr ($music music)"
done

# No sound device (a driver SDL does not have): one line, and Escape still ends with 0.
work=$(make_workdir)
ln -s "$data/tesk.mem" "$work/tesk.mem"
ln -s "$data/demo.mp3" "$work/demo.mp3"
SDL_AUDIODRIVER=none-here demo_escape "$work" 2
expect_eq "$(cat "$work/status" 2>/dev/null)" 0 "no sound device: Escape ends with 0"
expect_eq "$(cat "$work/stderr.txt")" "quor-demo: no sound device: playing without music" "no sound device: said once"
(cd "$work" && SDL_AUDIODRIVER=none-here run_in_x "$work/x.log" "$QUOR_BIN_DIR/quor-demo" --mute --window=320x240 --start 30.5 \
   2>mute.txt)
expect_empty_file "$work/mute.txt" "no sound device, --mute: nothing on stderr"

# With music playing (SDL's silent driver), SIGTERM still ends the demo: SDL leaves signals alone.
work=$(make_workdir)
ln -s "$data/tesk.mem" "$work/tesk.mem"
ln -s "$data/demo.mp3" "$work/demo.mp3"
(cd "$work" && SDL_AUDIODRIVER=dummy run_in_x "$work/x.log" bash -c '
  "$QUOR_BIN_DIR/quor-demo" 2>stderr.txt & pid=$!
  xdotool search --sync --name "render device test" >/dev/null 2>&1
  sleep 2
  kill -TERM $pid
  wait $pid; echo $? > status')
expect_eq "$(cat "$work/status" 2>/dev/null)" 143 "SIGTERM ends the demo while music plays"
finish
