#!/usr/bin/env bash
# Builds the release archives into dist/: a self-contained Windows x64 zip
# (MinGW-w64, static), Linux x86_64 and aarch64 tar.gz (static third-party
# libraries, and on x86_64 SDL 1.2 as sdl12-compat with SDL2 in lib/; aarch64
# cross-built, see tools/arm64/) and a source tarball with the project and
# every pinned third-party source.
# Third-party code comes from Debian source packages, cached outside the tree
# (QUORVEX_CACHE, default /var/cache/quorvex). With --check it then runs the
# release checks: the Windows build under Wine, the Linux one in a minimal chroot.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
version=$(sed -n 's/^project(quorvex VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
cache=${QUORVEX_CACHE:-/var/cache/quorvex}/release
dist=$root/dist
mkdir -p "$cache" "$dist"

tools/release/packages.sh
tools/release/sources.sh "$cache"
linux_prefix=$(tools/release/deps-build.sh linux "$cache")
aarch64_prefix=$(tools/release/deps-build.sh linux-aarch64 "$cache")
windows_prefix=$(tools/release/deps-build.sh windows "$cache")
# Highway installs its header-only contrib (the SIMD maths the stripe fill
# uses) only together with contrib's libraries, which we do not need.
for prefix in "$linux_prefix" "$aarch64_prefix" "$windows_prefix"; do
  mkdir -p "$prefix/include/hwy/contrib"
  cp -r "$cache"/src/highway_*/hwy/contrib/math "$prefix/include/hwy/contrib/"
done

# build NAME PREFIX LIBS LINKFLAGS CMAKE_ARGS...: the program (and on Windows
# and x86-64 Linux its unit tests) against the libraries in PREFIX, in
# build-release-NAME/.
# On Linux pkg-config looks in the prefix first, then at the system's zlib.
build() {
  local name=$1 prefix=$2 libs=$3 link=$4 pc; shift 4
  pc=$prefix/lib/pkgconfig
  [ "$name" = linux ] && pc=$pc:$(pkg-config --variable pc_path pkg-config)
  PKG_CONFIG_LIBDIR=$pc PKG_CONFIG_PATH='' \
    cmake -S . -B "build-release-$name" -DCMAKE_BUILD_TYPE=Release -DQUORVEX_CORE_ONLY=ON \
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

# Static link order: each library before the ones it calls. On x86-64 Linux
# SDL is sdl12-compat, found with SDL2 in lib/ beside the program: an RPATH
# (not a RUNPATH) so that sdl12-compat's own dlopen of SDL2 looks there too.
mkdir -p build-release-linux
gcc -O2 -Wall -Wextra -c tools/release/glibc_compat.c -o build-release-linux/glibc_compat.o
build linux "$linux_prefix" \
  "$root/build-release-linux/glibc_compat.o -lSDL_mixer -lmad -lSDL -lpng16 -ljpeg -l:libz.a -ldl -lpthread -lm" \
  "-static-libgcc -static-libstdc++ -Wl,--disable-new-dtags" -DCMAKE_BUILD_RPATH='$ORIGIN/lib' \
  -DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST
readelf -d build-release-linux/quorvex | grep -q 'RPATH.*\[\$ORIGIN/lib\]' ||
  { echo "release: the Linux program does not look in lib/ beside it" >&2; exit 1; }
rm -rf build-release-linux/lib && mkdir build-release-linux/lib
for so in libSDL-1.2.so.0 libSDL2-2.0.so.0; do
  cp -L "$linux_prefix/lib/$so" build-release-linux/lib/ && strip --strip-unneeded "build-release-linux/lib/$so"
done
# The same for 64-bit ARM; zlib is Debian's arm64 build (its pkg-config file
# in the prefix names the static library).
mkdir -p build-release-linux-aarch64
aarch64-linux-gnu-gcc -O2 -Wall -Wextra -c tools/release/glibc_compat.c -o build-release-linux-aarch64/glibc_compat.o
build linux-aarch64 "$aarch64_prefix" \
  "$root/build-release-linux-aarch64/glibc_compat.o -lSDL_mixer -lmad -lSDL -lpng16 -ljpeg $(
    PKG_CONFIG_LIBDIR=$aarch64_prefix/lib/pkgconfig pkg-config --libs zlib) -ldl -lpthread -lm" \
  "-static-libgcc -static-libstdc++" -DBUILD_TESTING=OFF -DCMAKE_TOOLCHAIN_FILE="$root/tools/arm64/toolchain.cmake"
build windows "$windows_prefix" \
  "-lmingw32 -lSDLmain -lSDL_mixer -lmad -lSDL -lpng16 -ljpeg -lz -mwindows -luser32 -lgdi32 -lwinmm -ldxguid" \
  "-static -static-libgcc -static-libstdc++" -DCMAKE_TOOLCHAIN_FILE="$root/tools/release/mingw.cmake" \
  -DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST
x86_64-w64-mingw32-strip "build-release-windows/quorvex.exe"
strip "build-release-linux/quorvex"
aarch64-linux-gnu-strip "build-release-linux-aarch64/quorvex"

tools/web.sh >/dev/null  # the browser build: dist/quorvex-<version>-web.zip
tools/release/stage.sh "$version" "$cache" "$dist"
[ "${1:-}" = --check ] && tools/release/check.sh "$version" "$dist"
exit 0
