#!/usr/bin/env bash
# quor-capture with no display at all: a short video with its music, checked with ffprobe and
# against a PNG capture (with its WAV); the containers by extension; bad options, a start past
# the timeline, unwritable outputs and a missing ffmpeg each get one line and a failing status;
# missing or damaged music one warning line and a video without sound, music ffmpeg would not read
# (behind another format's mark) a video with sound.
set -u
source "$(dirname "$0")/lib.bash"
cap="$QUOR_BIN_DIR/quor-capture"
work=$(make_workdir)
unset DISPLAY

# refused WHAT CMD...: a failing status, one line on stderr, nothing on stdout.
refused()
{
    local what=$1
    shift
    "$@" >"$work/out.txt" 2>"$work/err.txt"
    local status=$?
    expect_eq "$([ "$status" -ne 0 ] && echo failed || echo "status 0")" failed "$what: failing status"
    expect_eq "$(wc -l <"$work/err.txt")" 1 "$what: one line on stderr: $(head -c 200 "$work/err.txt")"
    expect_empty_file "$work/out.txt" "$what: nothing on stdout"
}

"$cap" --help >"$work/help.txt" 2>&1
expect_eq $? 0 "--help exits 0"
expect_contains "$work/help.txt" "--frames DIR" "--help lists the options"
refused "unknown option" "$cap" --out "$work/a.mp4" --colour
refused "bad size" "$cap" --out "$work/a.mp4" --size 1280
refused "no output" "$cap"
refused "start past the timeline" "$cap" --out "$work/a.mp4" --from 40
"$cap" --out "$work/a.mp4" --from=40 2>/dev/null
expect_eq $? 2 "start past the timeline: status 2"
refused "unwritable video" "$cap" --out /nonexistent-folder/a.mp4
touch "$work/plain-file"
refused "unwritable frames folder" "$cap" --frames "$work/plain-file/frames"
refused "missing data folder" "$cap" --data "$work/nowhere" --out "$work/a.mp4"
refused "missing ffmpeg" env PATH=/nonexistent "$cap" --out "$work/a.mp4"
expect_eq "$(ls "$work" | grep -c '^a.mp4$')" 0 "refusals leave no output behind"

# A 1.5 s clip from the middle of the timeline, named relative to where the tool was started.
data=$(data_dir) || { echo "FAIL: could not build the data"; exit 1; }
(cd "$work" && "$cap" --data "$data" --out clip.mp4 --size 320x180 --fps 30 --from 20 --to 21.5 \
    2>capture.err; echo $? >capture.status)
expect_eq "$(cat "$work/capture.status")" 0 "video capture exit status"
expect_contains "$work/capture.err" "wrote 45 frames" "final line says what was written"
probe() { ffprobe -v error -select_streams "$1" -show_entries "stream=$2" -of csv=p=0 "$work/clip.mp4"; }
expect_eq "$(probe v codec_name,pix_fmt,width,height,nb_frames)" "h264,320,180,yuv420p,45" "H.264 yuv420p video, 45 frames"
expect_eq "$(probe a codec_name)" "aac" "AAC sound"
audio=$(probe a duration)
expect_eq "$(awk -v d="$audio" 'BEGIN { print (d >= 1.45 && d <= 1.55) ? "yes" : "no (" d " s)" }')" yes \
    "sound lasts as long as the pictures"
loud=$(ffmpeg -v error -i "$work/clip.mp4" -map 0:a -f s16le -ac 1 - | od -An -v -td2 -w2 |
    awk '{ if ($1 > 1000 || $1 < -1000) n++ } END { print n + 0 }')
expect_eq "$([ "$loud" -gt 4410 ] && echo yes || echo "no ($loud loud samples)")" yes "the music is in it"

# The video's pictures are the PNG capture's pictures of the same stretch (upright, colours
# converted as the stream says): a picture off by one frame scores about 20 dB, upside down 11.
"$cap" --data "$data" --frames "$work/png" --size 320x180 --fps 30 --from 20 --to 21.5 2>/dev/null
expect_eq "$(ffprobe -v error -show_entries stream=codec_name,duration -of csv=p=0 "$work/png/audio.wav")" \
    "pcm_s16le,1.500000" "the PNG sequence has the music of its stretch beside it"
psnr=$(ffmpeg -nostdin -i "$work/clip.mp4" -framerate 30 -i "$work/png/frame_%05d.png" \
    -lavfi '[0:v]format=rgb24[a];[1:v]format=rgb24[b];[a][b]psnr' -f null - 2>&1 | grep -o 'average:[0-9.]*' | cut -d: -f2)
