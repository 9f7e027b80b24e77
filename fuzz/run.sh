#!/usr/bin/env bash
# Builds the XML round-trip fuzzer with clang and runs it for about a minute on a copy of
# the seed corpus (FUZZ_SECONDS overrides the time). Exits non-zero when it finds a crash,
# a leak, undefined behaviour or a round-trip difference; the failing input is then kept
# in build-fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVANE_FUZZ=ON -DTOLVANE_GUI=OFF >/dev/null
cmake --build "$build" -j2 --target xml_roundtrip_fuzzer

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp fuzz/corpus/* "$work"/
mkdir -p "$build/artifacts"
"$build/fuzz/xml_roundtrip_fuzzer" -max_total_time="${FUZZ_SECONDS:-60}" -max_len=16384 -timeout=20 \
  -print_final_stats=1 -artifact_prefix="$build/artifacts/" "$work"
