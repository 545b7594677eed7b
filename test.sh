#!/usr/bin/env bash
# Sets everything up and runs every test.
#   ./test.sh          all stages: the package check (scripts/check-package.sh), each fuzzer for
#                      a bounded time, the threaded tests under ThreadSanitizer, then the whole
#                      suite under AddressSanitizer + UBSan
#   ./test.sh --quick  the whole suite once, in the normal build (build/)
set -euo pipefail
cd "$(dirname "$0")"
if [ "${1:-}" = "--quick" ]; then scripts/install-deps.sh --quick; else scripts/install-deps.sh; fi

fuzz_seconds=${ZORVANE_FUZZ_SECONDS:-45}
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
# Qt's own libraries are not instrumented; leaks inside them are not ours to fix.
export LSAN_OPTIONS=suppressions=$PWD/tests/sanitizers/lsan.supp

stage() { printf '\n== %s\n' "$*"; }

configure_and_build() {  # dir, cmake options...; builds everything in dir
  local dir=$1
  shift
  # ./demo.sh may have made build/ without the tests.
  cmake -S . -B "$dir" -G Ninja -DZORVANE_WERROR=ON -DBUILD_TESTING=ON "$@" >/dev/null
  cmake --build "$dir"
}

if [ "${1:-}" = "--quick" ]; then
  configure_and_build build
  ctest --test-dir build --output-on-failure -j2
  exit 0
fi

stage "Package: a build without the tests, install, desktop files, man pages, the .deb, lintian"
scripts/check-package.sh build-pkg

stage "Fuzzers: ${fuzz_seconds} s each on their committed corpora"
CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DZORVANE_FUZZ=ON -DZORVANE_GUI=OFF >/dev/null
for area in receiver names; do
  fuzzer=build-fuzz/bin/${area}_fuzzer
  cmake --build build-fuzz --target "${area}_fuzzer"
  scratch=build-fuzz/corpus-$area  # new finds stay out of the committed corpus
  mkdir -p "$scratch"
  log=build-fuzz/$area.log
  if ! "$fuzzer" -max_total_time="$fuzz_seconds" -max_len=6000 -timeout=5 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix=build-fuzz/ "$scratch" "tests/$area/corpus" >"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "$fuzzer found a failure: the input is in build-fuzz/; add it to tests/$area/corpus" >&2
    exit 1
  fi
  echo "$area: $(grep -m1 number_of_executed_units "$log" | awk '{print $2}') runs, no failure"
done

stage "ThreadSanitizer: reader, hand-off, window, shutdown and record tests"
cmake -S . -B build-tsan -G Ninja -DZORVANE_WERROR=ON -DZORVANE_TSAN=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-tsan --target reader_test monitor_test display_test stress_test record_test
ctest --test-dir build-tsan --output-on-failure -j2 -L 'threads|gui|stress'

stage "AddressSanitizer + UndefinedBehaviorSanitizer: every test"
configure_and_build build-asan -DZORVANE_ASAN=ON -DCMAKE_BUILD_TYPE=Debug
ctest --test-dir build-asan --output-on-failure -j2
