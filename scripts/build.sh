#!/usr/bin/env bash
# Configures and builds one build tree: scripts/build.sh [release|sanitize|windows]. Incremental.
# windows: the player cross-built with MinGW-w64 into build-windows/ (its libraries built once, from
# Debian's sources, under build-windows/deps), with bin/quor-demo.exe and quor-demo-windows.zip.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
kind=${1:-release}
case "$kind" in
  release)  dir="$root/build";      opts=(-DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
  sanitize) dir="$root/build-asan"; opts=(-DCMAKE_BUILD_TYPE=Debug -DQUOR_SANITIZE=ON -DQUOR_BENCH=OFF
                                          -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++) ;;
  windows)  dir="$root/build-windows"; opts=(-DCMAKE_BUILD_TYPE=Release -DQUOR_WORKBENCH=OFF
                                             -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake"
                                             -DQUOR_WINDOWS_DEPS="$root/build-windows/deps/prefix")
            bash "$root/scripts/setup.sh" "$root/scripts/packages-windows.txt"
            bash "$root/scripts/windows-deps.sh" "$dir/deps" ;;
  *) echo "usage: scripts/build.sh [release|sanitize|windows]" >&2; exit 2 ;;
esac
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$dir" "${opts[@]}" >/dev/null
fi
echo "build: $kind in ${dir#$root/}"
if ! cmake --build "$dir" -j "$(nproc)" >"$dir/build.log" 2>&1; then
  grep -E 'error|Error' "$dir/build.log" | head -40
  echo "build: $kind FAILED (full log: ${dir#$root/}/build.log)"
  exit 1
fi
grep -E 'warning:' "$dir/build.log" | sort -u | head -20 || true
