#!/usr/bin/env bash
# The main job: cross-builds the Windows library, loads it into a sample
# host window under Wine on a virtual display, prints live readings of
# getPointer and draws the activity map of that window.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/common.sh
ensure_packages

echo "== building the Windows library (mingw-w64)"
cmake --preset windows >/dev/null
cmake --build --preset windows -j"$(nproc)" --target real_window_host >/dev/null
build=$PWD/build/windows
lib=$build/pointer/zerlin-probe.uxpaddon
echo "built $lib ($(stat -c %s "$lib") bytes)"
tools/check_pe_tables.sh "$(command -v x86_64-w64-mingw32-objdump)" "$lib" | sed 's/^/  /'

echo "== starting Wine on a virtual display"
start_display
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
tools/wine_prefix.sh start >/dev/null
trap 'tools/wine_prefix.sh stop; stop_started' EXIT

echo "== the addon in a sample host window"
demo=$build/demo
rm -rf "$demo" && mkdir -p "$demo"
wine "$build/tests/win/real_window_host.exe" "$lib" demo "$demo" &
host=$!
for _ in $(seq 600); do
  if [ -e "$demo/ready" ] || ! kill -0 "$host" 2>/dev/null; then break; fi
  sleep 0.1
done
[ -e "$demo/ready" ] || { echo "the sample host did not get ready"; exit 1; }
import -window root "$demo/screen.png"
touch "$demo/captured"
wait "$host"

map=$build/activity-map.png
tools/activity_map.sh "$demo/screen.png" "$demo/samples.txt" "$map"
echo "== activity map: $map"
