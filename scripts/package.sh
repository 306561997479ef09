#!/usr/bin/env bash
# Builds the Debian packages of Blomp for amd64, arm64 and armhf and checks each
# the way a user would meet it:
#
#   scripts/package.sh [ARM64_TESTS [ARMHF_TESTS]]    each full (default) or smoke
#                                                     (none: package the cross build as it is)
#
#  1. scripts/cross.sh for arm64 and armhf: the cross builds, their test suites
#     under qemu (full, or the smoke part), and a scripted game against the host's;
#  2. the amd64 package from the build machine's own build (build-cross/host),
#     the ARM packages from the cross builds; Depends from dpkg-shlibdeps, and
#     Mesa's DRI drivers, which nothing links;
#  3. for each package: lintian shows no errors; desktop-file-validate and
#     appstreamcli validate pass; the control fields and the programs' machine
#     are right; apt could install its Depends on Debian 12;
#  4. dpkg installs it into a throwaway root (an empty dpkg database made for the
#     purpose: nothing touches this machine's own), the installed launcher
#     starts the game from an empty home folder with the dummy drivers (an ARM
#     game through qemu), the game runs until SIGTERM ends it in order, and
#     dpkg -r leaves nothing behind;
#  5. scripts/clean-system.sh: the amd64 package on a freshly made minimal
#     Debian 12, installed by apt with its libraries, started by a new user,
#     removed without a trace.
# The packages end up in build-pkg/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
declare -A modes=([arm64]="${1:-full}" [armhf]="${2:-full}")
out="$root/build-pkg"
host="$root/build-cross/host"
start=$SECONDS
step() { echo "== [package $((SECONDS - start))s] $*"; }
fail() { echo "package.sh: $*" >&2; exit 1; }

scripts/deps.sh lintian desktop-file-utils appstream dpkg-dev file

# 1. The ARM builds and their tests (cross.sh also builds the host's tools in build-cross/host).
for arch in arm64 armhf; do
  if [ "${modes[$arch]}" = none ]; then
    [ -f "$root/build-cross/$arch/CPackConfig.cmake" ] || fail "no cross build of $arch to package"
    continue
  fi
  step "cross build and tests of $arch (${modes[$arch]})"
  scripts/cross.sh "$arch" "${modes[$arch]}"
done

# 2. The packages.
rm -rf "$out"
mkdir -p "$out"
step "the amd64 build"
cmake --build "$host" -j"${JOBS:-2}" >/dev/null
declare -A builds=([amd64]="$host" [arm64]="$root/build-cross/arm64" [armhf]="$root/build-cross/armhf")
for arch in amd64 arm64 armhf; do
  step "cpack $arch"
  # dpkg-shlibdeps looks up the libraries of the package's architecture
  DEB_HOST_ARCH=$arch cpack --config "${builds[$arch]}/CPackConfig.cmake" -B "$out/cpack-$arch" >/dev/null
  mv "$out/cpack-$arch/blomp_"*"_$arch.deb" "$out/"
  rm -rf "$out/cpack-$arch"
done

