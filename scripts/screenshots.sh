#!/usr/bin/env bash
# Makes the screenshots of docs/screens with the headless harness: the game plays
# a short script on the simulated clock and saves the frames it is told to.
# Needs a built tree (scripts/test.sh or scripts/play.sh first); BUILD_DIR picks it.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build="${BUILD_DIR:-build}"
out="$root/docs/screens"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ln -s "$root/$build/run/data" "$work/data"
cd "$work"
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$root/$build/blompharness" "$out/title.txt"
for f in *.png; do
  mv "$f" "$out/$f"
done
echo "screenshots in $out"
