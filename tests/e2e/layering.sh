#!/usr/bin/env bash
# The layering rules: src/ holds libraries only, and no folder of it includes a folder above it
# or the programs of apps/; the workbench's editing model knows no drawing,
# the interchange library no GL, window or ImGui; platform headers only in platform/; OpenGL
# calls only behind the seam (the loader and the platform's context code).
set -u
source "$(dirname "$0")/lib.bash"
cd "$QUOR_SOURCE_DIR/src"

# Bottom up; folders of one rank do not include each other, so no two folders need each other.
# platform/ is the bottom: it includes nothing of ours. The render device lives with the frame in
# app/ (where the layout puts it); the rendering files of gl/ below it draw through
# gl/immediate.h and only hand the device on.
declare -A rank=([platform]=0 [anim]=1 [io]=1 [gl]=2 [app]=3 [scene]=4 [demo]=5 [edit]=6 [interchange]=6
                 [capture]=6 [overlay]=7 [content]=7)

for folder in *; do
  [ -d "$folder" ] || continue
  expect_eq "${rank[$folder]+known}" known "folder $folder has a place in the layer order"
done

entries=$(grep -rlE '^(int|auto) main\(' --include='*.cpp' . | sed 's|^\./||' || true)
[ -n "$entries" ] && echo "$entries"
expect_eq "$(printf '%s' "$entries" | grep -c .)" 0 "entry points in src/ (programs live in apps/)"

