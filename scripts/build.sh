#!/usr/bin/env bash
# Configures and builds one build tree: scripts/build.sh [release|sanitize|windows|web]. Incremental.
# windows: the player with its workbench and quor-mem cross-built with MinGW-w64 into build-windows/
# (their libraries built once, from Debian's sources, under build-windows/deps), with
# bin/quor-demo.exe and bin/quor-mem.exe, the release a user unpacks and double-clicks
# (quor-demo-windows.zip: the exes, the data, the music and a README) and the exes alone for those
# who have the data (quor-demo-windows-exe.zip); the release's data comes from the release build's
# quor-mem.
# web: the player for browsers in build-web/ (emscripten), with a folder any static web server can
# serve in build-web/site/ (the page, the wasm and its script, the data and the music), and the
# browser tests' npm packages in build-web/npm/. It installs what it needs and makes the data with
# the release build's quor-mem.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
kind=${1:-release}
case "$kind" in
  # The release build and the Windows one are held to no warnings: the release's compiler stops on
  # one, and either fails below on one it printed.
  release)  dir="$root/build";      opts=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_COMPILE_WARNING_AS_ERROR=ON) ;;
  sanitize) dir="$root/build-asan"; opts=(-DCMAKE_BUILD_TYPE=Debug -DQUOR_SANITIZE=ON -DQUOR_BENCH=OFF
                                          -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++) ;;
  windows)  dir="$root/build-windows"; opts=(-DCMAKE_BUILD_TYPE=Release
                                             -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake"
                                             -DQUOR_WINDOWS_DEPS="$root/build-windows/deps/prefix")
            bash "$root/scripts/setup.sh" "$root/scripts/packages-windows.txt"
            bash "$root/scripts/windows-deps.sh" "$dir/deps" ;;
  web)      dir="$root/build-web";  opts=(-DCMAKE_BUILD_TYPE=Release -DQUOR_WORKBENCH=OFF) ;;
  *) echo "usage: scripts/build.sh [release|sanitize|windows|web]" >&2; exit 2 ;;
esac

configure=(cmake)
if [ "$kind" = web ]; then
  bash "$root/scripts/setup.sh" "$root/scripts/packages-web.txt"
  if ! command -v npm >/dev/null; then
    bash "$root/scripts/setup.sh" <(printf 'nodejs\nnpm\n')
  fi
  # The data comes from the release build's quor-mem.
  [ -x "$root/build/bin/quor-mem" ] || bash "$root/scripts/build.sh" release
  # Debian's emscripten finds its JavaScript tools (acorn) only through NODE_PATH.
  export NODE_PATH=/usr/share/nodejs
  configure=(emcmake cmake)
fi

if [ ! -f "$dir/CMakeCache.txt" ]; then
  "${configure[@]}" -S "$root" -B "$dir" "${opts[@]}" > /dev/null 2> >(grep -v "^configure:" >&2)
fi
echo "build: $kind in ${dir#$root/}"
if ! cmake --build "$dir" -j "$(nproc)" >"$dir/build.log" 2>&1; then
  grep -E 'error|Error' "$dir/build.log" | head -40
  echo "build: $kind FAILED (full log: ${dir#$root/}/build.log)"
  exit 1
fi
warnings=$(grep -E 'warning:' "$dir/build.log" | sort -u || true)
[ -z "$warnings" ] || head -20 <<<"$warnings"
if [ -n "$warnings" ] && { [ "$kind" = release ] || [ "$kind" = windows ]; }; then
  # What the compiler does not stop on (the linker's, MinGW's, a build tree configured before)
  # still fails it.
  echo "build: $kind has warnings (full log: ${dir#$root/}/build.log)"
  exit 1
fi
if [ "$kind" = windows ]; then
  # The release a Windows user unpacks and double-clicks: a folder with the exe, the data and the
  # music made by the release build's quor-mem, and the README written for them. Packed again only
  # when one of them has changed.
  [ -x "$root/build/bin/quor-mem" ] || bash "$root/scripts/build.sh" release
  data="$dir/release-data"
  mkdir -p "$data"
  if [ ! -f "$data/tesk.mem" ] || [ "$root/build/bin/quor-mem" -nt "$data/tesk.mem" ]; then
    "$root/build/bin/quor-mem" build --out "$data" >/dev/null
  fi
  zip="$dir/quor-demo-windows.zip"
  parts=("$dir/bin/quor-demo.exe" "$dir/bin/quor-mem.exe" "$data/tesk.mem" "$data/demo.mp3"
         "$root/packaging/windows/README.txt")
  if [ ! -f "$zip" ] || [ -n "$(find "${parts[@]}" -newer "$zip")" ]; then
    staged="$dir/release/quor-demo"
    rm -rf "$dir/release"
    mkdir -p "$staged"
    cp "${parts[@]}" "$staged/"
    rm -f "$zip"
    (cd "$dir/release" && cmake -E tar cf "$zip" --format=zip quor-demo)
  fi
  echo "build: the release in ${zip#$root/} ($(du -k "$zip" | cut -f1) KB), the exes alone in build-windows/quor-demo-windows-exe.zip"
fi
[ "$kind" = web ] || exit 0

# The servable folder. The data is made again only when quor-mem has changed since.
site="$dir/site"
mkdir -p "$site"
cp "$root/web/index.html" "$root/web/player.js" "$root/web/stream.js" "$dir/bin/quor-demo.js" "$dir/bin/quor-demo.wasm" "$site/"
if [ ! -f "$site/tesk.mem" ] || [ "$root/build/bin/quor-mem" -nt "$site/tesk.mem" ]; then
  "$root/build/bin/quor-mem" build --out "$site" >/dev/null
fi
# The data file's parts for the page, made again only when the file has changed; one packer at a time.
flock "$dir/pack.lock" node "$root/web/pack.js" "$site"
# The fixed-function probe's page, for the browser tests.
mkdir -p "$dir/probe"
cp "$root/tests/web/gl_probe.html" "$dir/bin/gl_probe.js" "$dir/bin/gl_probe.wasm" "$dir/probe/"
echo "build: web folder in ${site#$root/} (serve it, e.g. python3 -m http.server -d ${site#$root/})"

# The browser tests' packages, from the lockfile, kept inside the build tree.
npm_dir="$dir/npm"
mkdir -p "$npm_dir"
if ! cmp -s "$root/tests/web/package-lock.json" "$npm_dir/package-lock.json" || [ ! -d "$npm_dir/node_modules" ]; then
  cp "$root/tests/web/package.json" "$root/tests/web/package-lock.json" "$npm_dir/"
  (cd "$npm_dir" && npm ci --no-audit --no-fund --loglevel=error >/dev/null)
fi
