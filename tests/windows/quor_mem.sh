#!/usr/bin/env bash
# quor-mem.exe under Wine against the Linux build's quor-mem: build writes the same tesk.mem and
# demo.mp3, check passes, and the motion text, glTF, LightWave scene, texture and music imports and
# the texture export change or write the same bytes, each from a folder named in several scripts.
# Needs the Linux build (QUOR_LINUX_BIN_DIR, default build/bin).
set -u
export QUOR_BIN_DIR=${QUOR_LINUX_BIN_DIR:-$QUOR_SOURCE_DIR/build/bin}
source "$QUOR_SOURCE_DIR/tests/e2e/lib.bash"
[ -x "$QUOR_BIN_DIR/quor-mem" ] || { echo "FAIL: no Linux build in $QUOR_BIN_DIR (scripts/build.sh release)"; exit 1; }
wine_sh="$QUOR_SOURCE_DIR/tests/windows/wine.sh"
prefix="$QUOR_WINDOWS_BIN_DIR/../wineprefix"
inputs="$QUOR_SOURCE_DIR/tests/e2e/readme_inputs"
linux() { (cd "$work/linux" && "$QUOR_BIN_DIR/quor-mem" "$@" >/dev/null 2>&1; echo $?); }
windows() { (cd "$work/$here" && "$wine_sh" "$prefix" "$QUOR_WINDOWS_BIN_DIR/quor-mem.exe" "$@" >>out.txt 2>&1; echo $?); }
same() { cmp -s "$work/linux/$1" "$work/$here/$1" && echo same || echo "differ ($(cmp "$work/linux/$1" "$work/$here/$1" 2>&1 | head -1))"; }

work=$(make_workdir)
here="Données 데이터 Данные"
mkdir -p "$work/linux" "$work/$here"
cp "$inputs"/* "$work/linux/"
cp "$inputs"/* "$work/$here/"

expect_eq "$(linux build --out .) $(windows build --out .)" "0 0" "build: both end with 0"
expect_eq "$(same tesk.mem)" same "build: the same tesk.mem"
expect_eq "$(same demo.mp3)" same "build: the same demo.mp3"
expect_eq "$(windows check tesk.mem)" 0 "check: the Windows build's file is valid"

# Each change made by both builds to their own copy: the same bytes after each.
expect_eq "$(linux motion export tesk.mem -o motion.txt) $(windows motion export tesk.mem -o motion.txt)" "0 0" "motion export"
expect_eq "$(same motion.txt)" same "motion export: the same text"
expect_eq "$(linux motion import motion.txt --into tesk.mem) $(windows motion import motion.txt --into tesk.mem)" "0 0" \
    "motion text import"
expect_eq "$(same tesk.mem)" same "motion text import: the same file"
expect_eq "$(linux motion gltf set.gltf --node Jelly --as object --at 4 --into tesk.mem) $(windows motion gltf set.gltf --node Jelly --as object --at 4 --into tesk.mem)" \
    "0 0" "glTF import"
expect_eq "$(same tesk.mem)" same "glTF import: the same file"
expect_eq "$(linux motion lws shot.lws --camera Camera --as camera --into tesk.mem) $(windows motion lws shot.lws --camera Camera --as camera --into tesk.mem)" \
    "0 0" "LightWave scene import"
expect_eq "$(same tesk.mem)" same "LightWave scene import: the same file"
expect_eq "$(linux texture export 1 tesk.mem -o floor.png) $(windows texture export 1 tesk.mem -o floor.png)" "0 0" "texture export"
expect_eq "$(linux texture import 0 floor.png --into tesk.mem) $(windows texture import 0 floor.png --into tesk.mem)" "0 0" \
    "texture import"
expect_eq "$(same tesk.mem)" same "texture import: the same file"
expect_eq "$(windows check tesk.mem)" 0 "check: the changed file is valid"
# A short recording as FLAC, made from the built music by the Linux build's own decoder path.
ffmpeg -v error -y -t 3 -i "$work/linux/demo.mp3" "$work/linux/track.flac" && cp "$work/linux/track.flac" "$work/$here/"
expect_eq "$(linux music track.flac --out music.mp3) $(windows music track.flac --out music.mp3)" "0 0" "music import (FLAC)"
expect_eq "$(same music.mp3)" same "music import: the same MP3"
echo "--- quor-mem.exe's lines"; tr -d '\r' <"$work/$here/out.txt"
finish
