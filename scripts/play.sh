#!/usr/bin/env bash
# Installs what is missing, builds the game and its data, and starts it from the
# run folder build/run (which holds ./data). Arguments go to the game, e.g. -fs.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DBLOMP_TESTS=OFF
cmake --build build -j"$(nproc)"
cd build/run
exec ./blomp "$@"
