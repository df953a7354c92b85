#!/usr/bin/env bash
# Prepares or ends the Wine prefix that the Windows tests run in.
#   wine_prefix.sh start: makes a fresh prefix in $WINEPREFIX and keeps one
#                         wineserver running for all the tests that follow.
#   wine_prefix.sh stop:  ends that wineserver and every Wine process in it.
set -euo pipefail
: "${WINEPREFIX:?set WINEPREFIX to the prefix folder}"
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer prompts when the prefix is made.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
case "${1:-}" in
  start)
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    # Server and system processes are started apart from the caller's
    # output, so that a test's output closes when its program ends.
    wineserver -p </dev/null >/dev/null 2>&1
    wineboot -i </dev/null >/dev/null 2>&1
    echo "wine prefix ready: $WINEPREFIX"
    ;;
  stop)
    wineserver -k 2>/dev/null || true
    ;;
  *)
    echo "usage: $0 start|stop" >&2
    exit 2
    ;;
esac
