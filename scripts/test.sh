#!/usr/bin/env bash
# Installs what is missing, builds the game, its data and the tests, and runs every test.
# BUILD_DIR and CMAKE_ARGS may be set to build elsewhere or with other options.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh ${DEPS_ARGS:-}
build="${BUILD_DIR:-build-test}"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo ${CMAKE_ARGS:-}
cmake --build "$build" -j"$(nproc)"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
