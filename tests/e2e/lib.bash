# Helpers for the end-to-end scripts: a scratch folder, a private X server, assertions.
failures=0
# The scripts' own tools (find-window), for them and for the shells they start under X.
PATH="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/bin:$PATH"
export PATH
# The GL driver is unloaded at exit, so its own allocations show up as leaks from an unknown
# module; leak checking belongs to the unit tests, not to whole-program runs.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

# A sound device for every run that names none: SDL's silent one. Without a device the player says
# so in a line, which escape_exits.sh checks with a driver that does not exist.
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}

# Every scratch folder of a script lives under one root that goes when the script ends (the
# damaged-data runs copy the 131 MB data file).
e2e_root=$(mktemp -d "${TMPDIR:-/tmp}/quor-e2e.XXXXXX")
trap 'rm -rf "$e2e_root"' EXIT
make_workdir() { mktemp -d "$e2e_root/run.XXXXXX"; }

# run_in_x LOG CMD...: runs CMD under its own Xvfb (never the caller's display), 1024x768 unless
# $screen names another size.
run_in_x()
{
    local log=$1
    shift
    timeout 120 xvfb-run -a -s "-screen 0 ${screen:-1024x768}x24" "$@" >"$log" 2>&1
}

expect_eq()
{
    if [ "$1" != "$2" ]; then
        echo "FAIL: $3: got '$1', expected '$2'"
        failures=$((failures + 1))
    else
        echo "ok: $3"
    fi
}

finish()
{
    [ "$failures" -eq 0 ] && exit 0
    exit 1
}

# data_dir: a folder with tesk.mem and demo.mp3 built by this build's quor-mem, shared by the
# scripts of one build tree and rebuilt when quor-mem is newer than the data.
data_dir()
{
    local dir="$QUOR_BIN_DIR/../e2e-data"
    mkdir -p "$dir"
    if [ ! -f "$dir/tesk.mem" ] || [ "$QUOR_BIN_DIR/quor-mem" -nt "$dir/tesk.mem" ]; then
        "$QUOR_BIN_DIR/quor-mem" build --out "$dir" >/dev/null || return 1
    fi
    (cd "$dir" && pwd)
}

# needs_workbench: ends the script as skipped when quor-demo is built without the workbench.
needs_workbench()
{
    if ! "$QUOR_BIN_DIR/quor-demo" --help | grep -q -- --edit; then
        echo "skipped: this quor-demo is built without the workbench"
        exit 77
    fi
}

# The helpers of the scripts that drive a workbench's window in `bash -c`, where they source
# them again through QUOR_WINDOW_LIB.
QUOR_WINDOW_LIB=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/window.bash
export QUOR_WINDOW_LIB
source "$QUOR_WINDOW_LIB"

# data_copy: a scratch folder with a copy of the data file, which a workbench may write, and the
# music beside it.
data_copy()
{
    local data work
    data=$(data_dir) || return 1
    work=$(make_workdir)
    cp "$data/tesk.mem" "$work/tesk.mem"
    ln -s "$data/demo.mp3" "$work/demo.mp3"
    echo "$work"
}

expect_empty_file()
{
    if [ -s "$1" ]; then
        echo "FAIL: $2: $(head -c 400 "$1")"
        failures=$((failures + 1))
    else
        echo "ok: $2"
    fi
}

expect_contains()
{
    if grep -qF -- "$2" "$1"; then
        echo "ok: $3"
    else
        echo "FAIL: $3: '$2' not in: $(head -c 400 "$1")"
        failures=$((failures + 1))
    fi
}

# demo_escape DIR AFTER: runs the demo in DIR under its own X server, presses Escape AFTER
# seconds; leaves DIR/stderr.txt and DIR/status.
demo_escape()
{
    local dir=$1 after=$2
    (cd "$dir" && run_in_x "$dir/x.log" bash -c '
      "$QUOR_BIN_DIR/quor-demo" 2>stderr.txt & pid=$!
      find-window "render device test" >/dev/null
      sleep '"$after"'
      xdotool key --window "$(find-window "render device test" 3)" Escape >/dev/null 2>&1
      wait $pid; echo $? > status')
}

# workbench_in_x DIR STEPS: in DIR, under its own X server (1600x900, openbox), quor-demo --edit in
# a 1280x720 window on DIR/data (its stdout and stderr in DIR/out.txt and DIR/stderr.txt), then
# the shell STEPS, which have the window ($id at $x,$y), the program ($pid), and: status_line FILE
# (the status line's pixels), alive, question (whether a question's title bar shows), click X Y,
# said TEXT (waits up to 15 s for out.txt to hold TEXT: a loaded machine may take its time).
workbench_in_x()
{
  local dir=$1
  (cd "$dir" && screen=1600x900 run_in_x "$dir/x.log" bash -c '
    openbox >/dev/null 2>&1 & sleep 1
    "$QUOR_BIN_DIR/quor-demo" --edit --mute --window=1280x720 --data data >out.txt 2>stderr.txt & pid=$!
    id=$(find-window "render device test" 20)
    sleep 3
    xdotool windowactivate --sync "$id" 2>/dev/null
    x=$(xwininfo -id "$id" | awk "/Absolute upper-left X/ { print \$4 }")
    y=$(xwininfo -id "$id" | awk "/Absolute upper-left Y/ { print \$4 }")
    status_line() {
      ffmpeg -v error -f x11grab -draw_mouse 0 -video_size 860x36 -i "$DISPLAY+$x,$((y + 678))" \
        -frames:v 1 -f rawvideo -pix_fmt rgb24 "$1"
    }
    alive() { kill -0 $pid 2>/dev/null && echo alive || echo ended; }
    # The title bar of a question, right of the transport'"'"'s first row of buttons.
    question() {
      ffmpeg -v error -f x11grab -draw_mouse 0 -video_size 1x1 -i "$DISPLAY+$((x + 600)),$((y + 502))" \
        -frames:v 1 -f rawvideo -pix_fmt rgb24 - | od -An -tu1 | awk "{ print (\$3 > 90 ? \"asked\" : \"none\") }"
    }
    click() { xdotool mousemove --window "$id" "$1" "$2" click 1; sleep 1.5; }
    said() { local i; for i in $(seq 60); do grep -qF -- "$1" out.txt && return 0; sleep 0.25; done; return 1; }
    '"$2")
}
