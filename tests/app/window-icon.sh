#!/bin/sh
# The monitor's windows carry its icon: compiled in, drawn by Qt's SVG icon plugin (libqt6svg6),
# which is easily missing. Needs Xvfb, xdotool and xprop; without them the test is skipped (77).
# Usage: window-icon.sh ZORVANE_BINARY
set -u
bin=$(realpath "$1")
for tool in Xvfb xdotool xprop; do
    command -v $tool >/dev/null || { echo "skipped: no $tool"; exit 77; }
done
dir=$(mktemp -d)
pids=""
trap 'kill $pids 2>/dev/null; wait; rm -rf "$dir"' EXIT
cd "$dir" || exit 1
printf 'IN\nOUT\n' >names.ini  # no names, so no message about the file

Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1024x768x24 3>display 2>/dev/null &
pids="$!"
for _ in $(seq 100); do [ -s display ] && break; sleep 0.1; done
[ -s display ] || { echo "FAIL: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(cat display)" XDG_RUNTIME_DIR="$dir"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM

"$bin" &
pids="$! $pids"
window=""
for _ in $(seq 100); do
    window=$(xdotool search --name '^Choose port$' 2>/dev/null | head -n 1)
    [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || { echo "FAIL: the port dialog did not appear" >&2; exit 1; }
icon=$(xprop -id "$window" _NET_WM_ICON | head -c 200)
case $icon in
    *"Icon ("*) echo "the window icon is set" ;;
    *) echo "FAIL: no window icon: $icon" >&2; exit 1 ;;
esac
