#!/usr/bin/env bash
# Sets everything up and runs the monitor against the built-in simulated transmitter.
# With a display: the window opens; press OK in "Choose port" and watch the lamps walk.
# Without one: the same runs under Xvfb, OK is pressed for you and demo/demo.png is saved.
set -euo pipefail
cd "$(dirname "$0")"
top=$PWD
scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target zorvane zorvane-sim

mkdir -p demo
cp examples/names.ini demo/names.ini
cd demo

pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap cleanup EXIT INT TERM

"$top/build/bin/zorvane-sim" &
pids+=($!)
for _ in $(seq 50); do [ -L COM1 ] && break; sleep 0.1; done
[ -L COM1 ] || { echo "The simulator did not create ./COM1" >&2; exit 1; }

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "Press OK in the \"Choose port\" dialog (COM1 is the simulator). Close the window to end."
  "$top/build/bin/zorvane"
  exit 0
fi

echo "No display: running under Xvfb and saving a screenshot."
display=:$((90 + RANDOM % 100))
Xvfb "$display" -noreset -screen 0 1024x768x24 >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  export XDG_RUNTIME_DIR=$top/demo/.runtime
  mkdir -p -m 0700 "$XDG_RUNTIME_DIR"
fi
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

"$top/build/bin/zorvane" &
pids+=($!)
dialog=""
for _ in $(seq 100); do
  dialog=$(xdotool search --name '^Choose port$' 2>/dev/null | head -n 1) && [ -n "$dialog" ] && break
  sleep 0.1
done
[ -n "$dialog" ] || { echo "The port dialog did not appear" >&2; exit 1; }
xdotool windowfocus --sync "$dialog" key Return
sleep 4
import -window root "$top/demo/demo.png"
echo "Screenshot of the running monitor: $top/demo/demo.png"
