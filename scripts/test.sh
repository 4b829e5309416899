#!/usr/bin/env bash
# Sets everything up and runs the whole test suite: the normal build, then again under
# AddressSanitizer + UndefinedBehaviorSanitizer, then the Windows build under Wine and the browser
# player in Chromium, Firefox and WebKit. Ends with CTest's summary.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" release
bash "$root/scripts/build.sh" sanitize
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tests/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
status=0
echo "== tests (release build)"
(cd "$root/build" && ctest -j2 --output-on-failure) || status=1
echo "== tests (sanitizer build)"
# LeakSanitizer stops every thread at exit and reads their stacks and thread-local blocks: a thread
# that exits meanwhile (Mesa's shader-cache thread) can crash that tracer, and clang 14's runtime
# misjudges the bounds of some dynamic thread-local blocks. Mesa on the calling thread, no cache
# thread, and no guess at those blocks: one thread at exit, the same result every run.
(cd "$root/build-asan" && LP_NUM_THREADS=0 MESA_SHADER_CACHE_DISABLE=true \
   ASAN_OPTIONS="$ASAN_OPTIONS:intercept_tls_get_addr=0" ctest -j2 --output-on-failure) || status=1
echo "== tests (windows build)"
# The portable libraries' suites under Wine, then the player against the release build's data.
if bash "$root/scripts/build.sh" windows; then
  (cd "$root/build-windows" && QUOR_LINUX_BIN_DIR="$root/build/bin" ctest -j2 --output-on-failure) || status=1
else
  status=1
fi
echo "== tests (web build)"
if bash "$root/scripts/build.sh" web; then
  # Firefox and WebKit draw WebGL only in a window: the browser tests run in an X server of their own.
  (cd "$root/build-web/npm" && NODE_PATH="$PWD/node_modules" \
     xvfb-run -a -s '-screen 0 1280x1024x24' node --test "$root/tests/web/") || status=1
else
  status=1
fi
exit $status
