#!/usr/bin/env bash
# Builds the benchmarks in Release, generates the documents once (into bench/data/, not
# tracked) and runs the comparison pinned to one core, so that every engine meets the same
# cache and no scheduler moves. On a machine shared with other work compare the ratios of one
# run, not figures across runs. Extra arguments go to xmlbench (for example --rounds 3).
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-bench
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTOLVANE_BENCH=ON -DTOLVANE_GUI=OFF >/dev/null
cmake --build "$build" -j2 --target feedgen xmlbench

mkdir -p bench/data
generate() { # shape, file name, bytes
  [ -f "bench/data/$2" ] || "$build/bench/feedgen" "$1" "bench/data/$2" "$3"
}
generate rss feed-1mb.xml 1000000
generate rss feed-10mb.xml 10000000
generate rss feed-100mb.xml 100000000
generate entities entities-10mb.xml 10000000
generate attributes attributes-53mb.xml 53000000
generate wide50 wide50-50mb.xml 50000000
generate wide200 wide200-53mb.xml 53000000
generate long-values long-values-50mb.xml 50000000
generate empty empty-25mb.xml 25000000
generate empty-channel empty-channel-25mb.xml 25000000
generate text text-50mb.xml 50000000

core=$(($(nproc) - 1))
taskset -c "$core" "$build/bench/xmlbench" "$@" \
  rss-1mb=bench/data/feed-1mb.xml rss-10mb=bench/data/feed-10mb.xml rss-100mb=bench/data/feed-100mb.xml \
  entities=bench/data/entities-10mb.xml attributes=bench/data/attributes-53mb.xml \
  wide50=bench/data/wide50-50mb.xml wide200=bench/data/wide200-53mb.xml long-values=bench/data/long-values-50mb.xml \
  empty-elements=bench/data/empty-25mb.xml \
  empty-in-channel=bench/data/empty-channel-25mb.xml text=bench/data/text-50mb.xml
