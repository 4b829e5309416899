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
# 1280x720 window writing out.txt and stderr.txt; its process in $pid, its window in $id, active,
# its top left on the screen at $x,$y.
start_workbench()
{
    openbox >/dev/null 2>&1 &
    sleep 1
    "$QUOR_BIN_DIR/quor-demo" --edit --mute --window=1280x720 >out.txt 2>stderr.txt &
    pid=$!
    id=$(find-window "render device test" 20)
    sleep 3
    xdotool windowactivate --sync "$id" 2>/dev/null
    x=$(xwininfo -id "$id" | awk '/Absolute upper-left X/ { print $4 }')
    y=$(xwininfo -id "$id" | awk '/Absolute upper-left Y/ { print $4 }')
}

# pixels W H X Y COLOUR: after start_workbench, how many pixels of the window's W x H region at X,Y
# are of COLOUR, told apart from the panels' greys, the waveform's olive and the edited curve's
# red, blended or not: pink (the tangent handles), green (a y channel overlaid), blue (a z one).
pixels()
{
    ffmpeg -v error -f x11grab -draw_mouse 0 -video_size "$1x$2" -i "$DISPLAY+$((x + $3)),$((y + $4))" \
        -frames:v 1 -f rawvideo -pix_fmt rgb24 - | od -An -v -tu1 -w3 | awk -v colour="$5" '
        { r = $1; g = $2; b = $3
          if (colour == "pink") n += r > g + 40 && b > g + 20 && r > 90
          else if (colour == "green") n += g > r + 40 && g > b + 40
          else if (colour == "blue") n += b > r + 60 && b > g + 30 }
        END { print n + 0 }'
}
