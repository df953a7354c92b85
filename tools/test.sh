#!/usr/bin/env bash
# Runs every test: installs what is missing, then builds and tests each
# preset (plain, then sanitizers), checks the script side (typings, example
# plug-in, CI workflows), and ends with one total.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/common.sh
ensure_packages

PRESETS=(default asan tsan gnustep fuzz windows)
# The windows preset shows real windows under Wine: it needs a display, and
# no window manager, so that any process may take the foreground. The
# GNUstep run starts a display of its own, with a window manager.
start_display

export ZERLIN_COUNTS
ZERLIN_COUNTS=$(mktemp)
status=0
for preset in "${PRESETS[@]}"; do
  run_preset "$preset" || status=1
done
bash tools/check_scripts.sh || status=1
bash tools/check_clang_windows.sh || status=1
bash tools/check_clang_mac.sh || status=1
bash tools/check_release.sh || status=1
failed=$(awk '{f += $1} END {print f + 0}' "$ZERLIN_COUNTS")
total=$(awk '{t += $2} END {print t + 0}' "$ZERLIN_COUNTS")
rm -f "$ZERLIN_COUNTS"
[ "$status" -eq 0 ] || [ "$failed" -gt 0 ] || failed=1
echo "tests: $((total - failed)) passed, $failed failed"
exit "$status"
