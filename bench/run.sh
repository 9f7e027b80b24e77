#!/usr/bin/env bash
# Builds the benchmarks in Release, generates the 1 MB, 10 MB and 100 MB feeds once
# (into bench/data/, not tracked) and runs the comparison. Extra arguments go to xmlbench
# (for example --seconds 1).
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-bench
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTOLVANE_BENCH=ON -DTOLVANE_GUI=OFF >/dev/null
cmake --build "$build" -j2 --target feedgen xmlbench

mkdir -p bench/data
for size in 1 10 100; do
  feed=bench/data/feed-${size}mb.xml
  [ -f "$feed" ] || "$build/bench/feedgen" "$feed" $((size * 1000000))
done
"$build/bench/xmlbench" "$@" bench/data/feed-1mb.xml bench/data/feed-10mb.xml bench/data/feed-100mb.xml
