#!/usr/bin/env bash
# Runs a command on a fresh virtual display with its own window manager
# (GNUstep needs one before a window can become main), and stops both after.
# GNUstep's pasteboard server starts beside the window manager: otherwise
# the first window to become key launches it and waits for it, which takes
# seconds on a busy machine.
set -euo pipefail
here=$(dirname "$0")
source "$here/../../tools/common.sh"
unset DISPLAY
start_display
if command -v gpbs >/dev/null; then
  gpbs --no-fork >/dev/null 2>&1 &
  ZERLIN_PIDS+=("$!")
fi
openbox --config-file "$here/openbox.xml" >/dev/null 2>&1 &
ZERLIN_PIDS+=("$!")
# openbox announces itself before it has loaded its theme and starts to
# manage windows; _OB_THEME is set once the theme is loaded, just before
# openbox manages windows.
for _ in $(seq 200); do
  xprop -root _OB_THEME 2>/dev/null | grep -q '= "' && break
  sleep 0.05
done
# GNUstep takes each window style's decorations (left, right, top, bottom)
# from the root window when they are there; otherwise it measures them at
# start-up, allowing the window manager one second per style, which a busy
# machine misses. These are openbox's with openbox.xml: a 1-pixel border, a
# 19-pixel title bar, and a 4-pixel handle under resizable styles (8 to 15).
t=1,1,20,1 r=1,1,20,5
xprop -root -f _GNUSTEP_FRAME_OFFSETS 16c -set _GNUSTEP_FRAME_OFFSETS \
  "$t,$t,$t,$t,$t,$t,$t,$r,$r,$r,$r,$r,$r,$r,$r"
"$@"
