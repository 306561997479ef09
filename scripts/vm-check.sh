#!/usr/bin/env bash
# The console path on a real kernel: a virtual machine with a minimal Debian 12
# boots the package as apt installs it and plays.
#
#   scripts/vm-check.sh amd64|arm64 [--short] [--deb FILE] [--known keyboard-hotplug]
#
#  1. the package from this tree, made of the builds scripts/package.sh packs
#     (build-cross/host; for arm64 scripts/cross.sh's cross build), unless
#     --deb names one;
#  2. a minimal Debian 12 (debootstrap, minbase) with Debian's kernel, udev and
#     alsa-utils, made once and kept in build-vm/cache/ under a key of its
#     inputs (arm64: the second stage runs under qemu-user through proot);
#  3. a copy of it where a user `player` (groups video, input, audio) exists and
#     `apt-get install ./blomp_*.deb` has run, as on any Debian system: nothing
#     else is added for the game; made into an ext4 disk;
#  4. qemu-system (software emulation) boots it with a virtio GPU (-vga none, so
#     the virtio card is card0), a virtio keyboard, Intel HDA recording into a
#     WAV file, the monitor on a socket and the serial line as the log and the
#     command channel of scripts/vm/init.sh, the machine's first process;
#  5. scripts/vm/drive.py plays and checks: the intro, title, new game, play,
#     pause menu, EXIT, title, EXIT by keys, with screen dumps checked (the 4:3
#     picture where the aspect rule puts it, black bars, scan lines) at three
#     modes; the console back after EXIT, SIGTERM and a fatal error; the one
#     line without Mesa's drivers; sound in the recording; the keyboard
#     unplugged and plugged back in play; a virtual pad (scripts/vm/vpad.c,
#     made through uinput) plugged in at the title, playing alone into the
#     level, pulled out in play (the pause menu opens) and plugged back in to
#     go on; 20 power cuts around the writes of the hiscores and the settings;
#     apt-get purge.
# --short (CI): one mode and three power cuts. --known keyboard-hotplug: the
# game is known not to take a keyboard plugged in while it runs; the check
# reports it and fails once that works. Needs root and Debian's mirror.
# Every step prints its time; the pictures, the recording and the serial log
# are kept in build-vm/run-ARCH/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
arch="${1:-}"
shift || true
form=full
deb=""
known=()
while [ $# -gt 0 ]; do
  case "$1" in
    --short) form=short ;;
    --deb) deb=$(readlink -f "${2:?--deb needs a file}"); shift ;;
    --known) known+=(--known "${2:?--known needs a name}"); shift ;;
    *) echo "usage: scripts/vm-check.sh amd64|arm64 [--short] [--deb FILE] [--known keyboard-hotplug]" >&2; exit 1 ;;
  esac
  shift
done
case "$arch" in
  amd64) kernel=linux-image-amd64 qemu=qemu-system-x86_64 qpkg=qemu-system-x86 cc=gcc ccpkg=libc6-dev ;;
  arm64) kernel=linux-image-arm64 qemu=qemu-system-aarch64 qpkg=qemu-system-arm cc=aarch64-linux-gnu-gcc
    ccpkg="gcc-aarch64-linux-gnu libc6-dev-arm64-cross" ;;
  *) echo "usage: scripts/vm-check.sh amd64|arm64 [--short] [--deb FILE] [--known keyboard-hotplug]" >&2; exit 1 ;;
esac
[ "$(id -u)" -eq 0 ] || { echo "vm-check.sh: needs root (debootstrap, chroot, a disk made of a root tree)" >&2; exit 1; }
mirror="${DEBIAN_MIRROR:-http://deb.debian.org/debian}"
vm="$root/build-vm"
run="$vm/run-$arch"
start=$SECONDS
last=$SECONDS
step() {
  echo "== [vm $arch $((SECONDS - start))s, last step $((SECONDS - last))s] $*"
  last=$SECONDS
}
fail() { echo "vm-check.sh: $*" >&2; exit 1; }

step "tools"
# shellcheck disable=SC2086 # ccpkg is a list
scripts/deps.sh debootstrap "$qpkg" qemu-system-data qemu-user proot e2fsprogs python3 python3-numpy dpkg-dev $ccpkg

# 1. The package.
if [ -z "$deb" ]; then
  # The same builds as scripts/package.sh makes its packages of (already there after it in CI).
  if [ "$arch" = amd64 ]; then
    step "the amd64 package from this tree (build-cross/host)"
    cmake -S . -B build-cross/host -DCMAKE_BUILD_TYPE=Release -DBLOMP_TESTS=OFF >/dev/null
    cmake --build build-cross/host -j"${JOBS:-2}" >/dev/null
  else
    step "the arm64 package from this tree (the cross build and its smoke tests)"
    scripts/cross.sh arm64 smoke
  fi
  build=build-cross/host
  [ "$arch" = arm64 ] && build=build-cross/arm64
  rm -rf "$vm/cpack-$arch"
  DEB_HOST_ARCH=$arch cpack --config "$root/$build/CPackConfig.cmake" -B "$vm/cpack-$arch" >/dev/null
  deb=$(echo "$vm/cpack-$arch/blomp_"*"_$arch.deb")
