#!/usr/bin/env bash
# Runs every test: installs what is missing, then builds and tests each
# preset (plain, then sanitizers) with its workflow preset, checks the script
# side (typings, README snippets, example plug-in, CI workflows), and ends
# with one total. Each preset's whole output is kept in build/logs/.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/common.sh

# The windows preset shows real windows under Wine: the whole run goes on a
# display without a window manager (with_display). The GNUstep run starts a
# display of its own, with a window manager.
if [ "${1:-}" != "--on-display" ]; then
  ensure_packages
  rc=0
  with_display bash tools/test.sh --on-display || rc=$?
  exit "$rc"
fi

PRESETS=(default asan tsan gnustep fuzz windows)

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
