# Shared by the project's commands: install what is missing, start what is
# needed. Source it; it defines functions only.

# Installs every package of tools/packages.txt that is not installed yet.
ensure_packages() {
  local root missing=()
  root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  while read -r pkg; do
    [ -z "$pkg" ] && continue
    dpkg -s "$pkg" >/dev/null 2>&1 || missing+=("$pkg")
  done < <(sed -e 's/#.*//' -e 's/[[:space:]]//g' "$root/tools/packages.txt")
  if [ ${#missing[@]} -gt 0 ]; then
    echo "== installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
}

# Configures, builds and tests one preset; appends ctest's counts to
# $ZERLIN_COUNTS so the caller can print one total.
run_preset() {
  local preset=$1 log
  echo "== preset $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$(nproc)"
  log=$(mktemp)
  local rc=0
  ctest --preset "$preset" -j"$(nproc)" 2>&1 | tee "$log" | grep -E "tests passed|\*\*\*|\(Failed\)|Not Run" || true
  rc=${PIPESTATUS[0]}
  sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\1 \2/p' "$log" >> "$ZERLIN_COUNTS"
  rm -f "$log"
  return "$rc"
}
