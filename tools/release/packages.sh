#!/usr/bin/env bash
# Installs the Debian packages the release builds and their checks need:
# the MinGW-w64 cross compiler, Wine, debootstrap and the archivers.
set -euo pipefail

packages=(
  g++-mingw-w64-x86-64 libz-mingw-w64-dev wine wine64 debootstrap zip xvfb xauth xdotool
  x11-utils dpkg-dev cmake pkg-config libx11-dev libxext-dev libasound2-dev libpulse-dev zlib1g-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get -o DPkg::Lock::Timeout=900 update -qq
$sudo apt-get -o DPkg::Lock::Timeout=900 install -y --no-install-recommends "${missing[@]}"
