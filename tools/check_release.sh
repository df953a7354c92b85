#!/usr/bin/env bash
# Checks what a release ships, beyond the release layout test of each
# preset: one version everywhere, a Windows library that a second build in
# another folder reproduces byte for byte, and an npm package that installs
# into a fresh project and type-checks there. Prints "release: N passed,
# M failed" and, when $ZERLIN_COUNTS names a file, appends "failed total".
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
source tools/ensure_node.sh
root=$PWD

passed=0 failed=0
check() {
  local name=$1; shift
  if "$@"; then
    echo "ok: $name"
    passed=$((passed + 1))
  else
    echo "FAILED: $name"
    failed=$((failed + 1))
    return 1
  fi
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
version=$(tools/version.sh)

# The windows preset's library (tools/test.sh has built it already).
library=build/windows/pointer/zerlin-probe.uxpaddon
build_windows() {
  cmake --preset windows >/dev/null &&
    cmake --build --preset windows -j"$(nproc)" --target zerlin_probe >/dev/null
}

# The library's version resource and PE image version name the version.
stamped() {
  local rc pe major minor patch copyright missing=0
  IFS=. read -r major minor patch <<<"$version"
  copyright=$(grep -m1 '^Copyright ' LICENSE)
  rc=$(x86_64-w64-mingw32-windres -i "$library" -O rc) || return 1
  pe=$(x86_64-w64-mingw32-objdump -p "$library") || return 1
  while read -r want; do
    grep -qF -- "$want" <<<"$rc$pe" || { echo "  not in the library: $want"; missing=1; }
  done <<WANT
FILEVERSION $major, $minor, $patch, 0
PRODUCTVERSION $major, $minor, $patch, 0
VALUE "FileVersion", "$version"
VALUE "ProductVersion", "$version"
VALUE "ProductName", "zerlin-probe"
VALUE "LegalCopyright", "$copyright"
MajorImageVersion	$major
MinorImageVersion	$minor
WANT
  return "$missing"
}

release_notes() { tools/version.sh --notes >/dev/null; }

# A second build of the same sources, copied to another folder, configured
# anew without tests, later than the first: the same bytes.
reproducible() {
  local src=$work/elsewhere/zerlin-probe a b
  mkdir -p "$src"
  if git rev-parse --git-dir >/dev/null 2>&1; then
    git ls-files -z -co --exclude-standard | xargs -0 cp --parents -t "$src"
  else
    tar -C "$root" --exclude=./build --exclude=./dist --exclude=node_modules -cf - . | tar -C "$src" -xf -
  fi
  cmake -S "$src" -B "$work/build-2" -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DZERLIN_BUILD_TESTS=OFF >/dev/null &&
    cmake --build "$work/build-2" -j"$(nproc)" --target zerlin_probe >/dev/null || return 1
  a=$(sha256sum <"$library" | cut -d' ' -f1)
  b=$(sha256sum <"$work/build-2/pointer/zerlin-probe.uxpaddon" | cut -d' ' -f1)
  echo "  $a  $library"
  echo "  $b  (a second build in another folder)"
  [ "$a" = "$b" ]
}

# Both builds' archives, dated at the same commit: the same bytes too.
same_archives() {
  local epoch a b zip=zerlin-probe-$version-win-x64.zip
  epoch=$(git log -1 --format=%ct 2>/dev/null) || epoch=315532800
  for b in build/windows "$work/build-2"; do
    SOURCE_DATE_EPOCH=$epoch cpack --config "$b/CPackConfig.cmake" -B "$work/package-${b##*/}" >/dev/null ||
      return 1
  done
  a=$(sha256sum <"$work/package-windows/$zip" | cut -d' ' -f1)
  b=$(sha256sum <"$work/package-build-2/$zip" | cut -d' ' -f1)
  echo "  $a  $zip"
  echo "  $b  (from the second build)"
  [ "$a" = "$b" ]
}

# npm pack from the source tree, with this build's library laid out in
# dist/win-x64/ as `cmake --install` does; then the tarball's contents.
# The macOS library is built on a Mac only, so the package's prepack guard
# must refuse here, and the package is made past it.
pack() {
  cmake --install build/windows --prefix "$root/dist/win-x64" >/dev/null || return 1
  if [ ! -e dist/mac-arm64/zerlin-probe.uxpaddon ] && npm pack --dry-run >/dev/null 2>&1; then
    echo "  npm pack made a package without the macOS library"
    return 1
  fi
  (npm pack --ignore-scripts --pack-destination "$work" --json --loglevel=error >"$work/pack.json") ||
    return 1
  node -e '
    const fs = require("fs");
    const [info] = JSON.parse(fs.readFileSync(process.argv[1], "utf8"));
    const want = process.argv[2];
    const files = info.files.map((f) => f.path).sort();
    const required = ["CHANGELOG.md", "LICENSE", "README.md", "dist/win-x64/zerlin-probe.uxpaddon",
                      "lib/index.d.ts", "lib/index.js", "package.json", "types/zerlin-probe.d.ts"];
    const allowed = new Set([...required, "dist/mac-arm64/zerlin-probe.uxpaddon"]);
    const problems = [];
    if (info.filename !== `zerlin-probe-${want}.tgz`) problems.push(`tarball ${info.filename}`);
    for (const f of required) if (!files.includes(f)) problems.push(`missing ${f}`);
    for (const f of files) if (!allowed.has(f)) problems.push(`unexpected ${f}`);
    for (const p of problems) console.log(p);
    console.log(`  ${info.filename}: ${files.join(", ")}`);
    process.exit(problems.length ? 1 : 0);' "$work/pack.json" "$version"
}

# The tarball installed into a fresh project: no install script runs, the
# library arrives unchanged, and a script type-checks against the typings.
install_and_typecheck() {
  local app=$work/app pkg
  mkdir -p "$app"
  printf '{ "name": "probe-user", "private": true }\n' >"$app/package.json"
  (cd "$app" && npm install --no-audit --no-fund --loglevel=error "$work/zerlin-probe-$version.tgz" >/dev/null) ||
    return 1
  pkg=$app/node_modules/zerlin-probe
  node -e '
    const s = require(process.argv[1]).scripts || {};
    const bad = ["preinstall", "install", "postinstall"].filter((k) => k in s);
    if (bad.length) { console.log(`install scripts: ${bad}`); process.exit(1); }' "$pkg/package.json" ||
    return 1
  if ! cmp -s "$library" "$pkg/dist/win-x64/zerlin-probe.uxpaddon"; then
    echo "the installed library differs from the build's"
    return 1
  fi
  # The main module loads without the host, and answers a failure for an
  # object that is no probe.
  (cd "$app" && node -e '
    require("zerlin-probe").readPointer({}).then((r) => process.exit(r.code === "invalid" ? 0 : 1))') ||
    return 1
  cat >"$app/use.ts" <<'TS'
/// <reference types="zerlin-probe" />
import probe = require("zerlin-probe.uxpaddon");
import { readPointer } from "zerlin-probe";

export async function restingOverHost(): Promise<boolean> {
  const answer = await readPointer(probe);
  // @ts-expect-error the answer may be a failure
  void answer.x;
  return typeof answer.active === "boolean" && answer.active;
}
TS
  cat >"$app/tsconfig.json" <<'JSON'
{
  "compilerOptions": {
    "target": "ES2020", "module": "commonjs", "lib": ["ES2020"], "types": [],
    "strict": true, "noEmit": true
  },
  "files": ["use.ts"]
}
JSON
  (cd "$app" && "$root/types/node_modules/.bin/tsc" -p .)
}

install_typescript() {
  local stamp=types/node_modules/.installed-lock.json
  cmp -s types/package-lock.json "$stamp" 2>/dev/null && return 0
  (cd types && npm ci --no-audit --no-fund --loglevel=error >/dev/null) &&
    cp types/package-lock.json "$stamp"
}

echo "== release $version"
check "one version in CMakeLists.txt, package.json, typings, CHANGELOG.md" tools/version.sh --check
check "release notes for $version in CHANGELOG.md" release_notes
if check "the windows preset's library" build_windows; then
  check "its version resource and image version" stamped
  check "a second build in another folder gives the same library" reproducible &&
    check "and the same archive" same_archives
  if check "npm pack" pack; then
    check "typescript install" install_typescript &&
      check "the package installs and type-checks in a fresh project" install_and_typecheck
  fi
fi
echo "release: $passed passed, $failed failed"
[ -n "${ZERLIN_COUNTS:-}" ] && echo "$failed $((passed + failed))" >>"$ZERLIN_COUNTS"
[ "$failed" -eq 0 ]
