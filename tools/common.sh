# Shared by the project's commands: install what is missing, start what is
# needed. Source it; it defines functions only.

# Installs every package of tools/packages.txt that is not installed yet.
ensure_packages() {
  local root missing=()
  root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  # A package counts as present when it is installed or when an installed
  # package provides it (a Node.js build that bundles npm, say).
  local provided
  provided=$(dpkg-query -W -f '${db:Status-Abbrev} ${Provides}\n' 2>/dev/null |
             sed -n 's/^ii  *//p' | tr ',' '\n' | sed 's/[[:space:]]*(.*//; s/^[[:space:]]*//')
  while read -r pkg; do
    [ -z "$pkg" ] && continue
    dpkg -s "$pkg" >/dev/null 2>&1 || grep -qx "$pkg" <<<"$provided" || missing+=("$pkg")
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

# Starts a virtual display (Xvfb) unless $DISPLAY already answers, and with
# --wm a window manager (openbox) on it. Both end when the calling shell
# exits. Needs xvfb, x11-utils and, for --wm, openbox in tools/packages.txt.
start_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    :
  else
    local n=99
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    ZERLIN_PIDS+=("$!")
    export DISPLAY=":$n"
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    trap 'stop_started' EXIT
  fi
  if [ "${1:-}" = "--wm" ] && ! pgrep -x openbox >/dev/null; then
    openbox >/dev/null 2>&1 &
    ZERLIN_PIDS+=("$!")
    sleep 0.5
    trap 'stop_started' EXIT
  fi
}

ZERLIN_PIDS=()
stop_started() {
  local pid
  for pid in "${ZERLIN_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
}
