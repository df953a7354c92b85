#!/usr/bin/env bash
# The version lives in one place, project() in CMakeLists.txt. This script
# reads it and carries it to the files that cannot read it at build time.
#   tools/version.sh          print the version
#   tools/version.sh --sync   write it into package.json and the typings
#   tools/version.sh --check  change nothing; fail when package.json, the
#                             typings' first line or CHANGELOG.md's latest
#                             release entry names another version
#   tools/version.sh --notes  print CHANGELOG.md's entry for the version,
#                             without its heading (the release notes)
set -euo pipefail
cd "$(dirname "$0")/.."

version=$(sed -n 's/^project(zerlin-probe VERSION \([0-9][0-9.]*\).*/\1/p' CMakeLists.txt)
if ! [[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]]; then
  echo "no version in CMakeLists.txt: write project(zerlin-probe VERSION X.Y.Z on one line" >&2
  exit 1
fi

package_version() { sed -n 's/^  "version": "\(.*\)",$/\1/p' package.json; }
typings_version() { sed -n '1s|^// zerlin-probe \(.*\)$|\1|p' types/zerlin-probe.d.ts; }
# The first "## [X.Y.Z]" heading; "## [Unreleased]" above it does not count.
changelog_version() { sed -n 's/^## \[\([0-9][^]]*\)\].*/\1/p' CHANGELOG.md | head -n 1; }

case "${1:-}" in
  "")
    echo "$version" ;;
  --sync)
    [ -n "$(package_version)" ] || { echo "package.json has no \"version\" line" >&2; exit 1; }
    sed -i "s/^  \"version\": \".*\",\$/  \"version\": \"$version\",/" package.json
    if [ -n "$(typings_version)" ]; then
      sed -i "1s|.*|// zerlin-probe $version|" types/zerlin-probe.d.ts
    else
      sed -i "1i // zerlin-probe $version" types/zerlin-probe.d.ts
    fi
    [ "$(changelog_version)" = "$version" ] ||
      echo "note: add a \"## [$version] - YYYY-MM-DD\" entry to CHANGELOG.md"
    ;;
  --check)
    status=0
    for place in package typings changelog; do
      found=$("${place}_version")
      if [ "$found" != "$version" ]; then
        echo "$place says ${found:-nothing}, CMakeLists.txt says $version (tools/version.sh --sync)"
        status=1
      fi
    done
    exit "$status" ;;
  --notes)
    # The lines under "## [X.Y.Z]" up to the next heading of that level,
    # without blank lines at either end; an empty entry is an error.
    awk -v v="$version" '
      /^## \[/ { inside = index($0, "## [" v "]") == 1; next }
      inside && (n > 0 || NF > 0) { line[++n] = $0; if (NF > 0) last = n }
      END { for (i = 1; i <= last; i++) print line[i]; exit last == 0 }' CHANGELOG.md ||
      { echo "CHANGELOG.md has no entry for $version" >&2; exit 1; } ;;
  *)
    echo "usage: tools/version.sh [--sync | --check | --notes]" >&2
    exit 2 ;;
esac
