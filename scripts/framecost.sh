#!/usr/bin/env bash
# The frame-cost benchmark: builds the game in Release (build-release, or
# BUILD_DIR) and runs blompframecost under valgrind's callgrind, which replays
# the recorded demo of every level to its door and prints the instructions a
# frame costs: the world's update, the composition, the presentation, a whole
# play frame with the worst one, the darkened intro frames and darken() alone,
# per level and for all. The counts are deterministic: compare them across commits.
# A benchmark, not a test: it never fails on a number.
#   scripts/framecost.sh [blompframecost options: -b24 -set N -levels A-B -frames N -every K]
#   scripts/framecost.sh --short    a quick form: every level, every 16th frame counted
# The whole replay, every frame counted, takes 10 to 20 minutes of one core;
# -every 8 (every level, every 8th frame drawn and counted) a few minutes.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build="${BUILD_DIR:-build-release}"
if ! command -v valgrind >/dev/null; then
  echo "framecost: valgrind is not installed (apt-get install valgrind)" >&2
  exit 2
fi
args=("$@")
if [ "${1:-}" = "--short" ]; then
  args=(-every 16 "${@:2}")
fi
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DBLOMP_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target blompframecost gamedata >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$build/run"
valgrind --tool=callgrind --callgrind-out-file="$work/cg" --dump-line=no --dump-instr=no \
  --log-file="$work/valgrind.log" ../blompframecost "$work/cg" -demos "$root/tests/demos" "${args[@]}"
