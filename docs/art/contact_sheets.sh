#!/usr/bin/env bash
# Remakes the contact sheets docs/art/blocks_classic.png, blocks_deluxe.png and
# blocks_gb.png from the built gfx archive: every tile of a block sheet twice its
# size with its block code under it; the see-through magenta shows as dark grey.
# Then blocks_side_by_side.png: every tile that shows anything, classic, deluxe and
# handheld next to each other, so the three sets can be compared tile by tile.
#
#   docs/art/contact_sheets.sh [build folder]     (default: build)
#
# Needs ImageMagick (convert, montage) and a built zdatool and game data.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../../build}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$build/zdatool" extract "$build/run/data/gfx.zda" "$tmp" blocks.bmp newblocks.bmp gbblocks.bmp
for pair in blocks:classic newblocks:deluxe gbblocks:gb; do
    sheet=${pair%%:*}
    look=${pair##*:}
    mkdir -p "$tmp/$look"
    convert "$tmp/$sheet.bmp" -fill '#34343c' -opaque '#ff00ff' -scale 200% \
        -crop 32x32 +repage -scene 0 "$tmp/$look/%d.png"
    tiles=()
    for i in $(seq 0 239); do tiles+=("$tmp/$look/$i.png"); done
    montage -background '#18181c' -fill '#e8e8e8' -font DejaVu-Sans-Mono -pointsize 10 \
        -label '%t' "${tiles[@]}" -tile 20x12 -geometry 32x32+3+2 \
        -title "$sheet.bmp ($look)" "$tmp/$look.png"
    # a small palette keeps the file small; strip dates so the bytes repeat from run to run
    convert "$tmp/$look.png" -colors 255 -strip -define png:exclude-chunks=date,time \
        "png8:$here/blocks_$look.png"
done
# side by side: one strip of three per tile, empty tiles left out
triples=()
for i in $(seq 1 239); do
    if [ "$(convert "$tmp/deluxe/$i.png" -format '%k' info:)" = 1 ]; then continue; fi # one colour: empty
    convert "$tmp/classic/$i.png" "$tmp/deluxe/$i.png" "$tmp/gb/$i.png" -background '#18181c' -splice 2x0 \
        +append -set label "$i" "$tmp/t$i.png"
    triples+=("$tmp/t$i.png")
done
montage -background '#18181c' -fill '#e8e8e8' -font DejaVu-Sans-Mono -pointsize 10 \
    "${triples[@]}" -tile 10x -geometry +4+2 \
    -title "classic | deluxe | handheld, tile by tile" "$tmp/side.png"
convert "$tmp/side.png" -colors 255 -strip -define png:exclude-chunks=date,time \
    "png8:$here/blocks_side_by_side.png"
ls -l "$here"/blocks_*.png
