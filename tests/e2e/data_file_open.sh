#!/usr/bin/env bash
# Finding and opening tesk.mem: only a regular file counts (a FIFO or a folder by that name is
# passed over, and nothing waits on it), a file that is there but cannot be read or is far too
# large says so in one line. The music is taken from where the data was found.
set -u
source "$(dirname "$0")/lib.bash"
data=$(data_dir) || { echo "FAIL: could not build the data"; exit 1; }

# refused CASE DIR LINES...: the demo, started in DIR under its own X server, ends within 30 s with
# status 1 and exactly the lines given on stderr.
refused()
{
    local name=$1 dir=$2
    shift 2
    (cd "$dir" && timeout 30 xvfb-run -a -s '-screen 0 1024x768x24' \
        bash -c '"$QUOR_BIN_DIR/quor-demo" 2>stderr.txt; echo $? > status' >x.log 2>&1)
    expect_eq "$(cat "$dir/status" 2>/dev/null || echo "none: still running after 30 s")" 1 "$name: status"
    expect_eq "$(cat "$dir/stderr.txt" 2>/dev/null)" "$(printf '%s\n' "$@")" "$name: lines"
}

# As if it were missing (bad_data.sh).
work=$(make_workdir)
mkfifo "$work/tesk.mem"
installed=$(cd "$QUOR_BIN_DIR/.." && pwd)/share/quor
refused "FIFO" "$work" "WARNING: file not found: tesk.mem" \
    "quor-demo: tesk.mem: looked in $work, $(dirname "$work") and $installed; give its folder with --data DIR, or run the demo from the folder that holds it"
timeout 30 "$QUOR_BIN_DIR/quor-mem" check "$work/tesk.mem" >/dev/null 2>"$work/check.err"
expect_eq "$?" 1 "FIFO: quor-mem check status"
expect_eq "$(cat "$work/check.err")" "$work/tesk.mem: cannot be opened: not a regular file" "FIFO: quor-mem check line"

# Root reads whatever the permissions say; a link to itself cannot be read by anyone.
work=$(make_workdir)
ln -s tesk.mem "$work/tesk.mem"
refused "unreadable (link loop)" "$work" "WARNING: file cannot be read: tesk.mem: Too many levels of symbolic links"
if [ "$(id -u)" -ne 0 ]; then
    work=$(make_workdir)
    echo data >"$work/tesk.mem"
    chmod 000 "$work/tesk.mem"
    refused "unreadable (no permission)" "$work" "WARNING: file cannot be read: tesk.mem: Permission denied"
else
    echo "skip: unreadable (no permission): running as root, which reads whatever the permissions say"
fi

work=$(make_workdir)
truncate -s 3G "$work/tesk.mem"
refused "too large" "$work" "WARNING: file too large: tesk.mem"

# A folder named tesk.mem below the data folder: the data in the parent is found, and so is the
# music beside it (SDL's disk driver writes what would have been played).
work=$(make_workdir)
ln -s "$data/tesk.mem" "$work/tesk.mem"
ln -s "$data/demo.mp3" "$work/demo.mp3"
mkdir -p "$work/sub/tesk.mem"
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/played.raw" demo_escape "$work/sub" 3
expect_eq "$(cat "$work/sub/status" 2>/dev/null)" 0 "folder in the way: the demo runs from the parent's data"
expect_empty_file "$work/sub/stderr.txt" "folder in the way: nothing on stderr"
loud=$(head -c 2000000 "$work/played.raw" 2>/dev/null | tr -d '\000' | wc -c)
expect_eq "$([ "$loud" -gt 10000 ] && echo yes || echo "no ($loud non-zero bytes)")" yes \
    "folder in the way: the music beside the parent's data plays"
finish
