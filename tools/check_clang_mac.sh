#!/usr/bin/env bash
# Compiles the macOS flavour's own sources with clang, the compiler of the
# macOS build, against the GNUstep headers: manual reference counting and
# the project's warnings as errors, so that an error only clang reports
# shows up here before it does on a Mac. Syntax and semantics only; nothing
# is linked. Prints "clang-mac: N passed, M failed" and, when
# $ZERLIN_COUNTS names a file, appends "failed total" to it.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1

# The project's warnings, as cmake/ZerlinWarnings.cmake gives them to
# compilers other than MSVC.
mapfile -t warnings < <(awk '/else\(\)/ {on = 1} on' cmake/ZerlinWarnings.cmake |
  grep -o -- '-W[a-z-]*')
# GNUstep's definitions, options and headers, as the GNUstep build takes
# them (cmake/ZerlinGNUstep.cmake); its headers as system headers. GCC's
# Objective-C runtime headers come last, after clang's own.
gnustep=()
for flag in $(gnustep-config --objc-flags); do
  case $flag in
    -I.) ;;
    -I*) [ -d "${flag#-I}" ] && gnustep+=(-isystem "${flag#-I}") ;;
    -D* | -f*) gnustep+=("$flag") ;;
  esac
done
gnustep+=(-fobjc-runtime=gcc -idirafter "$(gcc -print-file-name=include)")

common=(-std=c++17 -fsyntax-only -I. "${warnings[@]}")
objcxx=(-x objective-c++ -fno-objc-arc "${gnustep[@]}")

passed=0 failed=0
compile() {
  local file=$1; shift
  local log
  if log=$(clang++ "${common[@]}" "$@" "$file" 2>&1); then
    passed=$((passed + 1))
  else
    echo "FAILED: clang on $file"
    echo "$log"
    failed=$((failed + 1))
  fi
}

echo "== clang over the macOS sources"
compile pointer/mac/appkit_queries.mm "${objcxx[@]}" -include pointer/mac/gnustep/appkit_compat.h
compile tests/gnustep_host/gnustep_test_host.mm "${objcxx[@]}"
for file in addon/task/task.cc addon/task/error_conversion.cc pointer/get_pointer_promise.cc \
            pointer/mac/pointer_state.cc; do
  compile "$file"
done
echo "clang-mac: $passed passed, $failed failed"
[ -n "${ZERLIN_COUNTS:-}" ] && echo "$failed $((passed + failed))" >> "$ZERLIN_COUNTS"
[ "$failed" -eq 0 ]
