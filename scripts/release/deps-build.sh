#!/usr/bin/env bash
# Builds the release's third-party libraries from the verified sources into a
# prefix in the cache keyed by the pins and this script: static, but for SDL
# itself, which is sdl12-compat over SDL2 on every target (two shared
# libraries beside the program). linux-aarch64 is cross-built, with zlib and
# the desktop libraries' headers from the arm64 root of scripts/arm64/root.sh
# (whose name keys its prefix too).
# Usage: deps-build.sh linux|linux-aarch64|windows CACHE_DIR  (prints the prefix)
set -euo pipefail
target=$1 cache=$2
here=$(cd "$(dirname "$0")" && pwd)
arm64_root=""
[ "$target" = linux-aarch64 ] && arm64_root=$("$here/../arm64/root.sh")
# shellcheck source=pins.sh
. "$here/pins.sh"
# The key: the source pins and the build steps.
# Comments do not build anything, so they are left out of it.
key=$( (printf '%s\n' "${PINS[@]}" "${FILE_PINS[@]}"
        sed '/^[[:space:]]*#/d' "$here/deps-build.sh" "$here/mingw.cmake"
        [ -z "$arm64_root" ] || sed '/^[[:space:]]*#/d' "$here/../arm64/toolchain.cmake"
        basename "$arm64_root") | sha256sum | cut -c1-12)
prefix=$cache/prefix-$target-$key
if [ -f "$prefix/.done" ]; then echo "$prefix"; exit 0; fi
# A new key replaces this target's earlier builds.
rm -rf "$cache/prefix-$target-"???????????? "$cache/build-$target-"????????????
src=$cache/src
work=$cache/build-$target-$key
rm -rf "$work" "$prefix"
mkdir -p "$work" "$prefix"
log=$work/log.txt
jobs=${JOBS:-2}

case $target in
  linux)
    host=() cmake_target=()
    export CC=gcc CXX=g++ ;;
  linux-aarch64)
    host=(--host=aarch64-linux-gnu)
    cmake_target=(-DCMAKE_TOOLCHAIN_FILE="$here/../arm64/toolchain.cmake")
    export CC=aarch64-linux-gnu-gcc CXX=aarch64-linux-gnu-g++ ;;
  windows)
    host=(--host=x86_64-w64-mingw32)
    cmake_target=(-DCMAKE_TOOLCHAIN_FILE="$here/mingw.cmake")
    export CC=x86_64-w64-mingw32-gcc-posix CXX=x86_64-w64-mingw32-g++-posix ;;
  *) echo "deps-build.sh: target is linux, linux-aarch64 or windows" >&2; exit 2 ;;
esac
export CFLAGS="-O2" CXXFLAGS="-O2" CPPFLAGS="-I$prefix/include" LDFLAGS="-L$prefix/lib"
# The same sources build the same DLLs: no link time in their headers.
[ "$target" != windows ] || LDFLAGS+=" -Wl,--no-insert-timestamp"
export PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig PKG_CONFIG_PATH=
if [ -n "$arm64_root" ]; then
  # zlib (libpng links it) and the names of the libraries SDL opens at run time.
  CPPFLAGS+=" -I$arm64_root/usr/include/aarch64-linux-gnu"
  LDFLAGS+=" -L$arm64_root/usr/lib/aarch64-linux-gnu -Wl,-rpath-link,$arm64_root/lib/aarch64-linux-gnu"
fi

