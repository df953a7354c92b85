# shellcheck shell=bash
# Source it: installs Node.js and npm from Debian when either is missing
# (with the certificates that npm needs to reach its registry).
if ! command -v npm >/dev/null || ! command -v node >/dev/null; then
  echo "== installing: nodejs npm"
  _zerlin_sudo=""
  [ "$(id -u)" -ne 0 ] && _zerlin_sudo="sudo"
  DEBIAN_FRONTEND=noninteractive $_zerlin_sudo apt-get update -qq &&
    DEBIAN_FRONTEND=noninteractive $_zerlin_sudo apt-get install -y -qq --no-install-recommends ca-certificates nodejs npm >/dev/null
fi
