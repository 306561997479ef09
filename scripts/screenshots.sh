#!/usr/bin/env bash
# Makes the screenshots of docs/screens with the headless harness: the game plays
# short scripts on the simulated clock and saves the frames it is told to.
#  - docs/screens/title.txt: the intro screens, the title, the hiscore page, the
#    story and level 1 in the deluxe set;
#  - for each graphic set, its title and level 3 (ponds with piranhas) in play;
#  - for each graphic set, the back picture behind every theme: the start of a
#    meadow, forest, cave, castle, ice and night level side by side in
#    docs/screens/themes_<set>.png (level 16 opens with its spike pit).
# Needs a built tree (scripts/test.sh or scripts/play.sh first) and ImageMagick's
# montage; BUILD_DIR picks the tree.
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

# The saved game that makes CONTINUE start level $1: levels done, folded into a fixed key.
save_for() {
  local n=$(($1 - 1))
  printf '\\x12\\x%02x\\x34\\x%02x' $((0x34 ^ n)) $((0x12 ^ n))
}

# The keys that pick graphic set $1 on the graphic-set screen.
choose_set() {
  case $1 in
    classic) echo "tap 4100 left" ;;
    deluxe) echo "tap 4100 right" ;;
    handheld) for i in $(seq 0 9); do echo "tap $((4100 + 150 * i)) down"; done ;;
  esac
}

# Through the language, quotation, warning, credits and graphic-set screens to the title.
to_title() {
  printf 'tap 600 return\ntap 2100 return\ntap 3100 up\ntap 3600 up\n'
  choose_set "$1"
}

for set in classic deluxe handheld; do
  intro=$(to_title $set)
  script="$work/$set.txt"
  cat > "$script" <<EOT
$intro
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
  run_script "$set" "$(save_for 3)" "$script"

  # the back picture behind every theme: stand still at the start of one level of each
  shots=()
  for theme in meadow:3 forest:2 cave:4 castle:5 ice:6 night:16; do
    name=${theme%%:*}
    lvl=${theme##*:}
    script="$work/$set-$name.txt"
    cat > "$script" <<EOT
$intro
tap 9500 return
tap 10000 return
shot 14000 theme_${set}_$name.png
tap 15000 escape
tap 16000 left
tap 18000 escape
EOT
    run_script "$set-$name" "$(save_for $lvl)" "$script"
    shots+=("$out/theme_${set}_$name.png")
  done
  montage "${shots[@]}" -tile 3x2 -geometry +2+2 -background '#202020' \
    -define png:exclude-chunks=date,time "$out/themes_$set.png"
  rm -f "${shots[@]}"
done
echo "screenshots in $out"
