#!/usr/bin/env bash
# Sets everything up and runs the demo: installs packages, builds, makes the data files if they
# are missing, then runs the demo full screen from the data folder. Without a display, the demo
# is captured to a video file instead (data/demo.mp4), rendered offscreen with its music.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" release
bin="$root/build/bin"
data="$root/data"
mkdir -p "$data"
# Made again when missing or older than the builder (a rebuilt builder may make new content).
if [ ! -f "$data/tesk.mem" ] || [ ! -f "$data/demo.mp3" ] || [ "$bin/quor-mem" -nt "$data/tesk.mem" ]; then
  "$bin/quor-mem" build --out "$data"
fi
cd "$data"
if [ -n "${DISPLAY:-}" ]; then
  exec "$bin/quor-demo"
fi
echo "run: no display; capturing the demo to video with quor-capture instead"
"$bin/quor-capture" --out "$data/demo.mp4"
echo "run: the demo's video (1280x720, 60 fps, with its music) is $data/demo.mp4"
