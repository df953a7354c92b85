#!/usr/bin/env bash
# Prepares or ends the Wine prefix that the Windows tests run in.
#   wine_prefix.sh start: a fresh prefix in $WINEPREFIX; a virtual display of
#     the session's own (Xvfb, no window manager), whatever DISPLAY says, named
#     in $WINEPREFIX/zerlin-display for tests/real_windows/win/on_display.sh;
#     and one wineserver kept running for all the tests that follow.
#   wine_prefix.sh stop: ends that wineserver, its Wine processes and the display.
set -euo pipefail
: "${WINEPREFIX:?set WINEPREFIX to the prefix folder}"
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer prompts when the prefix is made.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
xvfb_pid=$WINEPREFIX.xvfb-pid

# Ends the virtual display of an earlier start, if it still runs.
stop_display() {
  [ -s "$xvfb_pid" ] || return 0
  local pid
  pid=$(cat "$xvfb_pid")
  [ "$(ps -p "$pid" -o comm= 2>/dev/null)" != "Xvfb" ] || kill "$pid" 2>/dev/null || true
  rm -f "$xvfb_pid"
}

# Wine's desktop process, started with the prefix, binds the session to the
# display it finds then; a window manager there would keep Wine's windows
# from taking the foreground, and a contributor's desktop would show them.
# Xvfb picks a free display number itself and writes it to fd 3 once it is
# ready; -noreset keeps it from resetting, and refusing new clients for that
# moment, each time its last client leaves (a test's xdpyinfo, say).
start_display() {
  local number=$WINEPREFIX.display-number
  rm -f "$number"
  setsid Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset \
    3>"$number" </dev/null >/dev/null 2>&1 &
  echo $! >"$xvfb_pid"
  for _ in $(seq 100); do [ -s "$number" ] && break; sleep 0.1; done
  [ -s "$number" ] || { echo "Xvfb did not start within 10 s"; return 1; }
  DISPLAY=:$(tr -d '[:space:]' <"$number")
  export DISPLAY
  rm -f "$number"
  echo "$DISPLAY" >"$WINEPREFIX/zerlin-display"
  echo "started a virtual display $DISPLAY for the Wine session"
}

case "${1:-}" in
  start)
    wineserver -k 2>/dev/null || true
    stop_display
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    unset DISPLAY
    command -v Xvfb >/dev/null && start_display
    # Server and system processes are started apart from the caller's
    # output, so that a test's output closes when its program ends.
    wineserver -p </dev/null >/dev/null 2>&1
    wineboot -i </dev/null >/dev/null 2>&1
    echo "wine prefix ready: $WINEPREFIX"
    ;;
  stop) wineserver -k 2>/dev/null || true; stop_display ;;
  *) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
