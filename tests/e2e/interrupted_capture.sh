#!/usr/bin/env bash
# An interrupted capture leaves nothing that looks whole: no video at the output, an output that
# was there before byte for byte as it was, only complete pictures in a frames folder; a failing
# status and one line saying what was interrupted.
set -u
source "$(dirname "$0")/lib.bash"
cap="$QUOR_BIN_DIR/quor-capture"
work=$(make_workdir)
logs=$(make_workdir)
unset DISPLAY
data=$(data_dir) || { echo "FAIL: could not build the data"; exit 1; }

# interrupt SIGNAL WAIT_FOR NAME ARGS...: starts a capture (signals at their defaults, as from a
# terminal), sends SIGNAL once WAIT_FOR exists (a sign that frames are being written) or after 20 s,
# and leaves NAME.err and NAME.status in $logs.
interrupt()
{
    local signal=$1 wait_for=$2 name=$3
    shift 3
    env --default-signal=INT,TERM "$cap" --data "$data" --size 320x180 "$@" 2>"$logs/$name.err" &
    local pid=$! tries=0
    sleep 1
    while ! compgen -G "$wait_for" >/dev/null && [ $tries -lt 190 ]; do
        sleep 0.1
        tries=$((tries + 1))
    done
    kill -s "$signal" $pid
    local waited=0
    while kill -0 $pid 2>/dev/null && [ $waited -lt 300 ]; do
        sleep 0.1
        waited=$((waited + 1))
    done
    if kill -0 $pid 2>/dev/null; then
        kill -KILL $pid
        echo "FAIL: $name: still running 30 s after $signal"
        failures=$((failures + 1))
    fi
    wait $pid
    echo $? >"$logs/$name.status"
}

# said NAME SIGNAL: the status of death by SIGNAL and exactly one line about the interruption.
said()
{
    local name=$1 signal=$2
    expect_eq "$(cat "$logs/$name.status")" $((128 + $(kill -l "$signal"))) "$name: status"
    expect_eq "$(grep -c "interrupted by SIG$signal" "$logs/$name.err")" 1 \
        "$name: one line says so: $(tail -c 300 "$logs/$name.err")"
}

interrupt TERM "$work/fresh.incomplete.mp4" fresh --out "$work/fresh.mp4"
said fresh TERM
expect_eq "$(ls "$work" | grep -c '^fresh')" 0 "fresh: no video and no incomplete file"

head -c 100000 /dev/urandom >"$work/kept.mp4"
cp "$work/kept.mp4" "$work/kept.before"
interrupt INT "$work/kept.incomplete.mp4" kept --out "$work/kept.mp4"
said kept INT
expect_eq "$(cmp "$work/kept.mp4" "$work/kept.before" && echo same)" same "kept: the earlier video byte for byte"
expect_eq "$(ls "$work" | grep -c '^kept\.incomplete')" 0 "kept: no incomplete file"

interrupt INT "$work/png/frame_00003.png" pictures --frames "$work/png"
said pictures INT
names=$(ls "$work/png" | grep -cv '^frame_[0-9]\{5\}\.png$')
expect_eq "$names" 0 "pictures: nothing but frame files: $(ls "$work/png" | grep -v '^frame_' | head -3)"
whole=0 torn=0
for f in "$work"/png/frame_*.png; do
    # A complete PNG ends with its IEND chunk.
    if [ "$(tail -c 8 "$f" | head -c 4)" = IEND ]; then whole=$((whole + 1)); else torn=$((torn + 1)); fi
done
expect_eq "$torn" 0 "pictures: every one complete ($whole of them)"
rm -rf "$work"
finish
