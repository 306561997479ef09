#!/usr/bin/env bash
# Makes the screenshots of docs/screens with the headless harness: the game plays
# short scripts on the simulated clock and saves the frames it is told to.
#  - docs/screens/title.txt: the intro screens, the title, the hiscore page, the
#    story and level 1 in the deluxe set;
#  - for each graphic set, its title and level 3 (ponds with piranhas) in play.
# Needs a built tree (scripts/test.sh or scripts/play.sh first); BUILD_DIR picks it.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build="${BUILD_DIR:-build}"
out="$root/docs/screens"
harness="$root/$build/blompharness"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Runs one harness script in a fresh folder holding the data, then collects its pictures.
run_script() {
  local dir="$work/run$1"
  mkdir -p "$dir"
  ln -s "$root/$build/run/data" "$dir/data"
  [ -n "${2:-}" ] && printf '%b' "$2" > "$dir/savegame.dat"
  (cd "$dir" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$harness" "$3" >/dev/null)
  mv "$dir"/*.png "$out/"
}

run_script 0 "" "$out/title.txt"

for set in classic deluxe handheld; do
  case $set in
    classic) choose="tap 4100 left" ;;
    deluxe) choose="tap 4100 right" ;;
    handheld) choose=$(for i in $(seq 0 9); do echo "tap $((4100 + 150 * i)) down"; done) ;;
  esac
  script="$work/$set.txt"
  cat > "$script" <<EOT
tap 600 return
tap 2100 return
tap 3100 up
tap 3600 up
$choose
shot 9000 ${set}_title.png
tap 9500 return
tap 10000 return
key 14000 right down
shot 17600 ${set}_level.png
key 17700 right up
tap 18000 escape
tap 19000 left
tap 21000 escape
EOT
  # A saved game after level 2: CONTINUE starts level 3.
  run_script "$set" '\x12\x36\x34\x10' "$script"
done
echo "screenshots in $out"
