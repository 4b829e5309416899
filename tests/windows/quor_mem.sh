#!/usr/bin/env bash
# quor-mem.exe under Wine against the Linux build's quor-mem: build writes a tesk.mem and demo.mp3
# that differ from Linux's only as far as the C library's rounding takes them (compare_data.py),
# check passes on both, and the motion text, glTF, LightWave scene, texture and music imports and
# the texture export change or write the same bytes, each from a folder named in several scripts;
# a file held open by another program is left as it was, with one line saying why.
# Needs the Linux build (QUOR_LINUX_BIN_DIR, default build/bin).
set -u
export QUOR_BIN_DIR=${QUOR_LINUX_BIN_DIR:-$QUOR_SOURCE_DIR/build/bin}
source "$QUOR_SOURCE_DIR/tests/e2e/lib.bash"
[ -x "$QUOR_BIN_DIR/quor-mem" ] || { echo "FAIL: no Linux build in $QUOR_BIN_DIR (scripts/build.sh release)"; exit 1; }
wine_sh="$QUOR_SOURCE_DIR/tests/windows/wine.sh"
prefix="$QUOR_WINDOWS_BIN_DIR/../wineprefix"
inputs="$QUOR_SOURCE_DIR/examples"
linux() { (cd "$work/linux" && "$QUOR_BIN_DIR/quor-mem" "$@" >/dev/null 2>&1; echo $?); }
windows() { (cd "$work/$here" && "$wine_sh" "$prefix" "$QUOR_WINDOWS_BIN_DIR/quor-mem.exe" "$@" >>out.txt 2>&1; echo $?); }
same() { cmp -s "$work/linux/$1" "$work/$here/$1" && echo same || echo "differ ($(cmp "$work/linux/$1" "$work/$here/$1" 2>&1 | head -1))"; }

work=$(make_workdir)
here="Données 데이터 Данные"
mkdir -p "$work/linux" "$work/$here"
cp "$inputs"/* "$work/linux/"
cp "$inputs"/* "$work/$here/"

expect_eq "$(linux build --out .) $(windows build --out .)" "0 0" "build: both end with 0"
# The builder's maths goes through each system's C library, whose sin, cos, exp and pow may differ
# in the last bit: the indices and textures are the same, the floats and the music within bounds.
echo "--- the Windows build's data against Linux's"
python3 "$QUOR_SOURCE_DIR/tests/windows/compare_data.py" "$work/linux/tesk.mem" "$work/$here/tesk.mem"
expect_eq $? 0 "build: tesk.mem within the bounds of the math library's rounding"
python3 "$QUOR_SOURCE_DIR/tests/windows/compare_data.py" --music "$work/linux/demo.mp3" "$work/$here/demo.mp3"
expect_eq $? 0 "build: demo.mp3 within the bounds of the math library's rounding"
expect_eq "$(windows check tesk.mem)" 0 "check: the Windows build's file is valid"
expect_eq "$("$QUOR_BIN_DIR/quor-mem" check "$work/$here/tesk.mem" >/dev/null 2>&1; echo $?)" 0 \
    "check: the Windows build's file is valid to the Linux build"

# Each change made by both builds to their own copy of the Linux build's file: the same bytes
# after each.
cp "$work/linux/tesk.mem" "$work/linux/demo.mp3" "$work/$here/"
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

# A file another program holds open, as the running demo or an editor holds it: Windows replaces
# no such file, so quor-mem.exe says so in one line, ends with 1 and the file stays as it was;
# once the other program lets go, the same command goes through. Both ways another program may
# hold it: sharing it for reading (renaming over it is refused) and not sharing it at all (opening
# it is refused too). hold_open runs under the same Wine server, whose sharing checks are Windows's.
held_run()
{
    local share=$1
    shift
    rm -f "$work/$here/ready" "$work/$here/held.txt"
    (cd "$work/$here" && "$wine_sh" "$prefix" "$QUOR_WINDOWS_BIN_DIR/hold_open.exe" tesk.mem ready "$share") &
    local holder=$! i
    for i in $(seq 600); do [ -f "$work/$here/ready" ] && break; sleep 0.1; done
    (cd "$work/$here" && "$wine_sh" "$prefix" "$QUOR_WINDOWS_BIN_DIR/quor-mem.exe" "$@" >held.txt 2>&1; echo $?)
    rm -f "$work/$here/ready"
    wait $holder
}
for share in read none; do
    before=$(cksum <"$work/$here/tesk.mem")
    expect_eq "$(held_run $share motion import motion.txt --into tesk.mem)" 1 "held open ($share): motion import ends with 1"
    expect_eq "$(tr -d '\r' <"$work/$here/held.txt")" \
        "quor-mem: motion import: cannot change tesk.mem: it is open in another program; close it there and try again (nothing was changed)" \
        "held open ($share): one line saying so"
    expect_eq "$(cksum <"$work/$here/tesk.mem")" "$before" "held open ($share): the file as it was"
    expect_eq "$(compgen -G "$work/$here/tesk.mem.*" || true)" "" "held open ($share): no new file left beside it"
done
expect_eq "$(windows motion import motion.txt --into tesk.mem)" 0 "let go: the same import goes through"
expect_eq "$(windows check tesk.mem)" 0 "let go: the file is valid"
finish
