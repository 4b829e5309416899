#!/usr/bin/env bash
# The demo window opens under a private X server and a real Escape key event ends it with status 0,
# also when the music file is missing or is not music; the audio stack stays quiet on stderr.
# Without a sound device the player and the workbench say so in one line, and --mute says nothing.
# SIGTERM ends it too while its music plays.
set -u
source "$(dirname "$0")/lib.bash"
data=$(data_dir) || { echo "FAIL: could not build the data"; exit 1; }

for music in missing junk; do
  work=$(make_workdir)
  ln -s "$data/tesk.mem" "$work/tesk.mem"
  [ "$music" = junk ] && head -c 50000 /dev/urandom > "$work/demo.mp3"
  # A device that opens (SDL's silent driver), so that the junk reaches the decoder.
  SDL_AUDIODRIVER=dummy demo_escape "$work" 2
  expect_eq "$(cat "$work/status" 2>/dev/null)" 0 "exit status after Escape ($music music)"
  expect_empty_file "$work/stderr.txt" "nothing on stderr ($music music)"
done

# No audio device opens (a driver SDL does not have): one line, and the show goes on.
no_device="quor-demo: no sound device: playing without music"
modes=(player muted)
"$QUOR_BIN_DIR/quor-demo" --help | grep -q -- --edit && modes+=(workbench)
for mode in "${modes[@]}"; do
  work=$(make_workdir)
  ln -s "$data/tesk.mem" "$work/tesk.mem"
  ln -s "$data/demo.mp3" "$work/demo.mp3"
  case $mode in player) args= ;; muted) args=--mute ;; workbench) args=--edit ;; esac
  (cd "$work" && SDL_AUDIODRIVER=none-such run_in_x "$work/x.log" bash -c '
    "$QUOR_BIN_DIR/quor-demo" '"$args"' 2>stderr.txt & pid=$!
    find-window "render device test" 20 >/dev/null
    sleep 2
    xdotool key --window "$(find-window "render device test" 3)" Escape >/dev/null 2>&1
    wait $pid; echo $? > status')
  expect_eq "$(cat "$work/status" 2>/dev/null)" 0 "no sound device ($mode): Escape ends with 0"
  if [ "$mode" = muted ]; then
    expect_empty_file "$work/stderr.txt" "no sound device, --mute: nothing on stderr"
  else
    expect_eq "$(cat "$work/stderr.txt")" "$no_device" "no sound device ($mode): said in one line"
  fi
done

# With music playing (SDL's silent driver), SIGTERM still ends the demo: SDL leaves signals alone.
work=$(make_workdir)
ln -s "$data/tesk.mem" "$work/tesk.mem"
ln -s "$data/demo.mp3" "$work/demo.mp3"
(cd "$work" && SDL_AUDIODRIVER=dummy run_in_x "$work/x.log" bash -c '
  "$QUOR_BIN_DIR/quor-demo" 2>stderr.txt & pid=$!
  find-window "render device test" >/dev/null
  sleep 2
  kill -TERM $pid
  wait $pid; echo $? > status')
expect_eq "$(cat "$work/status" 2>/dev/null)" 143 "SIGTERM ends the demo while music plays"
finish
