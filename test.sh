#!/usr/bin/env bash
# Sets everything up and runs every test: unit, integration and end-to-end.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DZORVANE_WERROR=ON >/dev/null
cmake --build build
ctest --test-dir build --output-on-failure -j2
