#!/usr/bin/env bash
# Checks a macOS library slice by slice: it holds exactly the architectures
# asked for, and each slice is built for the deployment target and carries
# the library's current and compatibility versions. A host that runs under
# Rosetta, or on an Intel Mac, loads the x86_64 slice, which no test runs.
#   tests/checks/check_mac_library.sh LIBRARY "ARCH;..." DEPLOYMENT_TARGET VERSION COMPATIBILITY
# An empty ARCH list or deployment target is not checked.
set -uo pipefail
lib=$1 want_archs=$2 min_os=$3 version=$4 compatibility=$5

# The words of a list separated by blanks or semicolons, sorted.
words() { local -a w; read -ra w <<<"${1//;/ }"; printf '%s\n' "${w[@]}" | sort | tr '\n' ' '; }
archs=$(lipo -archs "$lib") || exit 1
echo "architectures: $archs"
status=0
if [ -n "$want_archs" ] && [ "$(words "$archs")" != "$(words "$want_archs")" ]; then
  echo "  expected: $(words "$want_archs")"
  status=1
fi
for arch in $archs; do
  # LC_BUILD_VERSION's minos: the oldest macOS that loads the slice.
  min=$(otool -arch "$arch" -l "$lib" | awk '$1 == "minos" {print $2; exit}')
  # The first line of otool -L after the file name is the library's own id.
  id=$(otool -arch "$arch" -L "$lib" | grep -m1 -F "(compatibility version" | sed 's/^[[:space:]]*//')
  echo "$arch: minos ${min:-none}, ${id:-no id}"
  if [ -n "$min_os" ] && [ "$min" != "$min_os" ]; then
    echo "  expected minos $min_os"
    status=1
  fi
  if [[ $id != *"(compatibility version $compatibility, current version $version)" ]]; then
    echo "  expected compatibility version $compatibility, current version $version"
    status=1
  fi
done
exit "$status"
