# Helpers for driving a workbench's window from the end-to-end scripts.

# save_as_text FILE: in a workbench's folder, under its X server: Ctrl+S until out.txt says it
# saved (a key pressed while a field still has the keyboard is the field's), then the text export
# of what tesk.mem holds into FILE.
save_as_text()
{
    local said tries=0
    said=$(grep -c "saved" out.txt)
    while [ "$(grep -c "saved" out.txt)" -eq "$said" ] && [ $tries -lt 20 ]; do
        [ $((tries % 5)) -eq 0 ] && xdotool key ctrl+s
        sleep 0.5; tries=$((tries + 1))
    done
    "$QUOR_BIN_DIR/quor-mem" motion export tesk.mem > "$1"
}

# start_workbench: in a workbench's folder, under its X server: openbox, then the workbench in a
# 1280x720 window writing out.txt and stderr.txt; its process in $pid, its window in $id, active.
start_workbench()
{
    openbox >/dev/null 2>&1 &
    sleep 1
    "$QUOR_BIN_DIR/quor-demo" --edit --mute --window=1280x720 >out.txt 2>stderr.txt &
    pid=$!
    id=$(find-window "render device test" 20)
    sleep 3
    xdotool windowactivate --sync "$id" 2>/dev/null
}
