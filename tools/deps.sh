#!/usr/bin/env bash
# Installs the Debian packages the show, its tools and its tests need.
# Does nothing when everything is already there, so every entry point may call it.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libsdl1.2-dev libsdl-image1.2-dev libsdl-mixer1.2-dev
  libgtest-dev libgmock-dev libbenchmark-dev libhwy-dev
  libfreetype-dev libfontconfig-dev libpng-dev libjpeg62-turbo-dev libmp3lame-dev
  fonts-dejavu-core fonts-league-spartan
  lame ffmpeg sox xvfb xauth xdotool x11-utils jq
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y --no-install-recommends "${missing[@]}"
