#!/usr/bin/env bash
# The main job: builds the two flavours that run on this machine, shows each
# in a sample host window on a virtual display, prints live readings of
# getPointer next to the verdict each should give and why, and draws an
# activity map of each window. Windows x64: cross-built with mingw-w64, in a
# host program under Wine, with one more reading in a new process at 144 dpi.
# macOS: the AppKit provider built against GNUstep, in a GNUstep application
# with controls, a web view and a second window.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/common.sh

ensure_packages
# Each sample host gets a virtual display of its own, whatever $DISPLAY says:
# Wine's without a window manager, so that any process may take the
# foreground; GNUstep's with openbox.
started=$SECONDS

# Configures a preset and builds the given targets. The output goes to
# build/logs/ and is shown only when something fails.
build_quietly() {
  local preset=$1 log=build/logs/run-$1.log
  shift
  mkdir -p build/logs
  if ! { cmake --preset "$preset" && cmake --build --preset "$preset" -j"$(nproc)" --target "$@"; } \
      >"$log" 2>&1; then
    echo "building $* ($preset) failed; whole log in $log:"
    tail -n 60 "$log"
    return 1
  fi
}

win=$PWD/build/windows
win_lib=$win/pointer/zerlin-probe.uxpaddon
win_host=$win/tests/real_windows/win/real_window_host.exe
gs=$PWD/build/gnustep
gs_lib=$gs/pointer/zerlin-probe.uxpaddon
gs_host=$gs/tests/real_windows/appkit/appkit_test_host

echo "== building the Windows x64 library (mingw-w64) and its host program"
build_quietly windows real_window_host
echo "built $win_lib ($(stat -c %s "$win_lib") bytes)"
cmake -DLIBRARY="$win_lib" -DARCH=x64 -P tests/checks/check_pe_tables.cmake 2>&1 | sed 's/^/  /'

echo "== building the macOS flavour against GNUstep and its host application"
build_quietly gnustep appkit_test_host
echo "built $gs_lib ($(stat -c %s "$gs_lib") bytes)"

echo "== Windows x64: the library in a sample host window, under Wine"
export WINEPREFIX=$win/demo-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
tools/wine_prefix.sh start >/dev/null
trap 'tools/wine_prefix.sh stop' EXIT
win_demo=$win/demo
rm -rf "$win_demo" && mkdir -p "$win_demo"
tests/real_windows/win/on_display.sh tools/capture_demo.sh "$win_demo" wine "$win_host" "$win_lib" demo "$win_demo"
tools/wine_prefix.sh stop
trap - EXIT
tools/activity_map.sh windows "$win_demo/screen.png" "$win_demo/samples.txt" "$win/activity-map.png"

echo "== macOS flavour: the library in a sample GNUstep window"
gs_demo=$gs/demo
rm -rf "$gs_demo" && mkdir -p "$gs_demo"
tests/real_windows/appkit/run_on_virtual_display.sh \
  tools/capture_demo.sh "$gs_demo" "$gs_host" -addon "$gs_lib" demo "$gs_demo"
tools/activity_map.sh mac "$gs_demo/screen.png" "$gs_demo/samples.txt" "$gs/activity-map.png"

echo "== activity maps (in $((SECONDS - started)) s in all)"
echo "  Windows x64: $win/activity-map.png"
echo "  macOS:       $gs/activity-map.png"
