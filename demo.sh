#!/usr/bin/env bash
# Sets everything up, builds the four programs and runs the monitor against the simulated
# transmitter.
# With a display: the window opens; press OK in "Choose port" and watch the lamps walk.
# Without one: the same runs under Xvfb, OK is pressed for you and a screenshot of the main
# window is saved as demo/demo.png.
#   ./demo.sh --screenshot FILE   always the Xvfb run, the screenshot saved as FILE
set -euo pipefail
shot=""
if [ "${1:-}" = "--screenshot" ] && [ -n "${2:-}" ] && [ $# -eq 2 ]; then
  shot=$(realpath -m "$2")
elif [ $# -gt 0 ]; then
  echo "usage: ./demo.sh [--screenshot FILE]" >&2
  exit 2
fi
cd "$(dirname "$0")"
top=$PWD

scripts/install-deps.sh --demo
# A new build folder leaves the tests out: the demo does not install GoogleTest.
# ./test.sh turns them on again.
testing=()
[ -f build/CMakeCache.txt ] || testing=(-DBUILD_TESTING=OFF)
cmake -S . -B build -G Ninja "${testing[@]}" >/dev/null
cmake --build build --target zorvane zorvane-sim zorvane-decode zorvane-names

mkdir -p demo
cp examples/names.ini demo/names.ini
cd demo
# The demo keeps its settings and record in demo/, never in the user's own folders. The X
# server's cookie stays where it was.
export XAUTHORITY=${XAUTHORITY:-${HOME:-}/.Xauthority}
export HOME=$top/demo/.home XDG_CONFIG_HOME=$top/demo/.home/.config
export XDG_STATE_HOME=$top/demo/.home/.local/state
mkdir -p "$HOME"

# The monitor ends first, so that it puts the port's settings back while the port is still
# there; then the X server, then the simulator.
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null || true
    wait "${pids[i]}" 2>/dev/null || true
  done
}
trap cleanup EXIT INT TERM

"$top/build/bin/zorvane-sim" &
pids+=($!)
for _ in $(seq 50); do [ -L COM1 ] && break; sleep 0.1; done
[ -L COM1 ] || { echo "The simulator did not create ./COM1" >&2; exit 1; }

if [ -z "$shot" ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "Press OK in the \"Choose port\" dialog (COM1 is the simulator). Close the window to end."
  "$top/build/bin/zorvane"
  exit 0
fi

echo "Running under Xvfb and saving a screenshot."
# Xvfb picks a free display itself and writes its number once it takes clients.
rm -f .display
Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1024x768x24 3>.display >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s .display ] && break; sleep 0.1; done
[ -s .display ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(cat .display)
unset WAYLAND_DISPLAY
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  export XDG_RUNTIME_DIR=$top/demo/.runtime
  mkdir -p -m 0700 "$XDG_RUNTIME_DIR"
fi

find_window() {  # the first window whose whole title matches $1, after up to 10 s
  local id=""
  for _ in $(seq 100); do
    id=$(xdotool search --name "^$1\$" 2>/dev/null | head -n 1) && [ -n "$id" ] && break
    sleep 0.1
  done
  [ -n "$id" ] || { echo "The window \"$1\" did not appear" >&2; return 1; }
  echo "$id"
}

"$top/build/bin/zorvane" &
pids+=($!)
dialog=$(find_window "Choose port")
xdotool windowfocus --sync "$dialog" key Return
main=$(find_window "Zorvane( — .*)?")  # the title names the port once it is open
sleep 4
shot=${shot:-$top/demo/demo.png}
import -window "$main" "$shot"
echo "Screenshot of the monitor's window: $shot"
