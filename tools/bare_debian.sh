#!/usr/bin/env bash
# Runs the README's two commands the way a new user on a bare Debian 12
# would: in a fresh minimal root (what the debian:12 image holds), on a clean
# clone of HEAD, as root, with no display and a minimal environment. Not part
# of the test command: the root and the packages take about a gigabyte.
#   bash tools/bare_debian.sh [ROOT]      (as root; ROOT defaults to /var/tmp/zerlin-bare)
# Prints each command's wall time; exits non-zero when either fails.
set -euo pipefail
cd "$(dirname "$0")/.."
root=${1:-/var/tmp/zerlin-bare}
command -v mmdebstrap >/dev/null || apt-get install -y -qq --no-install-recommends mmdebstrap

cleanup() { for m in dev/shm dev/pts dev sys proc tmp; do umount -l "$root/$m" 2>/dev/null || true; done; }
trap cleanup EXIT
cleanup
rm -rf "$root"
mmdebstrap --quiet --variant=minbase --include=ca-certificates,git bookworm "$root"
mount -t proc proc "$root/proc"
mount --rbind /sys "$root/sys"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
mount -t tmpfs tmpfs "$root/dev/shm"
mount -t tmpfs tmpfs "$root/tmp"
git clone -q --no-local . "$root/root/p"

# A machine that reaches the npm registry through its own certificate
# authority hands that authority to Node.js inside the root; hosted runners
# need nothing of the kind.
extra=()
if [ -n "${NODE_EXTRA_CA_CERTS:-}" ]; then
  cp "$NODE_EXTRA_CA_CERTS" "$root/root/extra-ca.crt"
  extra=(NODE_EXTRA_CA_CERTS=/root/extra-ca.crt)
fi
status=0
for command in run test; do
  started=$SECONDS
  chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root "${extra[@]}" \
    bash -c "cd /root/p && bash tools/$command.sh" || status=1
  echo "== bare Debian 12: tools/$command.sh took $((SECONDS - started)) s (status so far $status)"
done
exit "$status"
