#!/usr/bin/env bash
# The README's commands as written, on what a fresh clone holds once built: build/ and no data/.
# Every sh block after a "checked by tests/e2e/readme.sh" comment runs in a scratch copy of that
# layout under its own X server and must succeed: first the blocks that make the data and install
# the programs, then the others in the README's order. Every other sh block must say why it is not
# run here. Captures draw small pictures at a low rate and the demo shows only its last half
# second: the same commands, a fraction of the work.
set -u
source "$(dirname "$0")/lib.bash"
build=$(cd "$QUOR_BIN_DIR/.." && pwd)
work=$(make_workdir)
repo="$work/repo"
home="$work/home"
mkdir -p "$repo/build/bin" "$home" "$work/path"
# build/ is the real build tree seen through links (cmake --install reads it), with bin/ of its own.
for entry in "$build"/*; do
  [ "$(basename "$entry")" = bin ] || ln -s "$entry" "$repo/build/"
done
ln -s "$QUOR_BIN_DIR/quor-mem" "$repo/build/bin/"
# What the README's examples name: a data folder in the home; the clone's examples/ folder.
mkdir "$home/demo-data"
ln -s "$repo/data/tesk.mem" "$repo/data/demo.mp3" "$home/demo-data/"
cp -r "$QUOR_SOURCE_DIR/examples" "$repo/"

# small FILE PROGRAM EXTRA...: FILE runs PROGRAM with the options it is given, less those EXTRA
# names (--name=value or a flag), then with EXTRA. A demo told to --loop runs until Escape,
# pressed here once its window is up.
small()
{
  local file=$1
  cat >"$file" <<EOF
#!/usr/bin/env bash
real=$2
extra=(${*:3})
EOF
  cat >>"$file" <<'EOF'
names=" "
for e in "${extra[@]}"; do names+="${e%%=*} "; done
args=()
loop=
while [ $# -gt 0 ]; do
  if [[ $names == *" ${1%%=*} "* ]]; then
    [[ $1 == *=* || $# -lt 2 || $2 == -* ]] || shift
  else
    [ "$1" != --loop ] || loop=1
    args+=("$1")
  fi
  shift
done
[ -n "$loop" ] || exec "$real" "${args[@]}" "${extra[@]}"
"$real" "${args[@]}" "${extra[@]}" & pid=$!
find-window "render device test" 60 >/dev/null
sleep 1
xdotool key --window "$(find-window "render device test" 3)" Escape >/dev/null 2>&1
wait $pid
EOF
  chmod +x "$file"
}
small "$repo/build/bin/quor-capture" "$QUOR_BIN_DIR/quor-capture" --size=64x36 --fps=4
small "$repo/build/bin/quor-demo" "$QUOR_BIN_DIR/quor-demo" --start=30.5 --mute --window=320x240
# The README's bare quor-demo is the installed one.
small "$work/path/quor-demo" "$home/.local/bin/quor-demo" --start=30.5 --mute --window=320x240

blocks="$work/blocks"
mkdir "$blocks"
awk -v dir="$blocks" '
  /<!-- checked by tests\/e2e\/readme.sh -->/ { marked = 1; next }
  /<!-- not run by tests\/e2e\/readme.sh: .+ -->/ { skipped = 1; next }
  /^```sh/ { n++; inside = 1; if (!marked && !skipped) print "line " NR > (dir "/unmarked"); next }
  inside && /^```/ { inside = 0; marked = 0; skipped = 0; next }
  inside && marked { print > (dir "/" sprintf("%02d", n)) }
' "$QUOR_SOURCE_DIR/README.md"
expect_eq "$(cat "$blocks/unmarked" 2>/dev/null)" "" "every sh block of the README is checked or says why not"
rm -f "$blocks/unmarked"
expect_eq "$(ls "$blocks" | wc -l | awk '{ print ($1 >= 7) ? "yes" : "no (" $1 ")" }')" yes "the README's checked blocks are found"
# A fresh clone first makes its data; the bare program names are those the install puts on the PATH.
first=$(grep -l 'quor-mem build --out data' "$blocks"/*)
install=$(grep -l 'cmake --install build' "$blocks"/*)
expect_eq "$([ -n "$first" ] && [ -n "$install" ] && echo yes)" yes "checked blocks make the data and install"

for block in $first $install $(ls "$blocks"/* | grep -vxF -e "$first" -e "$install"); do
  (cd "$repo" && HOME="$home" PATH="$work/path:$home/.local/bin:$PATH" run_in_x "$block.log" bash -e "$block")
  expect_eq $? 0 "README block: $(head -n 1 "$block" | cut -c1-60): $(tail -n 2 "$block.log" | tr '\n' ' ')"
done
for made in data/tesk.mem data/demo.mp4 data/shots/frame_00000.png clip.webm motion.txt floor.png; do
  expect_eq "$([ -s "$repo/$made" ] && echo yes)" yes "$made written"
done
expect_eq "$([ -x "$home/.local/bin/quor-demo" ] && echo yes)" yes "installed into ~/.local"
finish
