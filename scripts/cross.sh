#!/usr/bin/env bash
# Builds Blomp, its tools and its tests for a Raspberry Pi and runs them under
# qemu-user on this (Debian 12, amd64) machine:
#
#   scripts/cross.sh arm64|armhf [full|smoke]
#   scripts/cross.sh armv6      only compiles the game for ARMv6 (Pi Zero, Pi 1), see the README
#
#  1. installs what is missing: Debian's cross compilers, qemu-user, and the
#     target's libraries beside the host's (multiarch, never removing a host
#     package);
#  2. unpacks the target's SDL and SDL_mixer -dev files into a private sysroot
#     (build-cross/sysroot-TRIPLET): libsdl1.2-dev has no Multi-Arch field, and
#     installing it for the target would remove the host's copy;
#  3. builds the data builder for this machine (build-cross/host), then the game,
#     the tools and the tests for the target (build-cross/ARCH), warnings as errors;
#  4. runs the test suite under qemu with the headless drivers ("smoke": only the
#     tests of the archives, the data, the files and whole games);
#  5. plays a short scripted game with the harness under qemu and with the host's
#     harness, and checks that both print the same states and save the same frames.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

arch="${1:-}"
mode="${2:-full}"
flags=()
case "$arch" in
  arm64) triplet=aarch64-linux-gnu qemu=qemu-aarch64 debarch=arm64 ;;
  armhf) triplet=arm-linux-gnueabihf qemu=qemu-arm debarch=armhf ;;
  armv6) triplet=arm-linux-gnueabihf qemu=qemu-arm debarch=armhf flags=(-DCMAKE_CXX_FLAGS="-march=armv6+fp -mfpu=vfp -marm -Wno-psabi" -DBLOMP_TESTS=OFF) ;;
  *) echo "usage: scripts/cross.sh arm64|armhf|armv6 [full|smoke]" >&2; exit 2 ;;
esac
case "$mode" in full | smoke) ;; *) echo "cross.sh: mode is full or smoke" >&2; exit 2 ;; esac
jobs="${JOBS:-2}"
cross="$root/build-cross"
sysroot="$cross/sysroot-$triplet"
build="$cross/$arch"
host="$cross/host"
start=$SECONDS
step() { echo "== [$arch $((SECONDS - start))s] $*"; }

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

# 1. Packages. --no-remove makes apt refuse anything that would take a host package away.
step "packages"
if ! dpkg --print-foreign-architectures | grep -qx "$debarch"; then
  $sudo dpkg --add-architecture "$debarch"
  $sudo apt-get update -qq
fi
packages=(
  "crossbuild-essential-$debarch" qemu-user
  "libsdl1.2debian:$debarch" "libsdl-mixer1.2:$debarch"
  "libmodplug-dev:$debarch" "zlib1g-dev:$debarch" "libgtest-dev:$debarch"
  "libegl-dev:$debarch" "libgles-dev:$debarch" "libx11-dev:$debarch" "libdrm-dev:$debarch" "libgbm-dev:$debarch"
)
# Mesa's software GL for the off-screen display tests: its drivers and LLVM,
# some 130 MB per architecture, which the smoke part and the ARMv6 check do without.
[ "$mode" = full ] && [ "$arch" != armv6 ] && packages+=("libegl-mesa0:$debarch" "libgl1-mesa-dri:$debarch")
scripts/deps.sh "${packages[@]}"

