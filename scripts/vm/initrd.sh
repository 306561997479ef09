#!/usr/bin/env bash
# Makes the first file system of the arm64 check machine on this (amd64) machine:
#
#   scripts/vm/initrd.sh ROOT OUT
#
# mkinitramfs cannot do it under proot: there `test -x` says no for every file,
# so it leaves out its own hooks, the shell among them. This one holds the root
# system's own shell, kmod, mount and switch_root with their libraries, the
# modules that reach an ext4 root on a virtio disk, and an /init that loads
# them, mounts /dev/vda and hands over (switch_root takes /dev, /proc and /sys along) to the machine's first process.
set -euo pipefail
root=$(readlink -f "${1:?usage: scripts/vm/initrd.sh ROOT OUT}")
out=$(readlink -f "${2:?usage: scripts/vm/initrd.sh ROOT OUT}")
fail() { echo "initrd.sh: $*" >&2; exit 1; }
kver=$(basename "$(ls -d "$root"/usr/lib/modules/* | head -1)")
[ -n "$kver" ] || fail "no kernel modules in $root"
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree"/{bin,dev,proc,sys,root,mod} "$tree/usr/lib/aarch64-linux-gnu"
ln -s usr/lib "$tree/lib"

# A program and every library it needs, found by their names in the root system.
add_program() { # $1: path in the root, $2: name in the initrd's bin
  cp "$root$1" "$tree/bin/$2"
  local todo=("$root$1") seen=" "
  while [ ${#todo[@]} -gt 0 ]; do
    local f=${todo[0]}
    todo=("${todo[@]:1}")
    for lib in $(readelf -d "$f" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p'); do
      case "$seen" in *" $lib "*) continue ;; esac
      seen="$seen$lib "
      local path=$root/usr/lib/aarch64-linux-gnu/$lib
      [ -f "$path" ] || fail "$1 needs $lib, not in $root/usr/lib/aarch64-linux-gnu"
      cp -L "$path" "$tree/usr/lib/aarch64-linux-gnu/$lib"
      todo+=("$path")
    done
  done
}
add_program /usr/bin/dash sh
add_program /usr/bin/kmod insmod
add_program /usr/bin/mount mount
add_program /usr/sbin/switch_root switch_root
cp -L "$root/usr/lib/ld-linux-aarch64.so.1" "$tree/usr/lib/ld-linux-aarch64.so.1"

modules="lib/crc16 crypto/crc32c_generic fs/mbcache fs/jbd2/jbd2 fs/ext4/ext4
drivers/virtio/virtio_pci_legacy_dev drivers/virtio/virtio_pci_modern_dev drivers/virtio/virtio_pci
drivers/block/virtio_blk"
for m in $modules; do
  cp "$root/usr/lib/modules/$kver/kernel/$m.ko" "$tree/mod/" || fail "no module $m.ko for $kver"
done
{
  echo '#!/bin/sh'
  echo 'PATH=/bin; export PATH'
  echo 'mount -t proc proc /proc'
  echo 'mount -t sysfs sys /sys'
  echo 'mount -t devtmpfs dev /dev'
  for m in $modules; do echo "insmod /mod/$(basename "$m").ko"; done
  echo 'n=0'
  echo 'while [ ! -b /dev/vda ] && [ $n -lt 2000000 ]; do n=$((n + 1)); done'
  echo 'mount -t ext4 -o rw /dev/vda /root || { echo "initrd: /dev/vda cannot be mounted"; exec sh; }'
  echo 'exec switch_root /root /usr/local/sbin/vm-init'
} > "$tree/init"
chmod 755 "$tree/init" "$tree/bin/"*
(cd "$tree" && find . | cpio -o -H newc --quiet | gzip -1) > "$out"
