#!/usr/bin/env bash
# Runs every test again on sdl12-compat, the SDL 1.2 over SDL2 that newer
# distributions ship as their SDL 1.2. Debian 12's libsdl1.2-compat is unpacked
# into a private folder and put first on the library path, so the show, SDL_image
# and SDL_mixer all run on it while the system keeps the classic library.
set -euo pipefail
# shellcheck source=SCRIPTDIR/../lib/common.sh
. "$(dirname "$0")/../lib/common.sh"
cd "$project_dir"
scripts/build.sh
system_sdl=$(ldd build/quorvex | awk '$1 == "libSDL-1.2.so.0" {print $3}')
if grep -qa SDL12COMPAT_ "$system_sdl"; then
  echo "the system's SDL 1.2 is sdl12-compat already: scripts/test.sh tests on it"
  exit 0
fi

version=1.2.60-1
root=${QUORVEX_CACHE:-/var/cache/quorvex}/sdl12-compat-$version
lib=$root/usr/lib/$(gcc -dumpmachine)/sdl12-compat
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
scripts/setup/apt-install.sh libsdl2-2.0-0
if [ ! -e "$lib/libSDL-1.2.so.0" ]; then
  fetch=$(mktemp -d)
  chmod 777 "$fetch"  # apt downloads as its own unprivileged user
  (cd "$fetch" && { apt-get download "libsdl1.2-compat=$version" ||
    { $sudo apt-get update -qq && apt-get download "libsdl1.2-compat=$version"; }; })
  $sudo mkdir -p "$root"
  $sudo dpkg -x "$fetch"/libsdl1.2-compat_*.deb "$root"
  rm -rf "$fetch"
fi

export LD_LIBRARY_PATH=$lib${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}
# The listing is read whole: grep -q leaving a pipe early can kill ldd
# mid-listing, which pipefail counts as a failure.
[[ $(ldd build/quorvex) == *"$lib/libSDL-1.2.so.0"* ]] || { echo "sdl12-compat is not the SDL the show loads" >&2; exit 1; }
cd build
# The build scripts/test.sh has tested: what never loads SDL is not run again.
ctest --output-on-failure -j2 -E "$sdl_free_tests"
