#!/usr/bin/env bash
# Installs the Debian packages Blomp needs to build and test, if any are missing.
# Uses sudo when not run as root. Safe to run again: it does nothing when all is there.
#   scripts/deps.sh [--ci] [package...]
# --ci adds the tools only CI's checks use; further names are installed too (the
# cross builds and the packaging script name theirs). apt never removes a package
# here (--no-remove), so a foreign-architecture library cannot take the host's away.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libsdl1.2-dev libsdl-mixer1.2-dev libmodplug-dev zlib1g-dev
  libegl-dev libgles-dev libx11-dev libegl-mesa0 libgl1-mesa-dri libdrm-dev libgbm-dev
  libgtest-dev
)
# Extra tools only the checks in CI use (formatting; clang's fuzzer runtime for the fuzz targets).
if [ "${1:-}" = "--ci" ]; then
  packages+=(clang-format clang libclang-rt-14-dev)
  packages+=(xvfb xdotool imagemagick) # the display check under a real X server
  shift
fi
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-remove -o DPkg::Lock::Timeout=600 "${missing[@]}"
