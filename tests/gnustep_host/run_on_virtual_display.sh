#!/usr/bin/env bash
# Runs a command on a fresh virtual display with its own window manager
# (GNUstep needs one before a window can become main), and stops both after.
# GNUstep's pasteboard server starts beside the window manager: otherwise
# the first window to become key launches it and waits for it, which takes
# seconds on a busy machine.
set -euo pipefail
source "$(dirname "$0")/../../tools/common.sh"
unset DISPLAY
start_display
if command -v gpbs >/dev/null; then
  gpbs --no-fork >/dev/null 2>&1 &
  ZERLIN_PIDS+=("$!")
fi
openbox >/dev/null 2>&1 &
ZERLIN_PIDS+=("$!")
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.05
done
"$@"