# autotools NAME SRCDIR ARGS...: an autotools build out of the source tree
# (SRCDIR under the sources, or an absolute path).
autotools() {
  local name=$1 dir=$2; shift 2
  case $dir in /*) ;; *) dir=$src/$dir ;; esac
  mkdir -p "$work/$name"
  (cd "$work/$name" && "$dir/configure" "${host[@]}" --prefix="$prefix" --disable-shared --enable-static "$@" &&
     make -j"$jobs" && make install) >>"$log" 2>&1 || { echo "release: $name failed to build, see $log" >&2; exit 1; }
}

# cmake_build NAME SRCDIR ARGS...
cmake_build() {
  local name=$1 dir=$2; shift 2
  (cd "$work" && cmake -S "$src/$dir" -B "$work/$name" "${cmake_target[@]}" -DCMAKE_BUILD_TYPE=Release \
     -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_INSTALL_LIBDIR="$prefix/lib" -DCMAKE_PREFIX_PATH="$prefix" \
     -DBUILD_SHARED_LIBS=OFF "$@" && cmake --build "$work/$name" -j"$jobs" && cmake --install "$work/$name") \
     >>"$log" 2>&1 || { echo "release: $name failed to build, see $log" >&2; exit 1; }
}

if [ "$target" = windows ]; then
  # zlib for MinGW comes as Debian's libz-mingw-w64-dev; give it to libpng's pkg-config.
  mkdir -p "$prefix/lib/pkgconfig"
  printf 'prefix=/usr/x86_64-w64-mingw32\nName: zlib\nDescription: zlib\nVersion: 1.2.13\nLibs: -lz\nCflags:\n' \
    > "$prefix/lib/pkgconfig/zlib.pc"
fi

if [ -n "$arm64_root" ]; then
  # zlib from Debian's arm64 zlib1g-dev, linked statically by the release build.
  mkdir -p "$prefix/lib/pkgconfig"
  printf 'Name: zlib\nDescription: zlib\nVersion: 1.2.13\nLibs: %s\nCflags:\n' \
    "$arm64_root/usr/lib/aarch64-linux-gnu/libz.a" > "$prefix/lib/pkgconfig/zlib.pc"
fi

autotools libpng libpng1.6_1.6.39-2+deb12u5
cmake_build libjpeg libjpeg-turbo_2.1.5-2 -DENABLE_SHARED=OFF -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF
# libmad's configure turns -O2 into -O plus -fforce-mem, which today's gcc rejects; -O3 passes through.
# ported SRCDIR: the sources to build; for aarch64 a copy whose config.sub and
# config.guess are Debian's current ones (autotools-dev): those of 2004 and
# 2009 in libmad and SDL_mixer do not know the machine.
ported() {
  [ -n "$arm64_root" ] || { echo "$1"; return; }
  rm -rf "$work/$1-ported"
  cp -r "$src/$1" "$work/$1-ported"
  find "$work/$1-ported" -name config.sub -exec cp /usr/share/misc/config.sub {} \;
  find "$work/$1-ported" -name config.guess -exec cp /usr/share/misc/config.guess {} \;
  echo "$work/$1-ported"
}

autotools libmad "$(ported libmad_0.15.1b-10.1)" --enable-fpm=64bit CFLAGS="-O3"

# SDL2: a shared library. On Linux it opens X11, Wayland and the sound
# servers' libraries at run time, so it starts on any desktop and links none
# of them; configure reads their names from the headers and link names of the
# build machine (x86-64) or the arm64 root.
sdl2_common=(-DBUILD_SHARED_LIBS=ON -DSDL_SHARED=ON -DSDL_STATIC=OFF -DSDL_TEST=OFF -DSDL_TESTS=OFF -DSDL_RPATH=OFF
             -DSDL_HIDAPI=OFF -DSDL_LIBSAMPLERATE=OFF)
sdl2_linux=(-DSDL_X11_SHARED=ON -DSDL_WAYLAND_SHARED=ON -DSDL_WAYLAND_LIBDECOR_SHARED=ON -DSDL_PULSEAUDIO_SHARED=ON
            -DSDL_PIPEWIRE_SHARED=ON -DSDL_ALSA_SHARED=ON
            -DSDL_KMSDRM=OFF -DSDL_JACK=OFF -DSDL_SNDIO=OFF -DSDL_ESD=OFF -DSDL_ARTS=OFF -DSDL_NAS=OFF
            -DSDL_IBUS=OFF -DSDL_RPI=OFF -DSDL_VIVANTE=OFF)
sdl2_windows=(-DSDL_DIRECTX=ON -DSDL_RENDER_D3D=ON -DSDL_WASAPI=ON -DSDL_OPENGL=ON
              -DCMAKE_SHARED_LINKER_FLAGS=-static-libgcc)
sdl2() {
  case $target in
    linux)
      PKG_CONFIG_LIBDIR=$(pkg-config --variable pc_path pkg-config) \
        cmake_build sdl2 libsdl2_2.32.4+dfsg-1 "${sdl2_common[@]}" "${sdl2_linux[@]}" ;;
    linux-aarch64)
      cmake_build sdl2 libsdl2_2.32.4+dfsg-1 "${sdl2_common[@]}" "${sdl2_linux[@]}" \
        -DQUORVEX_ARM64_ROOT="$arm64_root" ;;
    windows)
      cmake_build sdl2 libsdl2_2.32.4+dfsg-1 "${sdl2_common[@]}" "${sdl2_windows[@]}" ;;
  esac
}

# sdl12-compat: SDL 1.2 over SDL2, which it loads at run time (it needs only
# SDL2's headers to build). Its pkg-config file is installed as sdl.pc too,
# the name the program and SDL_mixer ask for.
sdl12_compat() {
  cmake_build sdl12-compat sdl12-compat_1.2.68 -DSDL12TESTS=OFF -DSDL2_INCLUDE_DIR="$prefix/include/SDL2"
  local pc=$prefix/lib/pkgconfig
  cp "$pc/sdl12_compat.pc" "$pc/sdl.pc"
  # MinGW's -static would not take the import library by its usual name.
  [ "$target" != windows ] || sed -i 's|-lSDL |${libdir}/libSDL.dll.a |' "$pc/sdl.pc"
}

sdl2
sdl12_compat
autotools sdl-mixer "$(ported sdl-mixer1.2_1.2.12-17)" --with-sdl-prefix="$prefix" --disable-sdltest --disable-music-mod \
  --disable-music-mod-modplug --disable-music-midi --disable-music-ogg --disable-music-flac \
  --disable-music-mp3 --enable-music-mp3-mad-gpl --disable-music-cmd --disable-smpegtest
cmake_build highway highway_1.0.3-3+deb12u1 -DBUILD_TESTING=OFF -DHWY_ENABLE_TESTS=OFF -DHWY_ENABLE_EXAMPLES=OFF \
  -DHWY_ENABLE_CONTRIB=OFF -DHWY_SYSTEM_GTEST=OFF
cmake_build googletest googletest_1.12.1-0.2 -DBUILD_GMOCK=OFF
touch "$prefix/.done"
rm -rf "$work"
echo "$prefix"
