#!/usr/bin/env bash
# Runs a sample host's demo and photographs it: starts the host command in
# the background, waits (at most a minute) until it has written DIR/ready,
# takes DIR/screen.png of the display unless the host took it itself, then
# writes DIR/captured, which lets the host end, and waits for it.
# Usage: capture_demo.sh DIR COMMAND... (on the host's display)
set -euo pipefail
dir=$1
shift
"$@" &
host=$!
for _ in $(seq 600); do
  if [ -e "$dir/ready" ] || ! kill -0 "$host" 2>/dev/null; then break; fi
  sleep 0.1
done
if [ ! -e "$dir/ready" ]; then
  echo "the sample host did not get ready: $*"
  kill "$host" 2>/dev/null || true
  wait "$host" || true
  exit 1
fi
[ -e "$dir/screen.png" ] || import -window root "$dir/screen.png"
touch "$dir/captured"
wait "$host"
