#!/usr/bin/env bash
# Checks a Windows build of the addon: its name, its imports and its exports.
# check_pe_tables.cmake does the work, so that MSVC builds run the same check.
# Usage: check_pe_tables.sh LIBRARY (a leading objdump argument is ignored)
set -euo pipefail
lib=${!#}
exec cmake -DLIBRARY="$lib" -P "$(dirname "$0")/check_pe_tables.cmake" 2>&1
