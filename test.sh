#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds the editor and runs the whole test suite twice:
# a normal Release build, then a build with AddressSanitizer + UndefinedBehaviorSanitizer,
# then the XML fuzzer for a bounded time.
set -euo pipefail
cd "$(dirname "$0")"
./deps.sh --tests

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

echo "== normal build"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DTOLVANE_TESTS=ON
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure --timeout 300 -j"$jobs"

echo "== sanitizer build"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVANE_SANITIZE=ON -DTOLVANE_TESTS=ON
cmake --build build-asan -j"$jobs"
ctest --test-dir build-asan --output-on-failure --timeout 300 -j"$jobs"

if [ -f fuzz/run.sh ]; then
  echo "== fuzzer"
  fuzz/run.sh
fi
