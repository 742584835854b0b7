#!/usr/bin/env bash
# Builds the release archives into dist/: Windows x64 zip (MinGW-w64), Linux
# x86_64 and aarch64 tar.gz (aarch64 cross-built, see scripts/arm64/) and a
# source tarball with the project and every pinned third-party source. Every
# program runs on the same SDL: sdl12-compat over SDL2, built from source and
# carried beside it (SDL.dll and SDL2.dll on Windows, lib/ on Linux); the
# other third-party libraries are linked in statically.
# Third-party code comes from Debian source packages and the shared sources
# folder, cached outside the tree (QUORVEX_CACHE, default /var/cache/quorvex).
# With --check [PART...] it then runs the release checks (check.sh): the Linux
# build in minimal chroots, the Windows one under Wine, aarch64 under qemu.
# With --prefixes it only builds (or finds) the third-party prefixes, the
# browser build's among them: CI makes them early, beside other checks.
set -euo pipefail
# shellcheck source=SCRIPTDIR/../lib/common.sh
. "$(dirname "$0")/../lib/common.sh"
cd "$project_dir"
root=$PWD
version=$(project_version)
cache=${QUORVEX_CACHE:-/var/cache/quorvex}/release
dist=$root/dist
mkdir -p "$cache" "$dist"
# The commit's time wherever a tool writes one: MinGW's strip stamps each
# program and DLL it strips with it, the archives take it for every file.
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}

scripts/release/packages.sh
scripts/release/sources.sh "$cache"
# The three targets' third-party builds side by side: their configure
# scripts and links run on one core, which the others' compiles fill (on two
# cores, 793 s against 930 one after another).
# The browser build's, from the same sources, beside them.
picked=$(mktemp -d)
trap 'rm -rf "$picked"' EXIT
scripts/setup/apt-install.sh emscripten >/dev/null
builders=()
for target in linux linux-aarch64 windows; do
  scripts/release/deps-build.sh "$target" "$cache" > "$picked/$target" &
  builders+=($!)
done
# (emcc finds its JavaScript modules by NODE_PATH, as scripts/web/build.sh gives it.)
NODE_PATH=/usr/share/nodejs scripts/web/deps-build.sh "$cache" > "$picked/wasm" &
builders+=($!)
built=0
for builder in "${builders[@]}"; do wait "$builder" || built=1; done
[ $built -eq 0 ] || { echo "release: a third-party build failed (see above)" >&2; exit 1; }
linux_prefix=$(cat "$picked/linux") aarch64_prefix=$(cat "$picked/linux-aarch64") windows_prefix=$(cat "$picked/windows")
# Highway installs its header-only contrib (the SIMD maths the stripe fill
# uses) only together with contrib's libraries, which we do not need.
for prefix in "$linux_prefix" "$aarch64_prefix" "$windows_prefix"; do
  mkdir -p "$prefix/include/hwy/contrib"
  cp -r "$cache"/src/highway_*/hwy/contrib/math "$prefix/include/hwy/contrib/"
done
[ "${1:-}" = --prefixes ] && exit 0

# build NAME PREFIX LIBS LINKFLAGS CMAKE_ARGS...: the program and its unit
# tests against the libraries in PREFIX, in build-release-NAME/.
# On Linux pkg-config looks in the prefix first, then at the system's zlib.
build() {
  local name=$1 prefix=$2 libs=$3 link=$4 pc; shift 4
  pc=$prefix/lib/pkgconfig
  [ "$name" = linux ] && pc=$pc:$(pkg-config --variable pc_path pkg-config)
  PKG_CONFIG_LIBDIR=$pc PKG_CONFIG_PATH='' \
    cmake -S . -B "build-release-$name" -DCMAKE_BUILD_TYPE=Release -DQUORVEX_CORE_ONLY=ON \
      -DCMAKE_CXX_FLAGS="-ffile-prefix-map=$root/=" -DCMAKE_C_FLAGS="-ffile-prefix-map=$root/=" \
      -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_CXX_STANDARD_LIBRARIES="$libs" \
      -DCMAKE_EXE_LINKER_FLAGS="-L$prefix/lib $link" "$@" >/dev/null
  cmake --build "build-release-$name" -j2 >/dev/null
  echo "$prefix" > "build-release-$name/prefix.txt"
}

