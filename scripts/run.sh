#!/usr/bin/env bash
# Sets everything up and runs the demo: installs packages, builds, makes the data files if they
# are missing, then runs the demo full screen from the data folder. Without a display, the demo
# runs under a private virtual X server instead (nothing to see, but it runs its whole timeline).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" release
bin="$root/build/bin"
data="$root/data"
mkdir -p "$data"
if [ -x "$bin/quor-mem" ] && { [ ! -f "$data/tesk.mem" ] || [ ! -f "$data/demo.mp3" ]; }; then
  "$bin/quor-mem" build --out "$data"
fi
cd "$data"
if [ -n "${DISPLAY:-}" ]; then
  exec "$bin/quor-demo"
fi
echo "run: no display; running the demo under a virtual X server (Xvfb)"
exec xvfb-run -a -s '-screen 0 1024x768x24' "$bin/quor-demo"
