#!/usr/bin/env bash
# Configures and builds one build tree: scripts/build.sh [release|sanitize]. Incremental.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
kind=${1:-release}
case "$kind" in
  release)  dir="$root/build";      opts=(-DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
  sanitize) dir="$root/build-asan"; opts=(-DCMAKE_BUILD_TYPE=Debug -DQUOR_SANITIZE=ON -DQUOR_BENCH=OFF
                                          -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++) ;;
  *) echo "usage: scripts/build.sh [release|sanitize]" >&2; exit 2 ;;
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
