#!/usr/bin/env bash
# Sets up a fresh Debian machine with what the editor needs (nothing only the tests use),
# builds it in Release and starts it.
set -euo pipefail
cd "$(dirname "$0")"
./deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DTOLVANE_TESTS=OFF
cmake --build build -j"$(nproc)" --target TolvaneRssEditor
exec build/app/TolvaneRssEditor "$@"
