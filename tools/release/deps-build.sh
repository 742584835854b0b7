#!/usr/bin/env bash
# Builds the release's third-party libraries from the verified Debian sources,
# static only, into a prefix in the cache keyed by the pins and this script.
# linux-aarch64 is cross-built, with zlib and the run-time libraries' names
# from the arm64 root of tools/arm64/root.sh (whose name keys its prefix too).
# Usage: deps-build.sh linux|linux-aarch64|windows CACHE_DIR  (prints the prefix)
set -euo pipefail
target=$1 cache=$2
here=$(cd "$(dirname "$0")" && pwd)
arm64_root=""
[ "$target" = linux-aarch64 ] && arm64_root=$("$here/../arm64/root.sh")
# shellcheck source=pins.sh
. "$here/pins.sh"
# The key: the source pins, the binary ones this target takes, the build steps.
key=$( (printf '%s\n' "${PINS[@]}"; [ "$target" != linux ] || printf '%s\n' "${DEB_PINS[@]}"
        cat "$here/deps-build.sh" "$here/mingw.cmake" "$here"/patches/*
        [ -z "$arm64_root" ] || cat "$here/../arm64/toolchain.cmake"; basename "$arm64_root") | sha256sum | cut -c1-12)
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
# 2009 in libmad and SDL do not know the machine.
ported() {
  [ -n "$arm64_root" ] || { echo "$1"; return; }
  rm -rf "$work/$1-ported"
  cp -r "$src/$1" "$work/$1-ported"
  find "$work/$1-ported" -name config.sub -exec cp /usr/share/misc/config.sub {} \;
  find "$work/$1-ported" -name config.guess -exec cp /usr/share/misc/config.guess {} \;
  echo "$work/$1-ported"
}

autotools libmad "$(ported libmad_0.15.1b-10.1)" --enable-fpm=64bit CFLAGS="-O3"

# The x86-64 Linux release runs on sdl12-compat over SDL2, as today's
# distributions do: vsync, scaled full screen without a mode switch, Wayland.
# SDL2 is a shared library that opens X11, Wayland and the sound servers'
# libraries at run time, so it starts on any desktop and links none of them.
# sdl12-compat is Debian 13's build (its source is not served), put in the
# prefix with its paths pointed there.
sdl2_and_compat() {
  PKG_CONFIG_LIBDIR=$(pkg-config --variable pc_path pkg-config) cmake_build sdl2 libsdl2_2.32.4+dfsg-1 -DBUILD_SHARED_LIBS=ON -DSDL_SHARED=ON -DSDL_STATIC=OFF \
    -DSDL_TEST=OFF -DSDL_TESTS=OFF -DSDL_RPATH=OFF -DSDL_X11_SHARED=ON -DSDL_WAYLAND_SHARED=ON \
    -DSDL_WAYLAND_LIBDECOR_SHARED=ON -DSDL_PULSEAUDIO_SHARED=ON -DSDL_PIPEWIRE_SHARED=ON -DSDL_ALSA_SHARED=ON \
    -DSDL_KMSDRM=OFF -DSDL_JACK=OFF -DSDL_SNDIO=OFF -DSDL_ESD=OFF -DSDL_ARTS=OFF -DSDL_NAS=OFF \
    -DSDL_LIBSAMPLERATE=OFF -DSDL_IBUS=OFF -DSDL_HIDAPI=OFF -DSDL_RPI=OFF -DSDL_VIVANTE=OFF
  local debs=$src/debs-amd64 libdir=usr/lib/x86_64-linux-gnu
  cp -r "$debs/usr/include/SDL" "$prefix/include/"
  cp -P "$debs/$libdir"/libSDL*.so* "$prefix/lib/"
  mkdir -p "$prefix/bin" "$prefix/lib/pkgconfig"
  sed -e "s|^prefix=.*|prefix=$prefix|" -e "s|^includedir=.*|includedir=$prefix/include|" \
    "$debs/usr/bin/sdl-config" > "$prefix/bin/sdl-config"
  chmod +x "$prefix/bin/sdl-config"
  sed -e "s|^prefix=.*|prefix=$prefix|" -e "s|^libdir=.*|libdir=$prefix/lib|" -e "s|^includedir=.*|includedir=$prefix/include|" \
    "$debs/$libdir/pkgconfig/sdl12_compat.pc" > "$prefix/lib/pkgconfig/sdl.pc"
}

# classic_sdl: the classic SDL 1.2.15 the Windows and aarch64 releases keep.
# It declares one Xlib function without the const today's Xlib gives it,
# which only its run-time X11 loading (the aarch64 build) trips over.
classic_sdl() {
  local sdl=$work/libsdl1.2-src x11=()
  cp -r "$(ported libsdl1.2_1.2.15+dfsg2-8 | sed "s|^[^/]|$src/&|")" "$sdl"
  patch -s -d "$sdl" -p1 < "$here/patches/libsdl1.2-xdata32-const.patch"
  if [ "$target" = windows ]; then
    autotools sdl "$sdl" --disable-rpath --disable-joystick --disable-cdrom
    return
  fi
  # X11 and the sound servers are opened at run time, so the program starts
  # on any desktop that has them and needs none of them linked. configure
  # finds them (and PulseAudio's pkg-config file) in the arm64 root.
  x11=(--x-includes="$arm64_root/usr/include" --x-libraries="$arm64_root/usr/lib/aarch64-linux-gnu")
  PKG_CONFIG_SYSROOT_DIR=$arm64_root \
  PKG_CONFIG_LIBDIR=$arm64_root/usr/lib/aarch64-linux-gnu/pkgconfig:$arm64_root/usr/share/pkgconfig \
  autotools sdl "$sdl" "${x11[@]}" --disable-rpath --enable-x11-shared --enable-alsa-shared \
    --enable-pulseaudio-shared --disable-esd --disable-arts --disable-nas --disable-video-directfb \
    --disable-video-aalib --disable-video-caca --disable-video-ggi --disable-video-svga --disable-video-dga \
    --disable-video-x11-xv --disable-video-x11-xinerama --disable-video-x11-vm --disable-video-x11-xrandr \
    --disable-video-x11-dgamouse --disable-video-x11-xme --disable-sndio --disable-libcaca --disable-oss \
    --disable-video-fbcon --disable-joystick --disable-cdrom
}

if [ "$target" = linux ]; then sdl2_and_compat; else classic_sdl; fi
autotools sdl-mixer "$(ported sdl-mixer1.2_1.2.12-17)" --with-sdl-prefix="$prefix" --disable-sdltest --disable-music-mod \
  --disable-music-mod-modplug --disable-music-midi --disable-music-ogg --disable-music-flac \
  --disable-music-mp3 --enable-music-mp3-mad-gpl --disable-music-cmd --disable-smpegtest
cmake_build highway highway_1.0.3-3+deb12u1 -DBUILD_TESTING=OFF -DHWY_ENABLE_TESTS=OFF -DHWY_ENABLE_EXAMPLES=OFF \
  -DHWY_ENABLE_CONTRIB=OFF -DHWY_SYSTEM_GTEST=OFF
cmake_build googletest googletest_1.12.1-0.2 -DBUILD_GMOCK=OFF
touch "$prefix/.done"
rm -rf "$work"
echo "$prefix"
