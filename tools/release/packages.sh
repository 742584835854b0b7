#!/usr/bin/env bash
# Installs the Debian packages the release builds and their checks need:
# the MinGW-w64 and aarch64 cross compilers, qemu, Wine, debootstrap and the
# archivers.
set -euo pipefail

packages=(
  g++-mingw-w64-x86-64 libz-mingw-w64-dev wine wine64 debootstrap zip xvfb xauth xdotool
  x11-utils dpkg-dev cmake pkg-config libx11-dev libxext-dev libasound2-dev libpulse-dev zlib1g-dev
  g++-aarch64-linux-gnu qemu-user-static autotools-dev
)
exec "$(dirname "$0")/../apt-install.sh" "${packages[@]}"
