# Helpers for the scripts that run the Windows build under Wine, sourced after `set -u`: the
# end-to-end library with the Linux build (QUOR_LINUX_BIN_DIR, default build/bin) for the data and
# the tools, the Windows build's folder in $bin, a Wine prefix and home of the build's own, and a
# private X server per run.
export QUOR_BIN_DIR=${QUOR_LINUX_BIN_DIR:-$QUOR_SOURCE_DIR/build/bin}
source "$QUOR_SOURCE_DIR/tests/e2e/lib.bash"
[ -x "$QUOR_BIN_DIR/quor-mem" ] || { echo "FAIL: no Linux build in $QUOR_BIN_DIR (scripts/build.sh release)"; exit 1; }
data=$(data_dir) || { echo "FAIL: could not build the data"; exit 1; }
bin=$QUOR_WINDOWS_BIN_DIR
wine_sh="$QUOR_SOURCE_DIR/tests/windows/wine.sh"
export WINEPREFIX="$bin/../wineprefix"
# One home for every run, so that GStreamer (which decodes the mp3 for Wine) builds its plugin
# registry once.
export HOME="$bin/../wine-home"
mkdir -p "$HOME/.config/pulse"
# A run that should find no sound server must not start one.
echo "autospawn = no" >"$HOME/.config/pulse/client.conf"
# Wine's PulseAudio driver alone: its ALSA driver would find no card here anyway.
"$wine_sh" "$WINEPREFIX" reg add 'HKCU\Software\Wine\Drivers' /v Audio /d pulse /f >/dev/null 2>&1
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# in_wine DIR SCRIPT: runs SCRIPT with bash in DIR under its own X server. Wine's server and
# desktop belong to one X display: any left from a call outside go first, the desktop is started
# before SCRIPT (its helpers keep the standard error they are started with, so not the demo's),
# and all of Wine ends before the X server goes. SCRIPT finds the Windows build's folder in $bin.
in_wine()
{
    local dir=$1 script=$2
    wineserver -k >/dev/null 2>&1
    wineserver -w
    (cd "$dir" && bin="$bin" run_in_x "$dir/x.log" bash -c '
      wine wineboot >/dev/null 2>&1
      '"$script"'
      wineserver -k >/dev/null 2>&1; wineserver -w')
}

# The demo's standard error without Wine's own: the host's ALSA library, which GStreamer's
# plugins load, writes a line about the missing MIDI sequencer straight to the process's stderr.
demo_lines() { tr -d '\r' <"$1" 2>/dev/null | grep -v '^ALSA lib seq_hw\.c:.*snd_seq_hw_open' || true; }
expect_no_lines()
{
    local lines
    lines=$(demo_lines "$1")
    expect_eq "$lines" "" "$2"
}

# with_data: a scratch folder with links to the data file and the music.
with_data()
{
    local work
    work=$(make_workdir)
    ln -s "$data/tesk.mem" "$work/tesk.mem"
    ln -s "$data/demo.mp3" "$work/demo.mp3"
    echo "$work"
}
