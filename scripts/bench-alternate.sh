#!/usr/bin/env bash
# Two builds of the monitor taking turns on the same line, for a machine whose CPU figures drift
# from minute to minute: each turn runs a build's zorvane under a private Xvfb, fed by
# zorvane-sim, then its zorvane-decode --device alone on the same line (the floor), and prints
# the lowest and the median CPU of a core over WINDOWS windows of SECONDS.
#   scripts/bench-alternate.sh BEFORE_BIN_DIR AFTER_BIN_DIR [TURNS] [WINDOWS] [SECONDS]
# Needs Xvfb and xdotool. The simulator is AFTER's; each turn has a HOME of its own.
set -euo pipefail
before=$(realpath "$1") after=$(realpath "$2") turns=${3:-2} windows=${4:-12} seconds=${5:-3}
names=$(cd "$(dirname "$0")/.." && pwd)/examples/names.ini

# CPU time of a process in nanoseconds, all its threads.
cpu_ns() {
  local sum=0 run _
  for stat in /proc/"$1"/task/*/schedstat; do
    read -r run _ <"$stat" 2>/dev/null && sum=$((sum + run))
  done
  echo "$sum"
}

percent() { awk -v a="$1" -v b="$2" -v s="$seconds" 'BEGIN {printf "%.2f", (b - a) / (s * 1e7)}'; }

lowest_and_median() {
  printf '%s\n' "$@" | sort -n | awk '{v[NR] = $1} END {printf "%s %% (median %s %%)", v[1], v[int((NR + 1) / 2)]}'
}

# One turn: bin dir, simulator options.
turn() {
  local bin=$1 options=$2 dir display server sim monitor decoder a b x y
  dir=$(mktemp -d)
  local -a mon=() xs=() floor=()
  (
    cd "$dir"
    export HOME=$dir XDG_CONFIG_HOME=$dir/config XDG_STATE_HOME=$dir/state
    cp "$names" .
    exec 3< <(Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null)
    read -r -t 10 display <&3
    export DISPLAY=:$display
    server=$!
    # shellcheck disable=SC2086  # the options are words
    "$after/zorvane-sim" --link "$dir/COM1" $options >/dev/null 2>&1 &
    sim=$!
    while [ ! -e "$dir/COM1" ]; do sleep 0.05; done
    "$bin/zorvane" >/dev/null 2>&1 &
    monitor=$!
    xdotool search --onlyvisible --sync --limit 1 --name '^Choose port$' windowfocus --sync \
      key Return >/dev/null 2>&1 || true  # the dialog is gone before the key's release
    xdotool keyup Return >/dev/null 2>&1 || true
    sleep 2
    for _ in $(seq "$windows"); do
      a=$(cpu_ns "$monitor") x=$(cpu_ns "$server")
      sleep "$seconds"
      b=$(cpu_ns "$monitor") y=$(cpu_ns "$server")
      mon+=("$(percent "$a" "$b")") xs+=("$(percent "$x" "$y")")
    done
    kill "$monitor"
    wait "$monitor" || true  # ended by the signal
    "$bin/zorvane-decode" --device COM1 >/dev/null 2>&1 &
    decoder=$!
    sleep 1
    for _ in $(seq "$windows"); do
      a=$(cpu_ns "$decoder")
      sleep "$seconds"
      floor+=("$(percent "$a" "$(cpu_ns "$decoder")")")
    done
    kill "$decoder" "$sim" "$server"
    wait || true  # ended by the signal
    echo "monitor $(lowest_and_median "${mon[@]}"), X server $(lowest_and_median "${xs[@]}"), decoder alone $(lowest_and_median "${floor[@]}")"
  )
  rm -rf "$dir"
}

for t in $(seq "$turns"); do
  for options in "--pattern random" "--packet-ms 16"; do
    echo "turn $t [$options] before: $(turn "$before" "$options")"
    echo "turn $t [$options] after:  $(turn "$after" "$options")"
  done
done
