#!/usr/bin/env bash
# The full fairness measurement (docs/levels.md): the player model plays every
# level from its start with six lives, `tries` seeded tries per kind of player
# (casual and skilled), in two processes at low priority. Prints the table,
# checks the goals, and prints the time it took. Not part of CI (CI runs the
# short form in scripts/ci-levels.sh); the numbers repeat on every run.
# Usage: scripts/fairness.sh [build folder] [tries] [output file]
#        (defaults: build, 50, docs/levels/fairness-new.txt)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
tries="${2:-50}"
out="$(realpath -m "${3:-docs/levels/fairness-new.txt}")"
start=$(date +%s)
cmake --build "$build" -j"$(nproc)" --target blompplaycheck gamedata
cd "$build/run"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# Odd and even levels share the work about equally (the later levels are the longer ones).
nice ../blompplaycheck -f "$tries" -o "$tmp/odd.txt" 1 3 5 7 9 11 13 15 > "$tmp/odd.log" &
odd=$!
nice ../blompplaycheck -f "$tries" -o "$tmp/even.txt" 2 4 6 8 10 12 14 16 > "$tmp/even.log" &
even=$!
wait "$odd" "$even"
head -n 2 "$tmp/odd.log"
grep -h -E '^[0-9]+ ' "$tmp/odd.log" "$tmp/even.log" | sort -s -n -k1,1
sort -n "$tmp/odd.txt" "$tmp/even.txt" > "$out"
echo "shares written to $out"
status=0
../blompplaycheck -G "$out" || status=$?
echo "full measurement: $tries tries per level and player, $(($(date +%s) - start)) s"
exit "$status"