fi
# The harness of this machine's build makes the reference pictures and the desktop mix.
cmake -S . -B build-cross/host -DCMAKE_BUILD_TYPE=Release -DBLOMP_TESTS=OFF >/dev/null
cmake --build build-cross/host -j"${JOBS:-2}" >/dev/null
[ -f "$deb" ] || fail "no package $deb"
[ "$(dpkg-deb -f "$deb" Architecture)" = "$arch" ] || fail "$deb is not an $arch package"
echo "package: $deb"
echo "Depends: $(dpkg-deb -f "$deb" Depends)"

# 2. The minimal system, cached by its inputs.
base_packages="$kernel,initramfs-tools,udev,kmod,alsa-utils"
make_base() { # $1: the folder
  local dir=$1
  if [ "$arch" = amd64 ]; then
    debootstrap --variant=minbase --include="$base_packages" bookworm "$dir" "$mirror" >/dev/null
  else
    # No binfmt_misc here: the first stage unpacks, the second runs arm64's
    # programs through qemu-user under proot (as root inside, nothing touched outside).
    debootstrap --foreign --arch=arm64 --variant=minbase --include="$base_packages" bookworm "$dir" "$mirror" >/dev/null
    # Here the first stage takes itself for a container and makes /proc a link to the host's.
    rm -f "$dir/proc"
    mkdir -p "$dir/proc"
    DEBOOTSTRAP_DIR=/debootstrap proot -q qemu-aarch64 -0 -r "$dir" -b /dev -b /proc -b /sys -w / \
      /debootstrap/debootstrap --second-stage >/dev/null
  fi
  echo "deb $mirror bookworm main" > "$dir/etc/apt/sources.list"
}
key=$(printf '%s\n' "$arch" "$mirror" "$base_packages" "$(declare -f make_base)" | sha256sum | cut -c1-16)
base="$vm/cache/base-$arch-$key"
if [ ! -f "$base/.done" ]; then
  step "a minimal Debian 12 for $arch with $kernel (debootstrap; kept in $base)"
  rm -rf "$base" "$vm/cache/base-$arch-"*
  mkdir -p "$vm/cache"
  make_base "$base"
  touch "$base/.done"
else
  step "the minimal Debian 12 for $arch from the cache ($base)"
fi

# 3. A copy of it with the package installed by apt, as a user's system has it.
step "the system with the package installed by apt"
sys="$vm/sys-$arch"
rm -rf "$sys" "$run"
mkdir -p "$run"
cp -a "$base" "$sys"
rm -f "$sys/.done"
cp /etc/resolv.conf "$sys/etc/resolv.conf"
cp "$deb" "$sys/tmp/"
in_sys() {
  if [ "$arch" = amd64 ]; then
    chroot "$sys" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive "$@"
  else
    proot -q qemu-aarch64 -0 -r "$sys" -b /dev -b /proc -b /sys -w / \
      /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive "$@"
  fi
}
# No services start while packages go in (as in any image being made; the machine starts none either).
printf '#!/bin/sh\nexit 101\n' > "$sys/usr/sbin/policy-rc.d"
chmod 755 "$sys/usr/sbin/policy-rc.d"
in_sys apt-get update -qq
in_sys apt-get install -y -qq -o Dpkg::Use-Pty=0 "/tmp/$(basename "$deb")" >"$run/apt.log" 2>&1 ||
  { cat "$run/apt.log"; fail "apt-get install ./$(basename "$deb") failed"; }
rm -f "$sys/usr/sbin/policy-rc.d"
grep -o 'libgl1-mesa-dri[^ ]*' "$run/apt.log" | head -1 | sed 's/^/apt brought /' || true
in_sys useradd -m -G video,input,audio player
rm -f "$sys/tmp/"*.deb
in_sys apt-get clean
install -m 755 scripts/vm/init.sh "$sys/usr/local/sbin/vm-init"
# The virtual pad (no library in the machine needed: static).
"$cc" -static -O2 -Wall -Wextra -o "$sys/usr/local/sbin/vm-pad" scripts/vm/vpad.c
echo blompvm > "$sys/etc/hostname"
# The kernel and its first file system come from the system itself; arm64's first
# file system is made here from the system's own programs (scripts/vm/initrd.sh says why).
cp "$(ls "$sys"/boot/vmlinuz-* | head -1)" "$run/vmlinuz"
if [ "$arch" = amd64 ]; then
  cp "$(ls "$sys"/boot/initrd.img-* | head -1)" "$run/initrd"
else
  scripts/vm/initrd.sh "$sys" "$run/initrd"
fi
size_mb=$(( $(du -sm "$sys" | cut -f1) + 600 ))
mkfs.ext4 -q -F -L blompvm -d "$sys" "$run/disk.img" "${size_mb}M"
rm -rf "$sys"

# 4 and 5. Boot, play, check.
step "boot and play ($form form)"
/usr/bin/python3 scripts/vm/drive.py --arch "$arch" --qemu "$qemu" --run "$run" --form "$form" \
  --host-build "$root/build-cross/host" --start "$((SECONDS - start))" "${known[@]}"
step "done: the $arch package plays on a real kernel"
