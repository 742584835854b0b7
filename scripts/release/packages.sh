#!/usr/bin/env bash
# Installs the Debian packages the release builds and their checks need:
# the MinGW-w64 and aarch64 cross compilers, qemu, Wine, debootstrap, the
# archivers, and the headers SDL2 is built against (it opens X11, Wayland and
# the sound servers' libraries itself at run time).
set -euo pipefail

packages=(
  g++-mingw-w64-x86-64 libz-mingw-w64-dev wine wine64 debootstrap zip xvfb xauth xdotool
  x11-utils dpkg-dev cmake pkg-config libx11-dev libxext-dev libasound2-dev libpulse-dev zlib1g-dev
  g++-aarch64-linux-gnu qemu-user-static autotools-dev
  libxrandr-dev libxcursor-dev libxi-dev libxinerama-dev libxss-dev libxkbcommon-dev libwayland-dev
  libdecor-0-dev libpipewire-0.3-dev libdbus-1-dev libegl-dev libgl-dev
  pulseaudio pulseaudio-utils openbox weston
)
exec "$(dirname "$0")/../setup/apt-install.sh" "${packages[@]}"
