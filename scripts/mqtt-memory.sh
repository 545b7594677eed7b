#!/usr/bin/env bash
# Shows that zorvane-decode --mqtt keeps its memory flat while no broker answers: the simulator
# sends random frames (each one a change, so an event) as fast as the decoder takes them, the
# broker's address has nobody listening, and the decoder's resident memory is sampled. An hour
# of random data at the line rate is 1.6 million events.
# Usage: scripts/mqtt-memory.sh [BUILD_DIR] [SECONDS]   (defaults: build, 120)
set -euo pipefail
bin=$(realpath "${1:-build}")/bin
seconds=${2:-120}
dir=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; wait 2>/dev/null; rm -rf "$dir"' EXIT
cd "$dir"
export HOME=$dir XDG_CONFIG_HOME=$dir/.config XDG_STATE_HOME=$dir/.state

"$bin/zorvane-sim" --pattern random --unpaced >sim.log 2>&1 &
pids+=($!)
until [ -e COM1 ]; do sleep 0.1; done
# Port 9 on this machine: nothing listens, every connection attempt is refused.
"$bin/zorvane-decode" --device COM1 --changes --mqtt mqtt://127.0.0.1:9/memory >changes.txt 2>errors.txt &
decoder=$!
pids+=($decoder)
printf '%8s %10s %10s\n' seconds events rss_kib
for ((t = 0; t <= seconds; t += 10)); do
  [ "$t" -eq 0 ] || sleep 10
  printf '%8d %10d %10d\n' "$t" "$(wc -l <changes.txt)" \
    "$(awk '/^VmRSS:/ { print $2 }' "/proc/$decoder/status")"
done
kill -INT "$decoder"
wait "$decoder" || true
sed 's/^/decoder: /' errors.txt
