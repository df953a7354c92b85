#!/usr/bin/env bash
# Measures the Windows library under Wine: getPointer beside the same window
# calls made directly, per path, then a soak of N calls (default 100000)
# for memory growth. Takes a minute or two; not part of the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/common.sh
ensure_packages
soak=${1:-100000}
cmake --preset windows >/dev/null
cmake --build --preset windows -j"$(nproc)" --target win_pointer_bench >/dev/null
build=$PWD/build/windows
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
tools/wine_prefix.sh start >/dev/null
trap 'tools/wine_prefix.sh stop' EXIT
bench=$build/bench/win_pointer_bench.exe
lib=$build/pointer/zerlin-probe.uxpaddon
tests/real_windows/win/on_display.sh wine "$bench" "$lib"
tests/real_windows/win/on_display.sh wine "$bench" "$lib" soak "$soak"
