#!/usr/bin/env bash
# The real game in a real X window (Xvfb, Mesa's software GL): with -x2 its
# 640 x 480 window shows the scan lines of the GPU display; with -fs on a
# 1280 x 1024 screen the picture spans the whole width, 1280 x 960 between black
# bars. Fails when either is not so. With --shots it also refreshes the
# README's pictures in docs/screens.
# Needs a built tree (BUILD_DIR, default build-test) and xvfb, xdotool, imagemagick.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build="${BUILD_DIR:-build-test}"
shots=0
[ "${1:-}" = "--shots" ] && shots=1
work=$(mktemp -d)
xpid=""
gpid=""
cleanup() {
  [ -n "$gpid" ] && kill -9 "$gpid" 2>/dev/null || true
  [ -n "$xpid" ] && kill "$xpid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display number and tells it on a pipe.
exec 7<> <(:)
Xvfb -displayfd 7 -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xpid=$!
read -r -t 20 num <&7 || { echo "display check: Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=":$num"
mkdir -p "$work/run"
ln -s "$root/$build/run/data" "$work/run/data"

# Starts the game with the given options and waits for its window: its id in wid.
# Right after a game was killed Xvfb may still refuse a new client now and then:
# then it tries again.
start_game() {
  for _attempt in 1 2 3; do
    (cd "$work/run" && SDL_AUDIODRIVER=dummy BLOMP_DISPLAY=x11 exec "$root/$build/run/blomp" "$@" \
      >"$work/out.txt" 2>"$work/err.txt") &
    gpid=$!
    for _ in $(seq 1 100); do
      wid=$(xdotool search --name '^BLOMP$' 2>/dev/null | head -1 || true)
      [ -n "$wid" ] && return 0
      kill -0 "$gpid" 2>/dev/null || break
      sleep 0.1
    done
    grep -q "Couldn't open X11 display" "$work/out.txt" || break
    sleep 1
  done
  echo "display check: no window for blomp $*:"
  cat "$work/out.txt" "$work/err.txt"
  exit 1
}

stop_game() {
  kill -9 "$gpid" 2>/dev/null || true
  wait "$gpid" 2>/dev/null || true
  gpid=""
  for _ in $(seq 1 30); do # until the server has let the window go
    [ -z "$(xdotool search --name '^BLOMP$' 2>/dev/null || true)" ] && break
    sleep 0.1
  done
}

# Row averages of a region, one grey value 0..65535 a line.
row_profile() { # image WxH+X+Y rows
  convert "$1" -crop "$2" +repage -resize "1x$3!" -colorspace gray txt:- | awk -F'[()]' 'NR > 1 { split($2, v, ","); print v[1] }'
}

# 1. -x2: the flags of the language screen, every other row darker; with SDL 1.2
#    and again with sdl12-compat (SDL 1.2 over SDL 2, Debian 13's SDL 1.2), taken
#    from its Debian package into a private folder.
check_x2() { # label
  echo "display check ($1): $(ldd "$root/$build/run/blomp" | grep -o 'libSDL-1.2.so.0 => [^ ]*')"
  start_game -x2
  sleep 2
  import -window "$wid" "$work/x2.png"
  stop_game
  size=$(identify -format '%wx%h' "$work/x2.png")
  [ "$size" = "640x480" ] || { echo "display check ($1): the -x2 window is $size, not 640x480"; exit 1; }
  [ -s "$work/err.txt" ] && { echo "display check ($1): the GPU display did not start:"; cat "$work/err.txt"; exit 1; }
  # The British flag at 100..279 x 100..219: 120 rows, 60 scan lines.
  dips=$(row_profile "$work/x2.png" 180x120+100+100 120 |
    awk '{ v[NR] = $1 } END { n = 0; for (i = 2; i < NR; i++) if (v[i] < v[i-1] * 0.95 && v[i] < v[i+1] * 0.95) n++; print n }')
  echo "display check ($1): -x2 window 640x480, $dips dark scan lines over 120 rows of a flag"
  [ "$dips" -ge 55 ] && [ "$dips" -le 61 ] || { echo "display check ($1): no scan lines in the -x2 window"; exit 1; }
}
check_x2 "SDL 1.2"
cp "$work/x2.png" "$work/x2-sdl12.png"
(cd "$work" && apt-get download libsdl1.2-compat >/dev/null 2>&1 && dpkg -x libsdl1.2-compat_*.deb compat) ||
  { echo "display check: sdl12-compat cannot be fetched"; exit 1; }
LD_LIBRARY_PATH="$(dirname "$(find "$work/compat" -name 'libSDL-1.2.so.0' | head -1)")" check_x2 "sdl12-compat"
cp "$work/x2-sdl12.png" "$work/x2.png"

# 2. -fs on 1280 x 1024: through the intro screens to the deluxe title, then the whole screen.
# Each key is held a moment, as a player would: the screens look every 100 ms.
start_game -fs
sleep 2.5
for key in Return Return Up Up Right; do
  xdotool keydown "$key" 2>/dev/null
  sleep 0.2
  xdotool keyup "$key" 2>/dev/null
  sleep 1.3
done
sleep 3
import -window root "$work/fs.png"
stop_game
# Black bars of 32 rows above and below; the picture's outer columns lit between them.
bar_top=$(convert "$work/fs.png" -crop 1280x32+0+0 +repage -format '%[fx:maxima.r+maxima.g+maxima.b]' info:)
bar_bottom=$(convert "$work/fs.png" -crop 1280x32+0+992 +repage -format '%[fx:maxima.r+maxima.g+maxima.b]' info:)
left=$(convert "$work/fs.png" -crop 4x960+0+32 +repage -format '%[fx:mean]' info:)
right=$(convert "$work/fs.png" -crop 4x960+1276+32 +repage -format '%[fx:mean]' info:)
echo "display check: -fs bars top $bar_top bottom $bar_bottom, picture edges left $left right $right"
awk -v t="$bar_top" -v b="$bar_bottom" -v l="$left" -v r="$right" \
  'BEGIN { exit !(t == 0 && b == 0 && l > 0.05 && r > 0.05) }' ||
  { echo "display check: -fs does not show the picture 1280 x 960 across the whole width"; exit 1; }

if [ "$shots" = 1 ]; then
  cp "$work/x2.png" docs/screens/display_x2.png
  convert "$work/fs.png" -resize 50% docs/screens/display_fs.png
  echo "display check: pictures in docs/screens"
fi
echo "display check: passed"
