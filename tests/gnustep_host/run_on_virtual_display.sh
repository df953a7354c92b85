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
# openbox announces itself before it has loaded its theme and starts to
# manage windows; GNUstep, started in that gap, fails to learn the size of
# the window decorations and never reports a title bar. _OB_THEME is set
# once the theme is loaded, just before openbox manages windows.
for _ in $(seq 200); do
  xprop -root _OB_THEME 2>/dev/null | grep -q '= "' && break
  sleep 0.05
done

# GNUstep measures the window manager's decorations when it starts, giving
# the window manager one second per window style. When that fails (a busy
# machine), it reports no title bar for any window, which no case can
# mend: the command runs once more on a fresh display, and says so.
err=$(mktemp)
trap 'stop_started; rm -f "$err"' EXIT
rc=0
"$@" 2>"$err" || rc=$?
cat "$err" >&2
if [ "$rc" -ne 0 ] && [ -z "${ZERLIN_FRESH_DISPLAY:-}" ] &&
   grep -q 'Failed to determine offsets' "$err"; then
  echo "GNUstep could not measure the window decorations while starting; running again on a fresh display"
  stop_started
  ZERLIN_PIDS=()
  rm -f "$err"
  trap - EXIT
  ZERLIN_FRESH_DISPLAY=1 exec "$0" "$@"
fi
exit "$rc"
