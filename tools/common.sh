# shellcheck shell=bash
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

# Configures, builds and tests one preset with its workflow preset. All of
# its output goes to build/logs/PRESET.log. On success one line says how it
# went; on failure the failing step's output follows: the compiler's
# errors, or each failed test's own output with its assertion text. Appends
# ctest's counts to $ZERLIN_COUNTS so the caller can print one total.
run_preset() {
  local preset=$1 log rc=0 started=$SECONDS summary
  log=build/logs/$preset.log
  mkdir -p build/logs
  CMAKE_BUILD_PARALLEL_LEVEL=$(nproc) CTEST_PARALLEL_LEVEL=$(nproc) \
    cmake --workflow --preset "$preset" >"$log" 2>&1 || rc=$?
  sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\1 \2/p' "$log" >> "$ZERLIN_COUNTS"
  summary=$(grep -E "tests passed, [0-9]+ tests failed" "$log" || echo "no tests ran")
  if [ "$rc" -eq 0 ]; then
    echo "== preset $preset: $summary ($((SECONDS - started)) s)"
  else
    echo "== preset $preset FAILED: $summary ($((SECONDS - started)) s); whole log in $log"
    # The last step's output, without the lines of what went well.
    awk '/^Executing workflow step/ { step = "" } { step = step $0 "\n" }
         END { printf "%s", step }' "$log" |
      grep -vE '^ +Start +[0-9]+: |Test +#[0-9]+: .* Passed +[0-9.]+ sec$|^\[ *[0-9]+%\] (Building|Linking|Built target)|^Consolidate compiler' |
      sed 's/^/   | /'
  fi
  return "$rc"
}

# Runs a command on a virtual display (xvfb-run) unless $DISPLAY already
# answers. No window manager: under Wine any process may then take the
# foreground. Needs xvfb and x11-utils from tools/packages.txt.
with_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    "$@"
  else
    xvfb-run --auto-servernum --server-args="-screen 0 1280x800x24 -nolisten tcp" "$@"
  fi
}

# Starts a virtual display (Xvfb) for the rest of the calling shell unless
# $DISPLAY already answers, and with --wm a window manager (openbox) on it.
# Both end when the calling shell exits. For a script that needs a display
# of its own midway (the GNUstep host's runner); a whole command is better
# run under with_display.
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
