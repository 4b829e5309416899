# Helpers for the end-to-end scripts: a scratch folder, a private X server, assertions.
failures=0
# The GL driver is unloaded at exit, so its own allocations show up as leaks from an unknown
# module; leak checking belongs to the unit tests, not to whole-program runs.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

make_workdir() { mktemp -d "${TMPDIR:-/tmp}/quor-e2e.XXXXXX"; }

# run_in_x LOG CMD...: runs CMD under its own Xvfb (never the caller's display), 1024x768.
run_in_x()
{
    local log=$1
    shift
    timeout 120 xvfb-run -a -s '-screen 0 1024x768x24' "$@" >"$log" 2>&1
}

expect_eq()
{
    if [ "$1" != "$2" ]; then
        echo "FAIL: $3: got '$1', expected '$2'"
        failures=$((failures + 1))
    else
        echo "ok: $3"
    fi
}

finish()
{
    [ "$failures" -eq 0 ] && exit 0
    exit 1
}
