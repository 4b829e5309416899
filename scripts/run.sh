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
video="$data/demo.mp4"
# A video newer than the data and the programs that made it shows the same thing: kept.
if [ -f "$video" ] && [ "$video" -nt "$data/tesk.mem" ] && [ "$video" -nt "$data/demo.mp3" ] &&
   [ "$video" -nt "$bin/quor-capture" ] && [ "$video" -nt "$bin/quor-mem" ]; then
  echo "run: no display; the demo's video is up to date: $video"
  exit 0
fi
echo "run: no display; capturing the demo to video with quor-capture instead"
"$bin/quor-capture" --out "$video"
echo "run: the demo's video (1280x720, 60 fps, with its music) is $video"
