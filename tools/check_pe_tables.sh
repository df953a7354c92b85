#!/usr/bin/env bash
# Reads the import and export tables of a Windows DLL and checks that it
# imports only from KERNEL32, USER32 and the C runtime and exports exactly
# uxp_addon_init and uxp_addon_terminate.
# Usage: check_pe_tables.sh OBJDUMP LIBRARY
set -euo pipefail
objdump=$1 lib=$2
[ "$(basename "$lib")" = "zerlin-probe.uxpaddon" ] || { echo "wrong name: $lib"; exit 1; }
tables=$("$objdump" -p "$lib")
imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$tables" | sort -f | tr '\n' ' ')
exports=$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/s/^[[:space:]]*\[ *[0-9]*\] //p' <<<"$tables" |
  sort -u | tr '\n' ' ')
echo "imports: $imports"
echo "exports: $exports"
status=0
for dll in $imports; do
  if ! grep -qiE '^(kernel32|user32|msvcrt|ucrtbase|api-ms-win-crt-[a-z0-9-]+|vcruntime140(_1)?)\.dll$' <<<"$dll"; then
    echo "unexpected import: $dll"
    status=1
  fi
done
grep -qi 'kernel32.dll' <<<"$imports" && grep -qi 'user32.dll' <<<"$imports" ||
  { echo "KERNEL32 and USER32 should both be imported"; status=1; }
[ "$exports" = "uxp_addon_init uxp_addon_terminate " ] || { echo "unexpected exports"; status=1; }
exit "$status"