# 2. The SDL -dev files of the target, unpacked, their .pc files and .so links pointing there.
if [ ! -f "$sysroot/usr/lib/$triplet/pkgconfig/sdl.pc" ]; then
  step "SDL -dev files of $debarch into $sysroot"
  debs="$cross/debs-$debarch"
  rm -rf "$debs" "$sysroot"
  mkdir -p "$debs" "$sysroot"
  (cd "$debs" && apt-get download -qq "libsdl1.2-dev:$debarch" "libsdl-mixer1.2-dev:$debarch")
  for deb in "$debs"/*.deb; do dpkg-deb -x "$deb" "$sysroot"; done
  sed -i "s|^prefix=.*|prefix=$sysroot/usr|" "$sysroot/usr/lib/$triplet/pkgconfig/"*.pc
  # libSDL.so -> libSDL-1.2.so.0.11.4: the library itself is the runtime package's, in /usr/lib.
  for link in "$sysroot/usr/lib/$triplet/"*.so; do
    [ -L "$link" ] && ln -sfn "/usr/lib/$triplet/$(basename "$(readlink "$link")")" "$link"
  done
fi

# 3. The data builder for this machine, then everything for the target.
step "data builder for the build machine"
cmake -S . -B "$host" -DCMAKE_BUILD_TYPE=Release -DBLOMP_TESTS=OFF >/dev/null
cmake --build "$host" --target databuild blompharness -j"$jobs" >/dev/null
step "cross build"
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$debarch.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBLOMP_WERROR=ON -DBLOMP_HOST_TOOLS="$host" "${flags[@]}" >/dev/null
cmake --build "$build" -j"$jobs"
if [ "$arch" = armv6 ]; then
  # Every object of ours must say ARMv6 (Debian's libraries beside them are ARMv7).
  bad=$(find "$build/CMakeFiles" -path '*.dir/*' -name '*.o' -exec sh -c \
    'readelf -A "$1" | grep -q "Tag_CPU_arch: v6" || echo "$1"' _ {} \;)
  [ -z "$bad" ] || { echo "cross.sh: not ARMv6 code: $bad" >&2; exit 1; }
  step "done: the game and its tools compile for ARMv6"
  exit 0
fi
file "$build/run/blomp" | grep -q "ARM" || { echo "cross.sh: $build/run/blomp is not an ARM program" >&2; exit 1; }

# 4. The suite under qemu.
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
# Left out under the emulator: the audio tests that play in real time (an emulated
# mixer cannot keep pace; the mixing itself is tested by the music and sound tests)
# and the whole run on the GPU display (it is there for the leak check of the
# sanitizer build; under emulation Mesa draws its 500 frames in 8 minutes, while
# the pictures themselves are checked pixel by pixel by the DisplayPicture tests).
filter=(-E 'AudioGame|AWholeRunOnTheGPUDisplay')
[ "$mode" = smoke ] && filter+=(-R 'Zda|GameData|Hiscore|Config|Binary|Run|Demo')
step "tests under $qemu ($mode)"
ctest --test-dir "$build" --output-on-failure -j"$jobs" "${filter[@]}"

# 5. A whole game, scripted: the intro, the title, the hiscores, a level in play,
#    the pause menu, quitting; the ARM harness and the host's must agree.
step "a scripted game with the harness, $arch against the host"
game="$cross/game-$arch"
rm -rf "$game"
mkdir -p "$game/target" "$game/host"
cat > "$game/script.txt" <<'EOT'
tap 600 return
tap 2100 return
tap 3100 up
tap 3600 up
tap 4100 right
state 8000
shot 9000 title.png
tap 9500 return
tap 9800 down
tap 10100 down
tap 10500 return
shot 11500 hiscores.png
tap 12000 return
tap 12500 up
tap 13000 up
tap 13500 return
tap 15000 return
state 16000
key 18500 right down
state 20000
tap 21000 up
shot 23000 level.png
key 23100 right up
state 23500
tap 24000 space
state 24500
tap 24600 escape
tap 25000 left
tap 27000 escape
limit 60000
EOT
for side in target host; do
  ln -s "$build/run/data" "$game/$side/data"
done
(cd "$game/target" && "$qemu" "$build/blompharness" ../script.txt > states.txt)
(cd "$game/host" && "$host/blompharness" ../script.txt > states.txt)
cat "$game/target/states.txt"
[ "$(grep -c '^state' "$game/target/states.txt")" -eq 5 ] || { echo "cross.sh: the game did not reach every state line" >&2; exit 1; }
for f in states.txt title.png hiscores.png level.png hiscores.dat blomp.cfg; do
  if ! cmp "$game/target/$f" "$game/host/$f"; then
    echo "cross.sh: $f differs between $arch and the host" >&2
    exit 1
  fi
done
step "done: $arch builds, its tests pass under $qemu, and its game plays as the host's"
