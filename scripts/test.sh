#!/usr/bin/env bash
# Sets everything up and runs the test stages named, in this order, or all of them:
#   linux     the normal build and its suite
#   sanitize  the build under AddressSanitizer + UndefinedBehaviorSanitizer and its suite
#   windows   the Windows build and its suites under Wine (needs the linux build's data)
#   web       the browser player in Chromium, Firefox and WebKit (needs the linux build's quor-mem)
# scripts/test.sh [linux] [sanitize] [windows] [web]. Each stage ends with CTest's summary; the
# status is 1 if any stage failed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
all=(linux sanitize windows web)
stages=("$@")
[ ${#stages[@]} -gt 0 ] || stages=("${all[@]}")
for stage in "${stages[@]}"; do
  case " ${all[*]} " in
    *" $stage "*) ;;
    *) echo "usage: scripts/test.sh [linux] [sanitize] [windows] [web] (none: all)" >&2; exit 2 ;;
  esac
done
wanted() { case " ${stages[*]} " in *" $1 "*) return 0 ;; esac; return 1; }

bash "$root/scripts/setup.sh"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tests/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
status=0
if wanted linux; then
  echo "== tests (release build)"
  if bash "$root/scripts/build.sh" release; then
    (cd "$root/build" && ctest -j2 --output-on-failure) || status=1
  else
    status=1
  fi
fi
if wanted sanitize; then
  echo "== tests (sanitizer build)"
  # LeakSanitizer stops every thread at exit and reads their stacks and thread-local blocks: a
  # thread that exits meanwhile (Mesa's shader-cache thread) can crash that tracer, and clang 14's
  # runtime misjudges the bounds of some dynamic thread-local blocks. Mesa on the calling thread,
  # no cache thread, and no guess at those blocks: one thread at exit, the same result every run.
  if bash "$root/scripts/build.sh" sanitize; then
    (cd "$root/build-asan" && LP_NUM_THREADS=0 MESA_SHADER_CACHE_DISABLE=true \
       ASAN_OPTIONS="$ASAN_OPTIONS:intercept_tls_get_addr=0" ctest -j2 --output-on-failure) || status=1
  else
    status=1
  fi
fi
if wanted windows; then
  echo "== tests (windows build)"
  # The portable libraries' suites under Wine, then the player against the release build's data
  # and pictures (built here if the linux stage did not).
  if bash "$root/scripts/build.sh" release && bash "$root/scripts/build.sh" windows; then
    (cd "$root/build-windows" && QUOR_LINUX_BIN_DIR="$root/build/bin" ctest -j2 --output-on-failure) || status=1
  else
    status=1
  fi
fi
if wanted web; then
  echo "== tests (web build)"
  if bash "$root/scripts/build.sh" web; then
    # Firefox and WebKit draw WebGL only in a window: the browser tests run in an X server of their own.
    (cd "$root/build-web/npm" && NODE_PATH="$PWD/node_modules" \
       xvfb-run -a -s '-screen 0 1280x1024x24' node --test "$root/tests/web/") || status=1
  else
    status=1
  fi
fi
exit $status
