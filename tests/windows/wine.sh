#!/usr/bin/env bash
# tests/windows/wine.sh PREFIX PROGRAM ARGS...: runs a Windows program under Wine in the prefix
# PREFIX (made on first use), quietly, with its standard output's CRLF line ends made LF.
set -o pipefail
export WINEPREFIX=$1
shift
export WINEDEBUG=-all
# No Mono or Gecko install dialogs: nothing here needs .NET or the HTML engine.
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  flock "$WINEPREFIX/.lock" bash -c '[ -f "$WINEPREFIX/system.reg" ] || wine wineboot -i >/dev/null 2>&1'
fi
wine "$@" | tr -d '\r'
