#!/usr/bin/env bash
# The Windows player under Wine, each run under its own X server: the release zip, unpacked into a
# folder whose name has spaces and letters of several scripts, is a windowed program that plays the
# whole timeline and ends by itself with 0 while the music plays through it (recorded from a
# PulseAudio null sink); --help from a console prints there; started without a console (as by a
# double-click) what the user must read comes in a message box; names in several scripts reach
# the file calls whole (--data, the data beside the exe, F12's picture); Escape
# ends with 0; without data the same lines as on Linux and 1; without a sound device it runs
# silent and ends with 0; Space pauses and resumes the music, F12 writes the picture; a request to
# close (taskkill: a windowed program has no console whose Ctrl-C Wine could pass on) ends it; a frame at a fixed demo time equals the Linux build's frame of that time. Needs the Linux
# build (QUOR_LINUX_BIN_DIR, default build/bin) for the data and the reference frame.
set -u
source "$QUOR_SOURCE_DIR/tests/windows/lib.bash"

# A PulseAudio server of our own with a null sink whose monitor is recorded into FILE, as 16-bit
# stereo at 44.1 kHz in real time; stop_sound ends both.
start_sound()
{
    export XDG_RUNTIME_DIR="$1"
    mkdir -p "$XDG_RUNTIME_DIR"
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --disable-shm=yes \
        -L "module-null-sink sink_name=recorded" -L module-native-protocol-unix >"$1/pulse.log" 2>&1 &
    pulse_pid=$!
    for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
    parec -d recorded.monitor --raw --format=s16le --rate=44100 --channels=2 >"$2" &
    record_pid=$!
}
stop_sound()
{
    kill "$record_pid" "$pulse_pid" 2>/dev/null
    wait "$record_pid" "$pulse_pid" 2>/dev/null
}

# Each second of the recording, 1 where the music sounds (more than a tenth of its samples loud).
loud_pattern()
{
    od -An -v -td2 -w4 "$1" | awk '{ s = int((NR - 1) / 44100); if ($1 > 1000 || $1 < -1000) n[s]++ }
        END { for (i = 0; i <= s; i++) printf "%d", (n[i] > 4410); print "" }'
}

# The command line as on Linux, without a display.
expect_eq "$(DISPLAY= "$wine_sh" "$WINEPREFIX" "$bin/quor-demo.exe" --version 2>&1; echo $?)" "quor-demo $(sed -n 's/^project(quor VERSION \([0-9.]*\).*/\1/p' "$QUOR_SOURCE_DIR/CMakeLists.txt")
0" "--version"
expect_eq "$("$wine_sh" "$WINEPREFIX" "$bin/quor-demo.exe" --bogus 2>&1 >/dev/null | tr -d '\r'; echo "${PIPESTATUS[0]}")" \
    "quor-demo: --bogus: unknown option (see quor-demo --help)
2" "unknown option: one line, status 2"

# The release: unpacked where a user might, a windowed program, its help on the console it is
# started from.
work=$(make_workdir)
unpacked="$work/Démos d'été 日本語 Ελληνικά"
mkdir -p "$unpacked" "$work/elsewhere"
(cd "$unpacked" && cmake -E tar xf "$bin/../quor-demo-windows.zip")
release="$unpacked/quor-demo"
expect_eq "$(cd "$release" 2>/dev/null && ls | tr '\n' ' ')" "README.txt demo.mp3 quor-demo.exe quor-mem.exe tesk.mem " "the release holds the exes, the data, the music and the README"
expect_eq "$(x86_64-w64-mingw32-objdump -p "$release/quor-demo.exe" | awk '/^Subsystem/ { print $3, $4 }')" "(Windows GUI)" \
    "the exe is a windowed program"
expect_eq "$(cd "$release" && "$wine_sh" "$WINEPREFIX" cmd /c "quor-demo.exe --help" 2>/dev/null | head -1)" \
    "Plays the demo: a 31-second real-time scene with music, full screen unless told otherwise." \
    "--help from a console prints the help there"