expect_eq "$(awk -v p="${psnr:-0}" 'BEGIN { print (p > 28) ? "yes" : "no (" p " dB)" }')" yes \
    "video pictures match the PNG pictures"

# The extension chooses the container and codecs; "--name=value" is taken as well.
for kind in webm:vp9,opus gif:gif; do
  "$cap" --data="$data" --out="$work/clip.${kind%%:*}" --size=160x90 --from=24 --to=24.5 2>/dev/null
  expect_eq "$(ffprobe -v error -show_entries stream=codec_name -of csv=p=0 "$work/clip.${kind%%:*}" | paste -sd,)" \
      "${kind#*:}" ".${kind%%:*}: ${kind#*:}"
done

# ffmpeg's own refusal (no container for this name): one line of ours and ffmpeg's last line.
(cd "$work" && "$cap" --data "$data" --out clip.unknown --size 320x180 --to 1 2>unknown.err; echo $? >unknown.status)
expect_eq "$(cat "$work/unknown.status")" 1 "ffmpeg failure: failing status"
expect_eq "$(grep -v '^frame ' "$work/unknown.err" | sed 's/(status [0-9]*)/(status N)/' | paste -sd'|')" \
    "quor-capture: ffmpeg could not write $work/clip.unknown (status N)|ffmpeg: $work/clip.unknown: Invalid argument" \
    "ffmpeg failure: our line and ffmpeg's last"

# Without the music, or with a damaged one, one warning line and a video without sound. Besides
# fresh random junk: junk that opens as MPEG audio and then stops decoding, as about one run of
# random bytes in a thousand does (this one from a fixed seed; ffmpeg's reader refused it and
# failed the video), and two frame headers in text.
mkdir "$work/nomusic"
ln -s "$data/tesk.mem" "$work/nomusic/tesk.mem"
frame() { printf '\377\373\220\000'; head -c 413 /dev/zero; }
for music in missing junk seeded damaged; do
  case $music in
    junk) head -c 50000 /dev/urandom ;;
    seeded) python3 -c 'import random, sys; sys.stdout.buffer.write(random.Random(664).randbytes(50000))' ;;
    damaged) frame; frame; yes "not music" | head -c 50000 ;;
  esac >"$work/nomusic/demo.mp3"
  "$cap" --data "$work/nomusic" --out "$work/silent.mp4" --size 160x90 --from 24 --to 24.5 2>"$work/silent.err"
  status=$?
  # The junk is random: when the capture stops on it, keep it and show what the capture said.
  if [ $status != 0 ]; then
    cp "$work/nomusic/demo.mp3" "${TMPDIR:-/tmp}/capture-$music-music.mp3" 2>/dev/null
    sed 's/^/  capture said: /' "$work/silent.err"
  fi
  expect_eq $status 0 "$music music: the capture goes on"
  expect_eq "$(grep -c 'warning: demo.mp3: .*without sound' "$work/silent.err")" 1 "$music music: one warning line"
  expect_eq "$(grep -vc -e '^quor-capture: ' -e '^frame ' "$work/silent.err")" 0 "$music music: nothing but our lines"
  expect_eq "$(ffprobe -v error -show_entries stream=codec_type -of csv=p=0 "$work/silent.mp4" | paste -sd,)" video \
      "$music music: no sound stream"
done
expect_contains "$work/silent.err" "demo.mp3: damaged: it does not decode past 0.1 s" "damaged music: how far it decodes"

# The music behind bytes that ffmpeg's reader takes for another format: the capture decodes it
# itself, so the video has its sound and nothing is said.
{ printf 'fLaC'; head -c 300 /dev/zero; cat "$data/demo.mp3"; } >"$work/nomusic/demo.mp3"
"$cap" --data "$work/nomusic" --out "$work/sound.mp4" --size 160x90 --from 24 --to 24.5 2>"$work/sound.err"
expect_eq $? 0 "music behind a FLAC mark: the capture goes on"
expect_eq "$(grep -c warning "$work/sound.err")" 0 "music behind a FLAC mark: no warning"
expect_eq "$(ffprobe -v error -show_entries stream=codec_type,duration -of csv=p=0 "$work/sound.mp4" | paste -sd,)" \
    "video,0.500000,audio,0.500000" "music behind a FLAC mark: sound as long as the pictures"
rm -rf "$work"
finish
