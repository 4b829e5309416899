#!/usr/bin/env bash
# The demo runs its whole timeline by itself and exits 0 (31 s and a 30-frame countdown), playing
# its music: with SDL's disk audio driver the mixed output is not silence.
set -u
source "$(dirname "$0")/lib.bash"
data=$(data_dir) || { echo "FAIL: could not build the data"; exit 1; }
work=$(make_workdir)
ln -s "$data/tesk.mem" "$work/tesk.mem"
ln -s "$data/demo.mp3" "$work/demo.mp3"
cd "$work"
start=$(date +%s)
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/audio.raw" run_in_x "$work/x.log" \
  bash -c '"$QUOR_BIN_DIR/quor-demo" 2>stderr.txt; echo $? > status'
took=$(( $(date +%s) - start ))
expect_eq "$(cat status 2>/dev/null)" 0 "exit status at the end of the timeline"
expect_eq "$([ "$took" -ge 31 ] && [ "$took" -le 90 ] && echo yes || echo "no ($took s)")" yes "ran for the timeline's 31 s"
expect_empty_file stderr.txt "nothing on stderr"
loud=$(od -An -v -td2 -w2 audio.raw 2>/dev/null | awk '{ if ($1 > 1000 || $1 < -1000) n++ } END { print n + 0 }')
expect_eq "$([ "$loud" -gt 44100 ] && echo yes || echo "no ($loud loud samples)")" yes "music output is not silent"
finish