# A build tree configured against another prefix (other pins) starts anew:
# CMake keeps what pkg-config found there. build() notes the prefix it used.
for tree in linux:$linux_prefix linux-aarch64:$aarch64_prefix windows:$windows_prefix; do
  [ "$(cat "build-release-${tree%%:*}/prefix.txt" 2>/dev/null)" = "${tree#*:}" ] || rm -rf "build-release-${tree%%:*}"
done

# Static link order: each library before the ones it calls; SDL itself is
# the shared sdl12-compat. On Linux it is found with SDL2 in lib/ beside the
# program: an RPATH (not a RUNPATH) so that sdl12-compat's own dlopen of SDL2
# looks there too.
# linux_build NAME PREFIX STRIP ZLIB CMAKE_ARGS...: one Linux program and its lib/.
linux_build() {
  local name=$1 prefix=$2 strip=$3 zlib=$4 cc=gcc so; shift 4
  [ "$name" = linux ] || cc=aarch64-linux-gnu-gcc
  mkdir -p "build-release-$name"
  $cc -O2 -Wall -Wextra -c scripts/release/glibc_compat.c -o "build-release-$name/glibc_compat.o"
  build "$name" "$prefix" "$root/build-release-$name/glibc_compat.o -lSDL_mixer -lmad -lSDL -lpng16 -ljpeg $zlib -ldl -lpthread -lm" \
    "-static-libgcc -static-libstdc++ -Wl,--disable-new-dtags" -DCMAKE_BUILD_RPATH='$ORIGIN/lib' "$@"
  grep -q 'RPATH.*\[\$ORIGIN/lib\]' <(readelf -d "build-release-$name/quorvex") ||
    { echo "release: the $name program does not look in lib/ beside it alone" >&2; exit 1; }
  rm -rf "build-release-$name/lib" && mkdir "build-release-$name/lib"
  for so in libSDL-1.2.so.0 libSDL2-2.0.so.0; do
    cp -L "$prefix/lib/$so" "build-release-$name/lib/" && $strip --strip-unneeded "build-release-$name/lib/$so"
  done
  $strip "build-release-$name/quorvex"
}
linux_build linux "$linux_prefix" strip -l:libz.a -DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST
# zlib for aarch64 is Debian's arm64 build (its pkg-config file in the prefix
# names the static library).
linux_build linux-aarch64 "$aarch64_prefix" aarch64-linux-gnu-strip \
  "$(PKG_CONFIG_LIBDIR=$aarch64_prefix/lib/pkgconfig pkg-config --libs zlib)" \
  -DBUILD_TESTING=ON -DCMAKE_TOOLCHAIN_FILE="$root/scripts/arm64/toolchain.cmake" -DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST
# Windows finds SDL.dll and SDL2.dll beside the program; MinGW's -static
# takes sdl12-compat's import library only by its full name.
build windows "$windows_prefix" \
  "-lmingw32 -lSDLmain -lSDL_mixer -lmad $windows_prefix/lib/libSDL.dll.a -lpng16 -ljpeg -lz -mwindows" \
  "-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp" \
  -DCMAKE_TOOLCHAIN_FILE="$root/scripts/release/mingw.cmake" -DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST
x86_64-w64-mingw32-strip "build-release-windows/quorvex.exe"
for dll in SDL.dll SDL2.dll; do
  for dir in build-release-windows build-release-windows/tests; do
    cp "$windows_prefix/bin/$dll" "$dir/" && x86_64-w64-mingw32-strip --strip-unneeded "$dir/$dll"
  done
done

scripts/web/build.sh >/dev/null  # the browser build: dist/quorvex-<version>-web.zip
scripts/release/stage.sh "$version" "$cache" "$dist"
[ "${1:-}" = --check ] && scripts/release/check.sh "$version" "$dist" "${@:2}"
exit 0