# The whole timeline, with music, from the unpacked release started from another folder: the data
# and the music are found beside the exe.
start_sound "$work/pulse" "$work/audio.raw"
start=$(date +%s)
in_wine "$work/elsewhere" 'wine "'"$release"'/quor-demo.exe" 2>stderr.txt; echo $? > status'
took=$(( $(date +%s) - start ))
stop_sound
expect_eq "$(cat "$work/elsewhere/status" 2>/dev/null)" 0 "the release, unpacked into a folder named in several scripts: the timeline ends by itself with 0"
expect_eq "$([ "$took" -ge 31 ] && [ "$took" -le 120 ] && echo yes || echo "no ($took s)")" yes "ran for the timeline's 31 s"
expect_no_lines "$work/elsewhere/stderr.txt" "nothing on stderr"
# The music starts once its decoder is up (a few seconds under Wine) and sounds to the end.
pattern=$(loud_pattern "$work/audio.raw")
echo "music by second (1 loud): $pattern"
loud=$(tr -d 0 <<<"$pattern" | tr -d '\n' | wc -c)
expect_eq "$([ "$loud" -ge 24 ] && echo yes || echo "no ($loud s)")" yes "the music sounds through the run ($loud of $took s)"

# Started without a console or streams, as from the desktop, in a folder without the data: the
# two lines come in one message box titled with the program's name; closing it ends with 1.
work=$(make_workdir)
mkdir "$work/Ünïcødé"
cp "$bin/quor-demo.exe" "$work/Ünïcødé/"
in_wine "$work" '
  wine start /wait /unix "$PWD/Ünïcødé/quor-demo.exe" >start.txt 2>&1 & pid=$!
  find-window "^quor-demo\$" 30 >boxes.txt
  sleep 1; xdotool key --window "$(find-window "^quor-demo\$" 3)" Return >/dev/null 2>&1
  wait $pid; echo $? > status'
expect_eq "$(cat "$work/status" 2>/dev/null)" 1 "no console, no data: status 1 once the box is closed"
expect_eq "$([ -s "$work/boxes.txt" ] && echo shown || echo "no box")" shown "no console, no data: a message box"
expect_no_lines "$work/start.txt" "no console: nothing written to streams"

# Names in several scripts: --data naming such a folder.
work=$(with_data)
mkdir "$work/データ Данные"
mv "$work/tesk.mem" "$work/demo.mp3" "$work/データ Данные/"
mkdir "$work/run"
data_arg=$("$wine_sh" "$WINEPREFIX" winepath -w "$work/データ Данные" 2>/dev/null)
in_wine "$work/run" '
  wine "$bin/quor-demo.exe" --mute --window=320x240 --start 29 "--data='"$data_arg"'" 2>stderr.txt; echo $? > status'
expect_eq "$(cat "$work/run/status" 2>/dev/null)" 0 "--data naming a folder in Japanese and Cyrillic: plays to the end with 0"
expect_no_lines "$work/run/stderr.txt" "--data in several scripts: nothing on stderr"

# Escape, and no sound device at all (no PulseAudio server): one line saying so, and the same end;
# with --mute not even that.
work=$(with_data)
XDG_RUNTIME_DIR="$work/nowhere" in_wine "$work" '
  wine "$bin/quor-demo.exe" 2>stderr.txt & pid=$!
  find-window "render device test" 30 >/dev/null
  sleep 3
  xdotool key --window "$(find-window "render device test" 3)" Escape >/dev/null 2>&1
  wait $pid; echo $? > status'
expect_eq "$(cat "$work/status" 2>/dev/null)" 0 "no sound device: Escape ends with 0"
expect_eq "$(demo_lines "$work/stderr.txt")" "quor-demo: no sound device: playing without music" "no sound device: said once"
XDG_RUNTIME_DIR="$work/nowhere" in_wine "$work" 'wine "$bin/quor-demo.exe" --mute --window=320x240 --start 30.5 2>mute.txt'
expect_no_lines "$work/mute.txt" "no sound device, --mute: nothing on stderr"

# Without data: the Linux player's two lines, with this system's folders in them (the exe's own
# folder is the last place looked in), and status 1.
work=$(make_workdir)
mkdir "$work/programs" "$work/run"
cp "$bin/quor-demo.exe" "$work/programs/"
in_wine "$work/run" 'wine ../programs/quor-demo.exe 2>stderr.txt; echo $? > status'
windows_path() { "$wine_sh" "$WINEPREFIX" winepath -w "$1" 2>/dev/null; }
here=$(windows_path "$work/run")
expect_eq "$(cat "$work/run/status" 2>/dev/null)" 1 "without data: status 1"
expect_eq "$(demo_lines "$work/run/stderr.txt")" "WARNING: file not found: tesk.mem
quor-demo: tesk.mem: looked in ${here%\\}, $(windows_path "$work" | sed 's/\\$//') and $(windows_path "$work/programs" | sed 's/\\$//'); give its folder with --data DIR, or run the demo from the folder that holds it" \
    "without data: the Linux player's lines"

