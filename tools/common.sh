# shellcheck shell=bash
# Shared by the project's commands: install what is missing, start what is
# needed. Source it; it defines functions only.

# Installs every package of tools/packages.txt that is neither installed nor
# provided by an installed package (a Node.js build that bundles npm, say).
ensure_packages() {
  local root missing=() present
  root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  present=$(dpkg-query -W -f '${db:Status-Abbrev} ${Package},${Provides}\n' 2>/dev/null |
            sed -n 's/^ii  *//p' | tr ',' '\n' | sed 's/(.*//; s/[[:space:]]//g')
  while read -r pkg; do
    [ -n "$pkg" ] && ! grep -qx "$pkg" <<<"$present" && missing+=("$pkg")
  done < <(sed -e 's/#.*//' -e 's/[[:space:]]//g' "$root/tools/packages.txt")
  [ ${#missing[@]} -gt 0 ] || return 0
  echo "== installing: ${missing[*]}"
  local sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Starts a virtual display (Xvfb) of its own for the rest of the calling
# shell, whatever $DISPLAY says; stop_started ends it, and the calling shell's
# exit does, unless that shell sets a trap of its own that calls it.
start_display() {
  # Xvfb picks a free display itself and names it on fd 3 once it is ready:
  # a number guessed from /tmp may be taken by a server that this /tmp cannot
  # see (a container's, say). Without -noreset the server resets whenever
  # its last client leaves, and refuses a client that connects meanwhile: a
  # window manager started beside a short-lived xprop was seen so refused.
  local number
  number=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$number" >/dev/null 2>&1 &
  ZERLIN_PIDS+=("$!")
  for _ in $(seq 100); do [ -s "$number" ] && break; sleep 0.1; done
  [ -s "$number" ] || { echo "Xvfb did not start within 10 s" >&2; return 1; }
  DISPLAY=":$(cat "$number")"
  export DISPLAY
  rm -f "$number"
  trap stop_started EXIT
}
ZERLIN_PIDS=()
stop_started() { kill "${ZERLIN_PIDS[@]}" 2>/dev/null || true; }