# 3 and 4. The checks.
declare -A machine=([amd64]="x86-64" [arm64]="ARM aarch64" [armhf]="ARM, EABI5")
declare -A triplet=([amd64]="x86_64-linux-gnu" [arm64]="aarch64-linux-gnu" [armhf]="arm-linux-gnueabihf")
declare -A qemu=([amd64]="" [arm64]="qemu-aarch64" [armhf]="qemu-arm")
for arch in amd64 arm64 armhf; do
  deb=$(echo "$out/blomp_"*"_$arch.deb")
  [ -f "$deb" ] || fail "no package for $arch"
  step "checking $(basename "$deb")"

  [ "$(dpkg-deb -f "$deb" Architecture)" = "$arch" ] || fail "$deb: wrong Architecture"
  depends=$(dpkg-deb -f "$deb" Depends)
  echo "Depends: $depends"
  # Every library the game is linked with must come from a package named in Depends.
  tree=$(mktemp -d)
  dpkg-deb -x "$deb" "$tree"
  for so in $(readelf -d "$tree/usr/libexec/blomp/blomp" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p'); do
    lib=$(dpkg -S "*/${triplet[$arch]}/$so" 2>/dev/null | head -1 | cut -d: -f1)
    [ -n "$lib" ] || fail "$deb: no package of this machine ships $so"
    echo "$depends" | grep -q "\(^\|, \)$lib\( \|,\|$\)" || fail "$deb: the game needs $so, but Depends lacks $lib"
  done
  rm -rf "$tree"
  # What Mesa loads at run time is not linked: without its DRI drivers a console has no picture.
  echo "$depends" | grep -q "\(^\|, \)libgl1-mesa-dri\( \|,\|$\)" ||
    fail "$deb: Depends lacks libgl1-mesa-dri (Mesa's DRI drivers, loaded at run time)"

  # lintian: errors fail; warnings are printed for the reader.
  lintian_out=$(lintian --allow-root --no-tag-display-limit "$deb" 2>&1) || true
  echo "$lintian_out" | sed 's/^/  lintian: /'
  errors=$(echo "$lintian_out" | grep -c '^E:' || true)
  warnings=$(echo "$lintian_out" | grep -c '^W:' || true)
  echo "lintian $arch: $errors errors, $warnings warnings"
  [ "$errors" -eq 0 ] || fail "$deb: lintian shows errors"

  tree=$(mktemp -d)
  dpkg-deb -x "$deb" "$tree"
  desktop-file-validate "$tree"/usr/share/applications/*.desktop
  appstreamcli validate --no-net "$tree"/usr/share/metainfo/*.xml
  file "$tree/usr/libexec/blomp/blomp" | grep -q "${machine[$arch]}" || fail "$deb: the game is not a ${machine[$arch]} program"
  for size in 16 32 48 64 128 256; do
    file "$tree/usr/share/icons/hicolor/${size}x${size}/apps/blomp.png" | grep -q "$size x $size" ||
      fail "$deb: no ${size}x${size} icon"
  done
  rm -rf "$tree"

  # Would Debian's apt install it? (a simulation against this machine's package lists)
  apt-get -s -qq install "$deb" >/dev/null || fail "$deb: apt cannot satisfy its Depends"

  # A throwaway root with an empty dpkg database: install, start, purge.
  sys=$(mktemp -d)
  mkdir -p "$sys/var/lib/dpkg/info" "$sys/var/lib/dpkg/updates" "$sys/var/lib/dpkg/triggers"
  touch "$sys/var/lib/dpkg/status" "$sys/var/lib/dpkg/available"
  [ "$arch" != amd64 ] && dpkg --root="$sys" --add-architecture "$arch"
  # The libraries it depends on are this machine's (they are not in the empty root).
  dpkg --root="$sys" --force-depends -i "$deb" >/dev/null
  [ "$(dpkg-query --admindir="$sys/var/lib/dpkg" -W -f='${Status}' blomp)" = "install ok installed" ] ||
    fail "$deb: dpkg did not install it"
  game="$sys/usr/libexec/blomp/blomp"
  if [ -n "${qemu[$arch]}" ]; then
    # no binfmt_misc here: the ARM game starts through qemu for this check
    mv "$game" "$game.target"
    printf '#!/bin/sh\nexec %s "$0.target" "$@"\n' "${qemu[$arch]}" > "$game"
    chmod 755 "$game"
  fi
  home=$(mktemp -d)
  status=0
  started=$SECONDS
  # After 10 s timeout sends SIGTERM: a game still waiting for its player then ends
  # as after its last quit, with status 0 and its settings written.
  env -i PATH=/usr/bin:/bin HOME="$home" SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
    timeout --preserve-status -k 10 10 "$sys/usr/games/blomp" -x2 > "$home.out" 2>&1 || status=$?
  cat "$home.out"
  [ $((SECONDS - started)) -ge 10 ] || fail "$deb: the game ended with status $status before its 10 s were up"
  [ $status -eq 0 ] || fail "$deb: the game ended with status $status on SIGTERM (137: it did not stop)"
  [ -s "$home/.local/share/blomp/blomp.cfg" ] || fail "$deb: no settings written in the player's folder"
  [ ! -s "$home.out" ] || fail "$deb: the game printed something on start"
  [ "$(readlink "$home/.local/share/blomp/data")" = "$sys/usr/share/games/blomp/data" ] ||
    fail "$deb: the player's folder does not link the installed data"
  [ -f "$home/.local/share/blomp/data/gfx.zda" ] || fail "$deb: the installed data is not there"
  if [ -n "${qemu[$arch]}" ]; then
    mv "$game.target" "$game"
  fi
  # The package has no conffiles, so removing it must already leave nothing.
  dpkg --root="$sys" -r blomp >/dev/null
  left=$(find "$sys" -mindepth 1 -not -path "$sys/var/lib/dpkg" -not -path "$sys/var/lib/dpkg/*" \
    -not -path "$sys/var/lib" -not -path "$sys/var")
  [ -z "$left" ] || fail "$deb: dpkg -r left $left"
  dpkg --root="$sys" --purge blomp >/dev/null
  dpkg-query --admindir="$sys/var/lib/dpkg" -W blomp >/dev/null 2>&1 && fail "$deb: still known to dpkg after the purge"
  rm -rf "$sys" "$home" "$home.out"
  echo "$arch: installed, started from an empty home, removed without a trace"
done
# 5. The amd64 package on a clean Debian system, with apt fetching its libraries.
step "the amd64 package on a clean system"
scripts/clean-system.sh "$out/blomp_"*"_amd64.deb"
ls -l "$out"/*.deb
step "done"
