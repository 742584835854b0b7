#!/usr/bin/env bash
# Installs what the show, its tools and its tests need. Where apt exists
# (Debian, Ubuntu) it installs the missing packages; elsewhere it checks with
# pkg-config and the PATH and names what is missing. Does nothing when
# everything is already there, so every entry point may call it.
set -euo pipefail

# Debian and Ubuntu package names (the same on both).
packages=(
  build-essential cmake pkg-config
  libsdl1.2-dev libsdl-image1.2-dev libsdl-mixer1.2-dev
  libgtest-dev libgmock-dev libbenchmark-dev libhwy-dev
  libfreetype-dev libfontconfig-dev libpng-dev libjpeg-dev libmp3lame-dev
  fonts-dejavu-core fonts-league-spartan
  lame ffmpeg sox xvfb xauth xdotool x11-utils jq openbox imagemagick weston
)

# Without apt: the same needs as pkg-config modules, commands and font families.
pc_modules=(
  sdl SDL_image SDL_mixer gtest gmock benchmark libhwy
  freetype2 fontconfig libpng libjpeg lame
)
commands=(
  c++ make cmake pkg-config
  lame ffmpeg sox xvfb-run Xvfb xauth xdotool xwininfo jq openbox import weston
)
font_families=("DejaVu Sans" "League Spartan")

if command -v apt-get >/dev/null && command -v dpkg-query >/dev/null; then
  exec "$(dirname "$0")/apt-install.sh" "${packages[@]}"
fi

missing=()
for c in "${commands[@]}"; do
  command -v "$c" >/dev/null || missing+=("command $c")
done
if command -v pkg-config >/dev/null; then
  for m in "${pc_modules[@]}"; do
    pkg-config --exists "$m" || missing+=("library $m (pkg-config)")
  done
fi
if command -v fc-list >/dev/null; then
  for f in "${font_families[@]}"; do
    [ -n "$(fc-list ":family=$f")" ] || missing+=("font $f")
  done
else
  missing+=("command fc-list (fontconfig)")
fi
[ ${#missing[@]} -eq 0 ] && exit 0
echo "deps: no apt here; install these with your system's package manager:" >&2
printf '  %s\n' "${missing[@]}" >&2
exit 1
