#!/usr/bin/env bash
# Runs a command on a fresh virtual display with its own window manager
# (GNUstep needs one before a window can become main), and stops both after.
# GNUstep's pasteboard server starts beside the window manager: otherwise
# the first window to become key launches it and waits for it, which takes
# seconds on a busy machine.
set -euo pipefail
here=$(dirname "$0")
source "$here/../../../tools/common.sh"
start_display
# GNUstep keeps its message ports, and the lock over their names, under
# $TEMP: a folder of this run's own, so that no other GNUstep process
# (another run's, or one stopped while it held the lock) delays this one.
TEMP=$(mktemp -d)
export TEMP
trap 'stop_started; rm -rf "$TEMP" 2>/dev/null || true' EXIT
# Its notification centre too: with message ports of the run's own, one that
# AppKit launched would be a new daemon that outlives every run.
for server in gpbs gdnc; do
  command -v "$server" >/dev/null || continue
  "$server" --no-fork >/dev/null 2>&1 &
  ZERLIN_PIDS+=("$!")
done
# Waits up to $1 seconds until the command after it succeeds; 1 if it never
# does. A time, not a count of tries: each try forks a client, and on a busy
# machine 200 tries took 32 s.
wait_until() {
  local end=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$end" ] || return 1
    sleep 0.05
  done
}
openbox_gone() { ! kill -0 "$openbox" 2>/dev/null; }
# openbox sets _OB_THEME once it has loaded its theme, but a window mapped
# about then may never be framed, and GNUstep windows mapped too early were
# seen, on a busy machine, to keep a frame where the window was not.
theme_loaded() { openbox_gone || xprop -root _OB_THEME 2>/dev/null | grep -q '= "'; }
# A probe window that openbox has framed (it sets _NET_FRAME_EXTENTS) shows
# that it manages new windows. The probe stays, in a corner no case uses:
# its end would hand the input focus back to the X server (PointerRoot)
# while GNUstep starts.
probe_framed() {
  openbox_gone || xprop -name zerlin-wm-ready _NET_FRAME_EXTENTS 2>/dev/null | grep -q =
}
# openbox may fail to start (on a busy machine it was once refused the
# display); it is started again then, up to three times. Without a window
# manager every case would fail for minutes and name the wrong cause, so a
# window manager that never manages the probe ends the run here.
probe=""
for attempt in 1 2 3; do
  openbox --config-file "$here/openbox.xml" >"$TEMP/openbox.log" 2>&1 &
  openbox=$!
  ZERLIN_PIDS+=("$openbox")
  wait_until 30 theme_loaded || true
  if [ -z "$probe" ] && ! openbox_gone; then
    xmessage -title zerlin-wm-ready -geometry +0-0 ready >/dev/null 2>&1 &
    probe=$!
    ZERLIN_PIDS+=("$probe")
  fi
  if wait_until 30 probe_framed && ! openbox_gone; then break; fi
  if ! openbox_gone; then
    echo "openbox runs on $DISPLAY but framed no window within 30 s" >&2
    exit 1
  fi
  echo "openbox exited before it managed a window (attempt $attempt):" \
    "$(tr '\n' ' ' <"$TEMP/openbox.log")" >&2
  [ "$attempt" -lt 3 ] || exit 1
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
