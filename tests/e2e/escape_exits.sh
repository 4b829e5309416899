#!/usr/bin/env bash
# The demo window opens under a private X server and a real Escape key event ends it with status 0,
# also when the music file is missing or is not music; the audio stack stays quiet on stderr.
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
finish
