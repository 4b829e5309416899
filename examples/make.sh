#!/usr/bin/env bash
# Makes again the examples that come from the project's own tools, with a release build's
# programs (build/bin unless a folder is given): motion.txt, the built data's motion records as
# text, and track.mp3, two seconds of the built soundtrack captured by quor-capture and encoded by
# quor-mem music. shot.lws, shot.glb and set.gltf are small files as other tools write them.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bin=${1:-$here/../build/bin}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$bin/quor-mem" build --out "$work/data" >/dev/null
"$bin/quor-mem" motion export "$work/data/tesk.mem" -o "$here/motion.txt"
"$bin/quor-capture" --data "$work/data" --frames "$work/shots" --from 20 --to 22 --size 64x36 --fps 1 >/dev/null
"$bin/quor-mem" music "$work/shots/audio.wav" --out "$here/track.mp3" >/dev/null
