#!/usr/bin/env bash
# What a user installs: the tree `cmake --install` makes, and the Debian package extracted into a
# scratch root, whose programs run from there and find their installed data from any folder.
set -u
source "$(dirname "$0")/lib.bash"
build=$(cd "$QUOR_BIN_DIR/.." && pwd)
if grep -q '^QUOR_SANITIZE:BOOL=ON' "$build/CMakeCache.txt"; then
  echo "skipped: the sanitizer build is not packaged"
  exit 77
fi
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
work=$(make_workdir)
unset DISPLAY

cmake --install "$build" --prefix "$work/prefix" >"$work/install.log" 2>&1
expect_eq $? 0 "cmake --install: $(tail -n 3 "$work/install.log")"
expect_eq "$(cd "$work/prefix" && find . -type f | sort | tr '\n' ' ')" \
  "./bin/quor-capture ./bin/quor-demo ./bin/quor-mem ./share/applications/quor-demo.desktop \
./share/doc/quor/copyright ./share/icons/hicolor/256x256/apps/quor-demo.png ./share/man/man1/quor-capture.1.gz \
./share/man/man1/quor-demo.1.gz ./share/man/man1/quor-mem.1.gz ./share/quor/demo.mp3 ./share/quor/tesk.mem " \
  "install tree"
desktop="$work/prefix/share/applications/quor-demo.desktop"
expect_eq "$(sed -n 's/^Exec=//p' "$desktop" | xargs -I{} test -x "$work/prefix/bin/{}" && echo yes)" yes \
  "the desktop entry starts an installed program"
icon="$work/prefix/share/icons/hicolor/256x256/apps/$(sed -n 's/^Icon=//p' "$desktop").png"
expect_eq "$(ffprobe -v error -show_entries stream=width,height -of csv=p=0 "$icon" 2>&1)" "256,256" \
  "the desktop entry's icon is a 256-pixel picture"
# A black frame compresses to a few hundred bytes; the creature takes tens of kilobytes.
expect_eq "$([ "$(stat -c %s "$icon")" -gt 10000 ] && echo yes)" yes "the icon shows something"
for program in quor-demo quor-mem quor-capture; do
  page=$(zcat "$work/prefix/share/man/man1/$program.1.gz")
  expect_eq "$(grep -c -e '^\.SH NAME' -e '^\.SH DESCRIPTION' <<<"$page") $(grep -c -F "$program $version" <<<"$page")" \
    "2 1" "man page of $program: name, description and version"
done
# quor-mem's page goes down to each command's options and the motion text's format.
page=$(zcat "$work/prefix/share/man/man1/quor-mem.1.gz")
expect_eq "$(grep -c '^\.SS "quor-mem ' <<<"$page") $(grep -c -e '--animation' -e '^A key line is' <<<"$page")" \
  "11 2" "man page of quor-mem: every command, its options, the motion text"

(cd "$build" && cpack -G DEB -B "$work/deb" >"$work/cpack.log" 2>&1)
expect_eq $? 0 "cpack -G DEB: $(tail -n 3 "$work/cpack.log")"
deb=$(ls "$work"/deb/*.deb)
expect_eq "$(dpkg-deb -f "$deb" Package Version | tr '\n' ' ')" "Package: quor Version: $version " "package name and version"
# Every shared library the programs need is a computed dependency, and its licence is named.
depends=$(dpkg-deb -f "$deb" Depends | tr ',' '\n' | sed 's/(.*)//; s/ //g')
expect_eq "$(grep -c . <<<"$depends" | awk '{ print ($1 >= 8) ? "yes" : "no (" $1 ")" }')" yes "dependencies computed"
missing=$(while read -r package; do
  grep -qwF "$package" "$work/prefix/share/doc/quor/copyright" || echo "$package"; done <<<"$depends")
expect_eq "$missing" "" "the copyright file names the licence of every dependency"

root="$work/root"
dpkg -x "$deb" "$root"
for program in quor-demo quor-mem quor-capture; do
  expect_eq "$("$root/usr/bin/$program" --version 2>&1)" "$program $version" "$program --version"
done
"$root/usr/bin/quor-mem" check "$root/usr/share/quor/tesk.mem" >"$work/check.txt" 2>&1
expect_eq $? 0 "installed quor-mem checks the installed data: $(tail -n 1 "$work/check.txt")"
# From a folder without data, the installed data is found after the usual search, music included,
# and finding it there is no failure to warn of.
mkdir "$work/elsewhere"
(cd "$work/elsewhere" && "$root/usr/bin/quor-capture" --out clip.mp4 --to 1 --size 160x90 --fps 10 2>err.txt)
expect_eq $? 0 "installed quor-capture --to 1 from another folder: $(tail -n 1 "$work/elsewhere/err.txt")"
expect_eq "$(grep -c WARNING "$work/elsewhere/err.txt")" 0 "the installed data found: no warning"
expect_eq "$(ffprobe -v error -show_entries stream=codec_name -of csv=p=0 "$work/elsewhere/clip.mp4" 2>&1 | tr '\n' ' ')" \
  "h264 aac " "the clip has pictures and the installed music"
finish
