#!/usr/bin/env bash
# CI: the level check's reading of every level in all four maps archives
# (repeats, checkpoints, items off the walking line or under water, bump blocks,
# first meetings with every danger), then the short form of the fairness
# measurement: the player model plays every level twice per kind of player
# (seeded, so every run plays the same) and fails when a level got less fair
# than recorded in docs/levels/fairness-ci.txt: a share of tries finished fell
# by more than 50 points, the lives lost rose by more than 2.5, or a new place
# kills the casual player without a second's warning in more than half its
# passes. The bot's full runs are too slow for CI; the test suite replays every
# level's demo instead. After a level change that is meant, remake the record
# with --record. Takes a few minutes.
# Usage: scripts/ci-levels.sh [build folder] [--record]   (default build-test, already built)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-test}"
record="$PWD/docs/levels/fairness-ci.txt"
cmake --build "$build" -j"$(nproc)" --target blompplaycheck gamedata
cd "$build/run"
../blompplaycheck -s
start=$(date +%s)
if [ "${2:-}" = "--record" ]; then
    ../blompplaycheck -f 2 -o "$record"
else
    ../blompplaycheck -f 2 -g 50 -r "$record"
fi
echo "fairness short form: $(($(date +%s) - start)) s"