# Space pauses picture and music, F12 then writes the picture where the demo was started (a
# folder named in Latin letters with accents and in Chinese) and prints its name, Space again
# resumes the music; started at 20 s.
work=$(with_data)
shots="$work/Ünïcødé 写真"
mkdir "$shots"
start_sound "$work/pulse" "$work/audio.raw"
in_wine "$shots" '
  key() { xdotool key --window "$(find-window "render device test" 3)" "$1" >/dev/null 2>&1; }
  wine "$bin/quor-demo.exe" --start 20 --window=640x480 --data .. >names.txt 2>stderr.txt & pid=$!
  find-window "render device test" 30 >/dev/null
  sleep 6; key space; sleep 4; key F12; sleep 0.5; key space; sleep 4; key Escape
  wait $pid; echo $? > status'
stop_sound
shot=$(tr -d '\r' <"$shots/names.txt" 2>/dev/null)
expect_eq "$(cat "$shots/status" 2>/dev/null)" 0 "pause: Escape ends with 0"
expect_eq "$([[ "$shot" == *"Ünïcødé 写真"*quor-*.png ]] && [ -s "$shots/$(basename "${shot//\\//}")" ] && echo written || echo "no ($shot)")" \
    written "F12: the picture is written where the demo was started, its name printed whole"
expect_no_lines "$shots/stderr.txt" "pause: nothing on stderr"
# Seconds loud (1) or quiet (0): the music, then the pause's silence, then the music again.
pattern=$(loud_pattern "$work/audio.raw")
echo "music by second (1 loud): $pattern"
expect_eq "$(grep -qE '1+0{2,}1+' <<<"$pattern" && echo yes || echo "no ($pattern)")" yes "pause: the music stops and resumes"

# Started from a folder below the data, the demo finds the data in the parent and the music beside
# it; taskkill's request to close while the music plays ends the demo with 0 at once, and not by a
# crash.
work=$(with_data)
mkdir "$work/below"
start_sound "$work/pulse" "$work/audio.raw"
in_wine "$work/below" '
  wine "$bin/quor-demo.exe" --start 20 --window=640x480 2>stderr.txt & pid=$!
  find-window "render device test" 30 >/dev/null
  sleep 6; wine taskkill /im quor-demo.exe >/dev/null 2>&1; sleep 5
  kill -0 $pid 2>/dev/null && echo "still running" > status
  wait $pid; echo $? >> status'
stop_sound
expect_eq "$(cat "$work/below/status" 2>/dev/null)" 0 \
    "taskkill with music: ends within 5 s, not by a crash"
pattern=$(loud_pattern "$work/audio.raw")
expect_eq "$(grep -q 1 <<<"$pattern" && echo yes || echo "no ($pattern)")" yes "below the data: the music beside it plays"

# The same moment drawn by both builds in the same kind of X server: equal pixel for pixel.
work=$(with_data)
in_wine "$work" '
  "$QUOR_BIN_DIR/frame_probe" 19 linux.png 2>linux.err
  wine "$bin/frame_probe.exe" 19 windows.png >handles.txt 2>windows.err'
rgb() { ffmpeg -v error -i "$1" -f rawvideo -pix_fmt rgb24 - 2>/dev/null | md5sum; }
expect_eq "$([ -s "$work/windows.png" ] && rgb "$work/windows.png" || echo none)" \
    "$([ -s "$work/linux.png" ] && rgb "$work/linux.png" || echo "no Linux picture")" \
    "the frame at 19 s equals the Linux build's, pixel for pixel"
# GetModuleHandleA(argv[0]) and FindWindowW(L"GLUT", title): freeglut's class carries GLUT's name.
expect_eq "$(tr -d '\r' <"$work/handles.txt" 2>/dev/null)" "instance 1 window 1" "the module and the GLUT window are found"
finish
