#!/usr/bin/env bash
# Runs a Windows program that shows real windows under Wine, on the display
# of the Wine session: the virtual one that tools/wine_prefix.sh started for
# the prefix, or else $DISPLAY. Without a display that answers it prints one
# line saying why and exits 77, which ctest counts as skipped (under CI=true,
# as failed).
# Usage: on_display.sh WINE PROGRAM ARGS...
set -uo pipefail
recorded=${WINEPREFIX:-/nonexistent}/zerlin-display
if [ -s "$recorded" ]; then
  DISPLAY=$(cat "$recorded")
  export DISPLAY
fi
answers() {
  [ -n "${DISPLAY:-}" ] || return 1
  command -v xdpyinfo >/dev/null || return 0
  xdpyinfo >/dev/null 2>&1
}
if ! answers; then
  why="no X display answers (${DISPLAY:-DISPLAY unset}) and none was started: install xvfb, or set DISPLAY"
  if [ "${CI:-}" = true ]; then
    echo "failed: $why"
    exit 1
  fi
  echo "skipped: $why"
  exit 77
fi
exec "$@"
