#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite under Wine.
set -eu
cd "$(dirname "$0")/.."
tools/install-deps
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "$(nproc)"
cd "$build"
ctest --output-on-failure -j 2