# Every include of ours names a folder of src/ (or a generated header, version.h or
# build_config.h): src/ never reaches into apps/, whose headers are named without a folder.
foreign=$(grep -rnE '^#include "' --include='*.cpp' --include='*.h' . | sed 's|^\./||' \
  | while IFS= read -r line; do
      to=${line#*#include \"}
      to=${to%%\"*}
      case $to in
        version.h | build_config.h) continue ;;
        */*) [ -d "${to%%/*}" ] && continue ;;
      esac
      printf '%s\n' "$line"
    done || true)
[ -n "$foreign" ] && echo "$foreign"
expect_eq "$(printf '%s' "$foreign" | grep -c .)" 0 "includes from outside src/ (apps/)"

upward=$(grep -rHE '^#include "[a-z_]+/' --include='*.cpp' --include='*.h' . | sed 's|^\./||' \
  | while IFS= read -r line; do
      from=${line%%/*}
      to=${line#*#include \"}
      to=${to%%/*}
      [ "$from" = "$to" ] && continue
      if [ -z "${rank[$from]+x}" ] || [ -z "${rank[$to]+x}" ] || [ "${rank[$to]}" -ge "${rank[$from]}" ]; then
        printf '%s\n' "$line"
      fi
    done || true)
[ -n "$upward" ] && echo "$upward"
expect_eq "$(printf '%s' "$upward" | grep -c .)" 0 "includes of a folder above or beside"

# The libraries link as their folders include: each only the libraries of folders below it.
links=$(grep -hoE '^set\(_below_[a-z_]+[^)]*\)' "$QUOR_SOURCE_DIR"/cmake/*.cmake \
  | while read -r call; do
      call=${call#set(_below_}
      call=${call%)}
      set -- $call
      from=$1
      shift
      [ -n "${rank[$from]+x}" ] || printf 'quor_%s has no place in the layer order\n' "$from"
      for to in "$@"; do
        to=${to#quor_}
        [ -n "${rank[$to]+x}" ] && [ "${rank[$to]:-0}" -lt "${rank[$from]:-0}" ] || printf 'quor_%s links quor_%s\n' "$from" "$to"
      done
    done || true)
[ -n "$links" ] && echo "$links"
expect_eq "$(printf '%s' "$links" | grep -c .)" 0 "libraries linking a library of their rank or above"
expect_eq "$(grep -hcE '^set\(_below_' "$QUOR_SOURCE_DIR"/cmake/layers.cmake)" "${#rank[@]}" "every layer's links listed"

# The editing model is plain C++ over the demo: the overlay draws it.
drawing=$(grep -rnE '^#include ("(gl|overlay)/|<imgui)' --include='*.cpp' --include='*.h' edit || true)
[ -n "$drawing" ] && echo "$drawing"
expect_eq "$(printf '%s' "$drawing" | grep -c .)" 0 "edit/ includes neither gl/ nor overlay/"

# Importers and encoders run in a command-line tool without a display as well as in the workbench.
display='^#include ("gl/|"overlay/|"edit/|"platform/(window|offscreen_gl|audio)\.h"|"app/(system|render_device|offscreen_context|screenshot|device|device_manager)\.h"|<imgui|<GL/|<EGL/)'
shown=$(grep -rnE "$display" --include='*.cpp' --include='*.h' interchange || true)
[ -n "$shown" ] && echo "$shown"
expect_eq "$(printf '%s' "$shown" | grep -c .)" 0 "interchange/ knows no GL, window or ImGui"

# In the programs as in src/: a port touches platform/ only, and which system the
# build is for is the build's choice of platform files, never a question asked above them. The
# seam's WebGL side asks emscripten whether a context is current before it touches WebGL.
cd "$QUOR_SOURCE_DIR"
platform_headers='#include <(GL/(freeglut|glut|glx)|EGL/|SDL2/|time\.h|unistd\.h|fcntl\.h|signal\.h|spawn\.h|sys/|windows\.h|io\.h|dshow\.h|mmsystem\.h|emscripten)'
outside=$(grep -rnE "$platform_headers" --include='*.cpp' --include='*.h' src apps \
  | grep -vE '^src/(platform/|gl/api_web\.cpp:[0-9]+:#include <emscripten/html5_webgl\.h>)' || true)
[ -n "$outside" ] && echo "$outside"
expect_eq "$(printf '%s' "$outside" | grep -c .)" 0 "platform headers outside platform/"

asked=$(grep -rnE '^\s*#\s*(if|ifdef|ifndef|elif).*(_WIN32|_WIN64|__linux__|__MINGW|__EMSCRIPTEN__|__APPLE__)' \
          --include='*.cpp' --include='*.h' src apps | grep -vE '^src/platform/' || true)
[ -n "$asked" ] && echo "$asked"
expect_eq "$(printf '%s' "$asked" | grep -c .)" 0 "no system tests outside platform/"

# The build's switches come from the generated build_config.h alone: a file that asks one includes
# it, no source asks whether a header exists, and no CMake file defines a switch past it.
switches='QUOR_(WORKBENCH|WRITES_PNG|DATA_FROM_PROGRAMS)'
unseen=$(grep -rlE "$switches" --include='*.cpp' --include='*.h' src apps \
  | xargs -r grep -LE '^#include "build_config\.h"' || true)
[ -n "$unseen" ] && echo "$unseen"
expect_eq "$(printf '%s' "$unseen" | grep -c .)" 0 "files asking a switch without build_config.h"
guessed=$(grep -rnE '__has_include' --include='*.cpp' --include='*.h' src apps || true)
[ -n "$guessed" ] && echo "$guessed"
expect_eq "$(printf '%s' "$guessed" | grep -c .)" 0 "sources asking whether a header exists"
defined=$(grep -rnE "(COMPILE_DEFINITIONS|compile_definitions|add_definitions)[^#]*$switches" --include='*.cmake' \
            --include='CMakeLists.txt' cmake apps src tests CMakeLists.txt || true)
[ -n "$defined" ] && echo "$defined"
expect_eq "$(printf '%s' "$defined" | grep -c .)" 0 "switches defined outside build_config.h"

# GL headers come through the seam's header only (WebGL's into the seam's WebGL side); the
# platform's context code has its own.
gl_headers=$(grep -rnE '#include <(GL|GLES2)/' --include='*.cpp' --include='*.h' src apps \
  | grep -vE '^src/(gl/api(_web)?\.(h|cpp)|platform/([a-z_]+\.cpp|framebuffer_api\.h)|overlay/[a-z_]+\.cpp):' || true)
[ -n "$gl_headers" ] && echo "$gl_headers"
expect_eq "$(printf '%s' "$gl_headers" | grep -c .)" 0 "GL headers outside the seam and platform/"

# The workbench's overlay (ImGui's OpenGL 2 renderer and its state guard) is the one exception.
allowed='^src/(gl/api(_web)?\.cpp|platform/offscreen_gl\.cpp|platform/window\.cpp|platform/native_window\.cpp|overlay/[a-z_]+\.cpp):'
hits=$(grep -rnE '(^|[^A-Za-z_.>:])gl[A-Z][A-Za-z0-9]*\(' --include='*.cpp' --include='*.h' src apps \
         | grep -vE "$allowed" | grep -vE '^\S+:\s*//' || true)
[ -n "$hits" ] && echo "$hits"
expect_eq "$(printf '%s' "$hits" | grep -c .)" 0 "direct OpenGL calls outside the seam"
finish
