#!/usr/bin/env bash
# Checks that a shared object exports exactly uxp_addon_init and
# uxp_addon_terminate and that its file is named zerlin-probe.uxpaddon.
set -euo pipefail
lib=$1
[ "$(basename "$lib")" = "zerlin-probe.uxpaddon" ] || { echo "wrong name: $lib"; exit 1; }
if [ "$(uname -s)" = "Darwin" ]; then
  # Mach-O names carry a leading underscore.
  exports=$(nm -gU "$lib" | awk '{print $3}' | sed 's/^_//' | sort | tr '\n' ' ')
else
  exports=$(nm -D --defined-only "$lib" | awk '$2 ~ /^[TDBRVW]$/ {print $3}' | sort | tr '\n' ' ')
fi
echo "exports: $exports"
[ "$exports" = "uxp_addon_init uxp_addon_terminate " ]
