#!/usr/bin/env bash
# CI: the level check's reading of every level in all four maps archives
# (repeats, checkpoints, items off the walking line or under water, bump blocks,
# first meetings with every danger). The bot's full runs are too slow for CI;
# the test suite replays every level's demo instead. Takes a second or two.
# Usage: scripts/ci-levels.sh [build folder]   (default build-test, already built)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-test}"
cmake --build "$build" -j"$(nproc)" --target blompplaycheck gamedata
cd "$build/run"
../blompplaycheck -s
