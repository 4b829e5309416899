#!/usr/bin/env bash
# Frame rates of the Linux demo and of the Windows exe under Wine, side by side in the same kind of
# Xvfb (both draw with Mesa's llvmpipe, the exe through Wine's OpenGL): the two alternate twice over
# the same stretch of the timeline, counted by Mesa's HUD dump, each the mean of its one-second
# samples after the first.
# Usage: bench/windows_fps.sh LINUX_BIN_DIR WINDOWS_BIN_DIR DATA_DIR [WxH] [FROM_SECONDS] [SECONDS]
set -euo pipefail
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
measure()
{
    local result
    if [ "${2:-}" = wine ]; then
        # Wine's server belongs to one X display: none may be left from the last round.
        wineserver -k >/dev/null 2>&1 || true
        wineserver -w || true
        result=$(hud_run "$work/$1" "$size" "$span" wine "$winbin/quor-demo.exe" --mute --start "$from")
    else
        result=$(hud_run "$work/$1" "$size" "$span" "$bin/quor-demo" --mute --start "$from")
    fi
    echo "${result%/*}"
}

cd "$data"
hud_alternate linux wine wine
linux=("${hud_a[@]}") windows=("${hud_b[@]}")
echo "full screen ${size}, demo time ${from} s + ${span} s, two rounds each (fps)"
echo "Linux           ${linux[*]}"
echo "Windows, Wine   ${windows[*]}"
awk -v a="${linux[*]}" -v b="${windows[*]}" 'BEGIN { n = split(a, x); split(b, y)
    for (i = 1; i <= n; i++) { sa += x[i]; sb += y[i] } printf "Wine / Linux    %.2f\n", sb / sa }'
