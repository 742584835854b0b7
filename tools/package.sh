#!/usr/bin/env bash
# Builds the Debian package build-deb/quorvex_<version>_amd64.deb: a tree
# configured for the prefix /usr with Debian's hardening flags, then CPack.
# With --arch arm64: build-deb-arm64/quorvex_<version>_arm64.deb, cross-built
# against the arm64 root of tools/arm64/root.sh, whose dpkg database tells
# dpkg-shlibdeps the arm64 libraries' packages.
set -euo pipefail
cd "$(dirname "$0")/.."
arch=amd64
if [ "${1:-}" = --arch ]; then arch=${2:-}; fi
case $arch in
  amd64) dir=build-deb cross=() ;;
  arm64)
    dir=build-deb-arm64
    root=$(tools/arm64/root.sh)
    cross=(-DCMAKE_TOOLCHAIN_FILE="$PWD/tools/arm64/toolchain.cmake" -DQUORVEX_ARM64_ROOT="$root"
           -DQUORVEX_ASSET_TOOLS=OFF)
    # A tree configured against another root keeps that root's paths in its cache.
    [ "$(cat "$dir/arm64-root.txt" 2>/dev/null)" = "$root" ] || rm -rf "$dir"
    mkdir -p "$dir"
    echo "$root" >"$dir/arm64-root.txt"
    # dpkg-buildflags and dpkg-shlibdeps then work for arm64.
    export DEB_HOST_ARCH=arm64 ;;
  *) echo "package.sh: --arch is amd64 or arm64" >&2; exit 2 ;;
esac
tools/deps.sh
# dpkg-shlibdeps derives the dependencies; it needs dpkg-dev and file.
tools/apt-install.sh dpkg-dev file

# CMake reads the flags from the environment when the tree is first configured;
# it does not read CPPFLAGS, so those go with the compiler flags.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cppflags=$(dpkg-buildflags --get CPPFLAGS)
export CFLAGS="$(dpkg-buildflags --get CFLAGS) $cppflags"
export CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $cppflags"
export LDFLAGS=$(dpkg-buildflags --get LDFLAGS)
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
  -DBUILD_TESTING=OFF -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON "${cross[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)" --target quorvex quorvex-capture quorvex_packaging
if [ "$arch" = arm64 ]; then
  (cd "$dir" && DPKG_ADMINDIR=$root/var/lib/dpkg cpack -G DEB >/dev/null)
else
  (cd "$dir" && cpack -G DEB >/dev/null)
fi
ls "$dir"/quorvex_*_"$arch".deb
