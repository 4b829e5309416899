#!/usr/bin/env bash
# A missing or damaged tesk.mem stops the demo before it goes full screen: the file layer's
# warning where it applies, one clear line, status 1 (FIFOs, folders, unreadable and huge files:
# data_file_open.sh).
set -u
source "$(dirname "$0")/lib.bash"
data=$(data_dir) || { echo "FAIL: could not build the data"; exit 1; }

run_case()
{
    local name=$1 dir=$2
    (cd "$dir" && run_in_x "$dir/x.log" bash -c '"$QUOR_BIN_DIR/quor-demo" 2>stderr.txt; echo $? > status')
    expect_eq "$(cat "$dir/status" 2>/dev/null)" 1 "status 1 ($name)"
}

work=$(make_workdir); mkdir -p "$work/run"
run_case "no tesk.mem" "$work/run"
expect_contains "$work/run/stderr.txt" "WARNING: file not found: tesk.mem" "file-layer warning (no tesk.mem)"
expect_eq "$(wc -l < "$work/run/stderr.txt")" 2 "warning plus one line (no tesk.mem)"
installed=$(cd "$QUOR_BIN_DIR/.." && pwd)/share/quor
expect_contains "$work/run/stderr.txt" "looked in $work/run, $work and $installed; give its folder with --data DIR" \
  "where it looked and how to point the demo at the data (no tesk.mem)"

work=$(make_workdir)
head -c 1000000 "$data/tesk.mem" > "$work/tesk.mem"
run_case "truncated" "$work"
expect_contains "$work/stderr.txt" "shorter than" "truncated file named as such"
expect_eq "$(wc -l < "$work/stderr.txt")" 1 "one line (truncated)"

work=$(make_workdir)
cp "$data/tesk.mem" "$work/tesk.mem"
printf '\377\377\377\377' | dd of="$work/tesk.mem" bs=1 seek=$((129272640 + 24 + 400)) conv=notrunc status=none
run_case "index out of range" "$work"
expect_contains "$work/stderr.txt" "mesh 1" "bad index named with its list"
finish
