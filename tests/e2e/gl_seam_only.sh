#!/usr/bin/env bash
# Engine code reaches OpenGL only through the seam: no direct gl* calls outside the loader and
# the platform files that create contexts.
set -u
source "$(dirname "$0")/lib.bash"
cd "$QUOR_SOURCE_DIR/src"
allowed='^(gl/api\.cpp|platform/offscreen_gl\.cpp):'
hits=$(grep -rnE '(^|[^A-Za-z_.>:])gl[A-Z][A-Za-z0-9]*\(' --include='*.cpp' --include='*.h' . \
         | sed 's|^\./||' | grep -vE "$allowed" | grep -vE '^\S+:\s*//' || true)
if [ -n "$hits" ]; then
  echo "$hits"
fi
expect_eq "$(printf '%s' "$hits" | wc -l)" 0 "direct OpenGL calls outside the seam"
finish
