#!/usr/bin/env bash
# The checks that need no C++ build: the typings type-checked against the
# companion and the example plug-in, every js and ts block of README.md
# compiled against the typings, the companion's and the example's own
# tests, and the CI workflows. Prints
# "scripts: N passed, M failed" and, when $ZERLIN_COUNTS names a file,
# appends "failed total" to it. Without Node.js the first three are skipped
# with a note, or, under CI=true, fail.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1

passed=0 failed=0
check() {
  local name=$1; shift
  if "$@"; then
    passed=$((passed + 1))
  else
    echo "FAILED: $name"
    failed=$((failed + 1))
  fi
}

install_typescript() {
  # npm ci from the lock file, again only when the lock file changed.
  local stamp=types/node_modules/.installed-lock.json
  cmp -s types/package-lock.json "$stamp" 2>/dev/null && return 0
  (cd types && npm ci --no-audit --no-fund --loglevel=error >/dev/null) &&
    cp types/package-lock.json "$stamp"
}

# Runs the companion's tests and each example's, each through its own
# package.json; each test counts on its own in the total.
example_tests() {
  local dir name log rc pass fail
  for dir in ./ examples/*/; do
    [ -f "$dir/package.json" ] || continue
    log=$(mktemp)
    (cd "$dir" && npm test --silent) >"$log" 2>&1
    rc=$?
    # Node prints "# pass N" with its TAP reporter, "ℹ pass N" with its default one.
    pass=$(sed -n 's/^\(# \|ℹ \)pass \([0-9]*\)$/\2/p' "$log")
    fail=$(sed -n 's/^\(# \|ℹ \)fail \([0-9]*\)$/\2/p' "$log")
    name=$(basename "$dir")
    [ "$dir" = ./ ] && name="zerlin-probe companion"
    echo "$name tests: ${pass:-0} passed, ${fail:-0} failed"
    if [ "$rc" -ne 0 ]; then
      cat "$log"
      [ "${fail:-0}" -gt 0 ] || fail=1
    fi
    passed=$((passed + ${pass:-0}))
    failed=$((failed + ${fail:-0}))
    rm -f "$log"
  done
}

echo "== scripts"
check "workflow lint" bash tools/check_workflows.sh
if command -v node >/dev/null && command -v npm >/dev/null; then
  if install_typescript; then
    check "typings against the example" types/node_modules/.bin/tsc -p types
    check "README snippets against the typings" node types/check-snippets.js README.md
    example_tests
  else
    check "typescript install" false
  fi
elif [ "${CI:-}" = "true" ]; then
  check "node and npm present (tools/packages.txt installs them)" false
else
  echo "note: node and npm not found: the type-checks and the example's tests are skipped"
fi
echo "scripts: $passed passed, $failed failed"
[ -n "${ZERLIN_COUNTS:-}" ] && echo "$failed $((passed + failed))" >> "$ZERLIN_COUNTS"
[ "$failed" -eq 0 ]
