# Frame rates of a GLX program under its own Xvfb, counted by Mesa's HUD dump (hidden, so the
# program is untouched), for the bench scripts to source.
# The test scripts' find-window, for the shells started under X.
PATH="$(cd "$(dirname "${BASH_SOURCE[0]}")/../tests/e2e/bin" && pwd):$PATH"
export PATH

# hud_run DIR WxH SECONDS CMD...: runs CMD, presses the keys $HUD_KEYS names (xdotool's names),
# clicks the points $HUD_CLICKS lists ("X,Y ...", in the window's pixels), lets it draw SECONDS
# after its first second, presses Escape, and prints "FPS/MS": the mean frame rate over those
# seconds and the processor milliseconds a frame (all threads, Mesa's rasteriser included), which
# do not depend on what else the machine runs.
hud_run()
{
    local dir=$1 size=$2 span=$3
    shift 3
    mkdir -p "$dir"
    GALLIUM_HUD=simple,fps GALLIUM_HUD_VISIBLE=false GALLIUM_HUD_PERIOD=1 GALLIUM_HUD_DUMP_DIR="$dir" \
      xvfb-run -a -s "-screen 0 ${size}x24" bash -c '
        "$0" "$@" >/dev/null 2>&1 & pid=$!
        find-window "render device test" 20 >/dev/null
        keys="'"${HUD_KEYS:-}"'"
        [ -n "$keys" ] && xdotool key --window "$(find-window "render device test" 3)" $keys >/dev/null 2>&1
        for point in '"${HUD_CLICKS:-}"'; do
            xdotool mousemove --window "$(find-window "render device test" 3)" ${point%,*} ${point#*,} click 1 >/dev/null 2>&1
            sleep 0.3
        done
        sleep 1
        cpu0=$(awk "{ print \$14 + \$15 }" /proc/$pid/stat)
        sleep '"$span"'
        cpu1=$(awk "{ print \$14 + \$15 }" /proc/$pid/stat)
        echo $(( (cpu1 - cpu0) * 1000 / $(getconf CLK_TCK) )) > "'"$dir"'/cpu_ms"
        xdotool key --window "$(find-window "render device test" 3)" Escape >/dev/null 2>&1
        wait $pid' "$@"
    awk -v n="$span" -v cpu="$(cat "$dir/cpu_ms")" 'NR > 1 && NR <= n + 1 { s += $1; c++ }
        END { printf "%.1f/%.0f", c ? s / c : 0, s ? cpu / s : 0 }' "$dir/fps"
}

# hud_alternate A B B_ARGS...: two rounds of the caller's `measure NAME ARGS...`, A plain and B
# with B_ARGS, taken in turn so that both see the same load; the results go to the arrays hud_a
# and hud_b.
hud_alternate()
{
    local a=$1 b=$2 round
    shift 2
    hud_a=() hud_b=()
    for round in 1 2; do
        hud_a+=("$(measure "$a$round")")
        hud_b+=("$(measure "$b$round" "$@")")
    done
}
