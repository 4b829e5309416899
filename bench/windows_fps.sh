#!/usr/bin/env bash
# Frame rates of the Linux demo and of the Windows exe under Wine, side by side in the same kind of
# Xvfb (both draw with Mesa's llvmpipe, the exe through Wine's OpenGL): the two alternate twice over
# the same stretch of the timeline, counted by Mesa's HUD dump, each the mean of its one-second
# samples after the first. With --edit, the workbench in both: `--edit` in a window of that size,
# played with Space (it starts paused).
# Usage: bench/windows_fps.sh [--edit] LINUX_BIN_DIR WINDOWS_BIN_DIR DATA_DIR [WxH] [FROM_SECONDS] [SECONDS]
set -euo pipefail
edit=no
if [ "${1:-}" = --edit ]; then
  edit=yes
  shift
fi
bin=$(cd "$1" && pwd)
winbin=$(cd "$2" && pwd)
data=$(cd "$3" && pwd)
size=${4:-1024x768}
from=${5:-10}
span=${6:-10}
work=$(mktemp -d "${TMPDIR:-/tmp}/quor-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
export WINEPREFIX="$winbin/../wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

source "$(dirname "$0")/hud.bash"
what=(--mute --start "$from")
shown="full screen ${size}"
if [ $edit = yes ]; then
  what+=(--edit --window="$size")
  export HUD_KEYS=space
  shown="the workbench in a ${size} window"
fi
measure()
{
    local result
    if [ "${2:-}" = wine ]; then
        # Wine's server belongs to one X display: none may be left from the last round.
        wineserver -k >/dev/null 2>&1 || true
        wineserver -w || true
        result=$(hud_run "$work/$1" "$size" "$span" wine "$winbin/quor-demo.exe" "${what[@]}")
    else
        result=$(hud_run "$work/$1" "$size" "$span" "$bin/quor-demo" "${what[@]}")
    fi
    echo "${result%/*}"
}

cd "$data"
hud_alternate linux wine wine
linux=("${hud_a[@]}") windows=("${hud_b[@]}")
echo "${shown}, demo time ${from} s + ${span} s, two rounds each (fps)"
echo "Linux           ${linux[*]}"
echo "Windows, Wine   ${windows[*]}"
awk -v a="${linux[*]}" -v b="${windows[*]}" 'BEGIN { n = split(a, x); split(b, y)
    for (i = 1; i <= n; i++) { sa += x[i]; sb += y[i] } printf "Wine / Linux    %.2f\n", sb / sa }'
