#!/usr/bin/env bash
# The long form of the stress test where the sender falls silent: a minute without data (CTest
# runs it for 3 s). The monitor must stay idle, show the link as down, show frames again when
# they resume, and close promptly.
# Usage: scripts/stress-silence.sh [build-dir] [seconds]   (defaults: build, 60)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
seconds=${2:-60}
test_bin="$build/tests/bin/stress_test"
if [ ! -x "$test_bin" ]; then
  echo "no $test_bin: build first (cmake --build $build --target stress_test)" >&2
  exit 1
fi
ZORVANE_STRESS_SILENCE_S="$seconds" QT_QPA_PLATFORM=offscreen \
  "$test_bin" --gtest_filter='Stress.Silence*'
