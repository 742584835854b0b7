#!/usr/bin/env bash
# Builds the browser build's image libraries (zlib, libpng, libjpeg-turbo) with
# emcc from the pinned Debian sources, static, and adds Highway's headers (the
# browser build dispatches statically, so it needs no Highway library), into a
# prefix in the cache keyed by the pins, this script and the compiler.
# Usage: deps-build.sh CACHE_DIR  (the sources already in CACHE_DIR/src; prints the prefix)
set -euo pipefail
cache=$1
here=$(cd "$(dirname "$0")" && pwd)
release=$here/../release
key=$( (cat "$release/pins.sh" "$here/deps-build.sh"; emcc --version | sed -n 1p) | sha256sum | cut -c1-12)
prefix=$cache/prefix-wasm-$key
if [ -f "$prefix/.done" ]; then echo "$prefix"; exit 0; fi
src=$cache/src
work=$cache/build-wasm-$key
rm -rf "$work" "$prefix"
mkdir -p "$work" "$prefix"
log=$work/log.txt
jobs=${JOBS:-2}
export CFLAGS="-O2 -ffp-contract=off"

# cmake_build NAME SRCDIR ARGS...
cmake_build() {
  local name=$1 dir=$2; shift 2
  (emcmake cmake -S "$src/$dir" -B "$work/$name" -DCMAKE_BUILD_TYPE=Release \
     -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_INSTALL_LIBDIR="$prefix/lib" -DCMAKE_PREFIX_PATH="$prefix" \
     -DCMAKE_FIND_ROOT_PATH="$prefix" -DBUILD_SHARED_LIBS=OFF "$@" && cmake --build "$work/$name" -j"$jobs" &&
     cmake --install "$work/$name") >>"$log" 2>&1 || { echo "web: $name failed to build, see $log" >&2; exit 1; }
}

# zlib's CMake build insists on a shared library too; its own configure does not.
cp -r "$src/zlib_1.2.13.dfsg-1" "$work/zlib"
(cd "$work/zlib" && emconfigure ./configure --static --prefix="$prefix" && emmake make -j"$jobs" libz.a &&
   emmake make install) >>"$log" 2>&1 || { echo "web: zlib failed to build, see $log" >&2; exit 1; }
cmake_build libpng libpng1.6_1.6.39-2+deb12u5 -DPNG_SHARED=OFF -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
  -DPNG_HARDWARE_OPTIMIZATIONS=OFF -Dld-version-script=OFF \
  -DZLIB_INCLUDE_DIR="$prefix/include" -DZLIB_LIBRARY="$prefix/lib/libz.a"
# The library alone, without libjpeg-turbo's command-line programs. CMake's
# type-size probe misreads under emcmake; the wasm32 sizes are given outright.
jpeg=$src/libjpeg-turbo_2.1.5-2
(emcmake cmake -S "$jpeg" -B "$work/libjpeg" -DCMAKE_BUILD_TYPE=Release -DENABLE_SHARED=OFF -DWITH_SIMD=OFF \
   -DWITH_TURBOJPEG=OFF -DHAVE_SIZE_T=TRUE -DSIZE_T=4 -DHAVE_UNSIGNED_LONG=TRUE -DUNSIGNED_LONG=4 &&
   cmake --build "$work/libjpeg" -j"$jobs" --target jpeg-static) >>"$log" 2>&1 ||
  { echo "web: libjpeg failed to build, see $log" >&2; exit 1; }
cp "$work/libjpeg/libjpeg.a" "$prefix/lib/"
cp "$jpeg/jpeglib.h" "$jpeg/jerror.h" "$jpeg/jmorecfg.h" "$work/libjpeg/jconfig.h" "$prefix/include/"
mkdir -p "$prefix/include"
cp -r "$src"/highway_1.0.3-3+deb12u1/hwy "$prefix/include/"
touch "$prefix/.done"
rm -rf "$work"
echo "$prefix"
