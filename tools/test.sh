#!/usr/bin/env bash
# The test command: installs what is missing, then configures, builds and
# tests each workflow preset below, plain and under the sanitizers, and ends
# with one line, "tests: N passed, M failed", counted from CTest's own JUnit
# reports. A preset that passes prints one line; one that fails shows each
# failed test's output, or the end of its log when it did not build. Whole
# logs: build/logs/PRESET.log. The real-window tests start displays of their
# own, so none is needed here.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/common.sh
ensure_packages
presets=(default asan tsan gnustep fuzz windows)

status=0
mkdir -p build/logs
for preset in "${presets[@]}"; do
  started=$SECONDS
  rm -f "build/$preset/junit.xml"
  CMAKE_BUILD_PARALLEL_LEVEL=$(nproc) CTEST_PARALLEL_LEVEL=$(nproc) \
    cmake --workflow --preset "$preset" >"build/logs/$preset.log" 2>&1 || status=1
  cmake -DPRESET="$preset" -DSECONDS=$((SECONDS - started)) -P tools/test_report.cmake || status=1
done
cmake -DPRESETS="${presets[*]}" -P tools/test_report.cmake
exit "$status"
