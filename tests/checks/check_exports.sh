#!/usr/bin/env bash
# Checks that a shared object exports exactly uxp_addon_init and
# uxp_addon_terminate and that its file is named zerlin-probe.uxpaddon.
set -euo pipefail
lib=$1
[ "$(basename "$lib")" = "zerlin-probe.uxpaddon" ] || { echo "wrong name: $lib"; exit 1; }
want="uxp_addon_init uxp_addon_terminate "
if [ "$(uname -s)" = "Darwin" ]; then
  # Every slice of a universal library, each on its own. Mach-O names carry
  # a leading underscore.
  status=0
  for arch in $(lipo -archs "$lib"); do
    exports=$(nm -arch "$arch" -gU "$lib" | awk 'NF == 3 {print $3}' | sed 's/^_//' | sort | tr '\n' ' ')
    echo "exports ($arch): $exports"
    [ "$exports" = "$want" ] || status=1
  done
  exit "$status"
fi
exports=$(nm -D --defined-only "$lib" | awk '$2 ~ /^[TDBRVW]$/ {print $3}' | sort | tr '\n' ' ')
echo "exports: $exports"
[ "$exports" = "$want" ]
