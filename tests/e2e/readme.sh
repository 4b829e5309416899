#!/usr/bin/env bash
# The README's commands as written: every code block after a "checked by tests/e2e/readme.sh"
# comment runs, in order, in a scratch copy of the repository's layout (data/ and build/) under
# its own X server, and must succeed. Captures there draw small pictures at a low rate and the
# demo shows only its last half second: the same commands, a fraction of the work.
set -u
source "$(dirname "$0")/lib.bash"
build=$(cd "$QUOR_BIN_DIR/.." && pwd)
data=$(data_dir) || { echo "FAIL: could not build the data"; exit 1; }
work=$(make_workdir)
repo="$work/repo"
mkdir -p "$repo/data" "$repo/build/bin" "$work/home"
ln -s "$data/tesk.mem" "$data/demo.mp3" "$repo/data/"
# build/ is the real build tree seen through links (cmake --install reads it), with bin/ of its own.
for entry in "$build"/*; do
  [ "$(basename "$entry")" = bin ] || ln -s "$entry" "$repo/build/"
done
ln -s "$QUOR_BIN_DIR/quor-mem" "$repo/build/bin/"

# small PROGRAM EXTRA...: build/bin/PROGRAM runs the real one without its --size and --fps, then EXTRA.
small()
{
  local program=$1
  shift
  cat >"$repo/build/bin/$program" <<EOF
#!/usr/bin/env bash
args=()
while [ \$# -gt 0 ]; do
  case \$1 in --size | --fps) shift ;; --size=* | --fps=*) ;; *) args+=("\$1") ;; esac
  shift
done
exec "$QUOR_BIN_DIR/$program" "\${args[@]}" $*
EOF
  chmod +x "$repo/build/bin/$program"
}
small quor-capture --size 64x36 --fps 4
small quor-demo --start 30.5 --mute --window 320x240

blocks="$work/blocks"
mkdir "$blocks"
awk -v dir="$blocks" '
  /<!-- checked by tests\/e2e\/readme.sh -->/ { marked = 1; next }
  marked && /^```/ { if (inside) { inside = 0; marked = 0 } else { inside = 1; n++ } next }
  inside { print > (dir "/" sprintf("%02d", n)) }
' "$QUOR_SOURCE_DIR/README.md"
expect_eq "$(ls "$blocks" | wc -l | awk '{ print ($1 >= 5) ? "yes" : "no (" $1 ")" }')" yes "the README's marked blocks are found"

for block in "$blocks"/*; do
  (cd "$repo" && HOME="$work/home" run_in_x "$block.log" bash -e "$block")
  expect_eq $? 0 "README block: $(head -n 1 "$block" | cut -c1-60): $(tail -n 2 "$block.log" | tr '\n' ' ')"
done
for made in data/demo.mp4 data/shots/frame_00000.png clip.webm; do
  expect_eq "$([ -s "$repo/$made" ] && echo yes)" yes "$made written"
done
expect_eq "$([ -x "$work/home/.local/bin/quor-demo" ] && echo yes)" yes "installed into ~/.local"
finish
