#!/usr/bin/env bash
# The main job: builds the addon and its tests and shows what was built.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/common.sh
ensure_packages
cmake --preset default >/dev/null
cmake --build --preset default -j"$(nproc)"
lib=build/default/pointer/zerlin-probe.uxpaddon
echo "== built $lib ($(stat -c %s "$lib") bytes)"
tools/check_exports.sh "$lib"
ctest --preset default 2>&1 | tail -3
