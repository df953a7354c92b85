#!/usr/bin/env bash
# The version lives in one place, project() in CMakeLists.txt; this carries
# it to the files that cannot read it at build time.
#   tools/version.sh          print it
#   tools/version.sh --sync   write it into package.json and the typings
#   tools/version.sh --check  fail when package.json, the typings' first line
#                             or CHANGELOG.md's latest release names another
#   tools/version.sh --notes  print CHANGELOG.md's entry for it (the release
#                             notes), without its heading; none is an error
set -euo pipefail
cd "$(dirname "$0")/.."
version=$(sed -n 's/^project(zerlin-probe VERSION \([0-9]\+\.[0-9]\+\.[0-9]\+\)\([ )].*\)\?$/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "write project(zerlin-probe VERSION X.Y.Z on one line" >&2; exit 1; }

case "${1:-}" in
  "") echo "$version" ;;
  --sync)
    sed -i "s/^  \"version\": \".*\",\$/  \"version\": \"$version\",/" package.json
    sed -i "1s|.*|// zerlin-probe $version|" types/zerlin-probe.d.ts ;;
  --check)
    # The first "## [X.Y.Z]" heading counts; "## [Unreleased]" does not.
    status=0
    for found in "package.json $(sed -n 's/^  "version": "\(.*\)",$/\1/p' package.json)" \
                 "typings $(sed -n '1s|^// zerlin-probe ||p' types/zerlin-probe.d.ts)" \
                 "CHANGELOG.md $(sed -n 's/^## \[\([0-9][^]]*\)\].*/\1/p' CHANGELOG.md | head -n 1)"; do
      [ "${found#* }" = "$version" ] ||
        { echo "${found% *} says ${found#* }, project() says $version (tools/version.sh --sync)"; status=1; }
    done
    exit "$status" ;;
  --notes)
    awk -v v="$version" '
      /^## \[/ { inside = index($0, "## [" v "]") == 1; next }
      inside && (n > 0 || NF > 0) { line[++n] = $0; if (NF > 0) last = n }
      END { for (i = 1; i <= last; i++) print line[i]; exit last == 0 }' CHANGELOG.md ||
      { echo "CHANGELOG.md has no entry for $version" >&2; exit 1; } ;;
  *) echo "usage: tools/version.sh [--sync | --check | --notes]" >&2; exit 2 ;;
esac
