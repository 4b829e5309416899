#!/usr/bin/env bash
# The demo window opens under a private X server and a real Escape key event ends it with status 0.
set -u
source "$(dirname "$0")/lib.sh"
work=$(make_workdir)
cd "$work"
run_in_x "$work/x.log" bash -c '
  "$QUOR_BIN_DIR/quor-demo" 2>"'"$work"'/stderr.txt" & pid=$!
  xdotool search --sync --name "render device test" >/dev/null 2>&1
  sleep 1
  xdotool search --name "render device test" key --window %1 Escape >/dev/null 2>&1
  wait $pid; echo $? > "'"$work"'/status"'
status=$(cat "$work/status" 2>/dev/null || echo missing)
expect_eq "$status" 0 "exit status after Escape"
finish
