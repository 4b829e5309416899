#!/usr/bin/env bash
# The Windows player under Wine, each run under its own X server: the whole timeline ends by
# itself with 0 while the music plays for its length (ALSA's file plugin keeps what Wine played);
# Escape ends with 0; without data the same lines as on Linux and 1; without a sound device it runs
# silent and ends with 0; F12 after a pause writes the picture; a frame at a fixed demo time equals
# the Linux build's frame of that time. Needs the Linux build (QUOR_LINUX_BIN_DIR, default build/bin)
# for the data and the reference frame.
set -u
export QUOR_BIN_DIR=${QUOR_LINUX_BIN_DIR:-$QUOR_SOURCE_DIR/build/bin}
source "$QUOR_SOURCE_DIR/tests/e2e/lib.bash"
[ -x "$QUOR_BIN_DIR/quor-mem" ] || { echo "FAIL: no Linux build in $QUOR_BIN_DIR (scripts/build.sh release)"; exit 1; }
data=$(data_dir) || { echo "FAIL: could not build the data"; exit 1; }
exe="$QUOR_WINDOWS_BIN_DIR/quor-demo.exe"
export WINEPREFIX="$QUOR_WINDOWS_BIN_DIR/../wineprefix"
wine_run="$QUOR_SOURCE_DIR/tests/windows/wine.sh"
"$wine_run" "$WINEPREFIX" cmd /c exit >/dev/null 2>&1 # makes the prefix once, outside the timings
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# in_wine DIR SCRIPT: runs SCRIPT with bash in DIR under its own X server, with Wine's desktop
# started first (its helpers keep whatever stderr they are started with) and Wine's processes
# ended before the X server goes. SCRIPT runs the exe as "$exe"; ARGS.
in_wine()
{
    local dir=$1 script=$2
    (cd "$dir" && exe="$exe" run_in_x "$dir/x.log" bash -c '
      wine wineboot >/dev/null 2>&1
      '"$script"'
      wineserver -k >/dev/null 2>&1; wineserver -w')
}

# An ALSA device that keeps what is played in a file, as raw samples.
recording_home()
{
    mkdir -p "$1"
    printf 'pcm.!default { type file; slave.pcm "null"; file "%s"; format "raw" }\n' "$2" >"$1/.asoundrc"
}

# The same lines, whatever the line ends.
lines() { tr -d '\r' <"$1" 2>/dev/null; }

work=$(make_workdir)
ln -s "$data/tesk.mem" "$work/tesk.mem"
ln -s "$data/demo.mp3" "$work/demo.mp3"
recording_home "$work/home" "$work/audio.raw"
start=$(date +%s)
HOME="$work/home" in_wine "$work" 'wine "$exe" 2>stderr.txt; echo $? > status'
took=$(( $(date +%s) - start ))
expect_eq "$(cat "$work/status" 2>/dev/null)" 0 "the timeline ends by itself with 0"
expect_eq "$([ "$took" -ge 31 ] && [ "$took" -le 120 ] && echo yes || echo "no ($took s)")" yes "ran for the timeline's 31 s"
expect_empty_file "$work/stderr.txt" "nothing on stderr"
bytes=$(stat -c %s "$work/audio.raw" 2>/dev/null || echo 0)
echo "audio: $bytes bytes in $took s"
finish
