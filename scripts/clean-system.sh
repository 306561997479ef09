#!/usr/bin/env bash
# Installs a Blomp package on a clean Debian 12 system, as a new user would:
#
#   scripts/clean-system.sh build-pkg/blomp_1.0-1_amd64.deb
#
# A minimal Debian 12 (debootstrap --variant=minbase) is made in
# build-pkg/clean-system; in it `apt-get install ./blomp_*.deb` must fetch every
# library the game needs, a user with an empty home folder starts `blomp` with
# the dummy drivers and the game runs until SIGTERM ends it in order, and
# `dpkg -r blomp` must leave nothing of the package's behind (folders other
# packages share aside) and add nothing.
# Only for the build machine's own architecture (there is no binfmt_misc here
# to run another's maintainer programs). Needs root (sudo otherwise) and
# Debian's package mirror.
set -euo pipefail
cd "$(dirname "$0")/.."
deb=$(readlink -f "${1:?usage: scripts/clean-system.sh PACKAGE.deb}")
[ -f "$deb" ] || { echo "clean-system.sh: no package $deb" >&2; exit 1; }
[ "$(dpkg-deb -f "$deb" Architecture)" = "$(dpkg --print-architecture)" ] ||
  { echo "clean-system.sh: $deb is not for this machine's architecture" >&2; exit 1; }
mirror="${DEBIAN_MIRROR:-http://deb.debian.org/debian}"
sys="$PWD/build-pkg/clean-system"
start=$SECONDS
step() { echo "== [clean system $((SECONDS - start))s] $*"; }
fail() { echo "clean-system.sh: $*" >&2; exit 1; }

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
scripts/deps.sh debootstrap

step "a minimal Debian 12 in $sys"
$sudo rm -rf "$sys"
$sudo debootstrap --variant=minbase bookworm "$sys" "$mirror" >/dev/null
$sudo cp /etc/resolv.conf "$sys/etc/resolv.conf"
in_sys() { $sudo chroot "$sys" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 "$@"; }
in_sys apt-get update -qq
in_sys useradd -m player

# Every path of the system except the package databases, caches, logs and homes.
snapshot() {
  $sudo find "$sys" -xdev \( -path "$sys/var/lib/dpkg" -o -path "$sys/var/lib/apt" -o -path "$sys/var/cache" \
    -o -path "$sys/var/log" -o -path "$sys/home" -o -path "$sys/tmp" -o -path "$sys/proc" \) -prune -o -print |
    sed "s|^$sys||" | sort
}

step "apt-get install ./$(basename "$deb")"
$sudo cp "$deb" "$sys/tmp/"
in_sys apt-get install -y -qq -o Dpkg::Use-Pty=0 --no-install-recommends "/tmp/$(basename "$deb")" >/dev/null
[ "$(in_sys dpkg-query -W -f='${Status}' blomp)" = "install ok installed" ] || fail "blomp is not installed"

step "a new player starts blomp"
status=0
began=$SECONDS
in_sys su -l -s /bin/sh player -c \
  "SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout --preserve-status -k 10 10 blomp -x2" \
  > "$sys.out" 2>&1 || status=$?
cat "$sys.out"
[ $((SECONDS - began)) -ge 10 ] || fail "the game ended with status $status before its 10 s were up"
[ $status -eq 0 ] || fail "the game ended with status $status on SIGTERM"
[ ! -s "$sys.out" ] || fail "the game printed something"
$sudo test -s "$sys/home/player/.local/share/blomp/blomp.cfg" || fail "no settings in the player's folder"

step "dpkg -r blomp"
in_sys dpkg-query -L blomp | sort > "$sys.files"
snapshot > "$sys.before"
in_sys dpkg -r blomp >/dev/null # no conffiles: removing must leave nothing
snapshot > "$sys.after"
added=$(comm -13 "$sys.before" "$sys.after")
[ -z "$added" ] || fail "dpkg -r added $added"
# Of the package's own paths only folders other packages own or use may stay.
left=()
while read -r path; do
  if [ -d "$sys$path" ] && [ ! -L "$sys$path" ]; then
    [ -n "$($sudo ls -A "$sys$path")" ] && continue
    in_sys dpkg-query -S "$path" >/dev/null 2>&1 && continue
  fi
  left+=("$path")
done < <(comm -12 "$sys.files" "$sys.after")
[ ${#left[@]} -eq 0 ] || fail "dpkg -r left ${left[*]}"
stray=$(grep -i blomp "$sys.after" || true)
[ -z "$stray" ] || fail "dpkg -r left $stray"
in_sys dpkg --purge blomp >/dev/null
in_sys dpkg-query -W blomp >/dev/null 2>&1 && fail "blomp is still known to dpkg after the purge"
$sudo rm -rf "$sys" "$sys.files" "$sys.before" "$sys.after" "$sys.out"
step "done: installed with its libraries on a clean system, started by a new player, removed without a trace"
