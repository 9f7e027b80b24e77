#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds the editor in Release and starts it.
set -euo pipefail
cd "$(dirname "$0")"
./deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$(nproc)" --target TolvaneRssEditor
exec build/app/TolvaneRssEditor "$@"
