#!/usr/bin/env bash
# Builds the Debian package build-deb/quorvex_<version>_amd64.deb: a tree
# configured for the prefix /usr with Debian's hardening flags, then CPack.
# With --arch arm64: build-deb-arm64/quorvex_<version>_arm64.deb, cross-built
# against the arm64 root of scripts/arm64/root.sh, whose dpkg database tells
# dpkg-shlibdeps the arm64 libraries' packages.
# The same commit gives the same package, byte for byte, wherever and whenever
# it is built: scripts/package/check.sh builds it twice and compares.
set -euo pipefail
# shellcheck source=SCRIPTDIR/../lib/common.sh
. "$(dirname "$0")/../lib/common.sh"
cd "$project_dir"
# Directories CPack stages take the caller's umask into the package (and the
# ar members' modes with them); dpkg-buildpackage fixes it the same way.
umask 022
arch=amd64
if [ "${1:-}" = --arch ]; then arch=${2:-}; fi
case $arch in
  amd64) dir=build-deb cross=() ;;
  arm64)
    dir=build-deb-arm64
    root=$(scripts/arm64/root.sh)
    cross=(-DCMAKE_TOOLCHAIN_FILE="$PWD/scripts/arm64/toolchain.cmake" -DQUORVEX_ARM64_ROOT="$root"
           -DQUORVEX_ASSET_TOOLS=OFF)
    # A tree configured against another root keeps that root's paths in its cache.
    [ "$(cat "$dir/arm64-root.txt" 2>/dev/null)" = "$root" ] || rm -rf "$dir"
    mkdir -p "$dir"
    echo "$root" >"$dir/arm64-root.txt"
    # dpkg-buildflags and dpkg-shlibdeps then work for arm64.
    export DEB_HOST_ARCH=arm64 ;;
  *) echo "package.sh: --arch is amd64 or arm64" >&2; exit 2 ;;
esac
scripts/setup/deps.sh
# dpkg-shlibdeps derives the dependencies; it needs dpkg-dev and file. git
# dates the package.
scripts/setup/apt-install.sh dpkg-dev file git

# Every time in the package (the files', the tar and ar members') is the
# commit's, which CPack takes from SOURCE_DATE_EPOCH; a source tree without its
# history must name its date.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null) ||
    { echo "package.sh: not a git checkout; set SOURCE_DATE_EPOCH to the sources' date" >&2; exit 2; }
fi
export SOURCE_DATE_EPOCH

# CMake reads the flags from the environment when the tree is first configured;
# it does not read CPPFLAGS, so those go with the compiler flags. Debian's
# flags map this folder to "." in file names and debug data
# (-ffile-prefix-map), and warn at __DATE__ and __TIME__ (-Wdate-time).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cppflags=$(dpkg-buildflags --get CPPFLAGS)
CFLAGS="$(dpkg-buildflags --get CFLAGS) $cppflags"
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $cppflags"
LDFLAGS=$(dpkg-buildflags --get LDFLAGS)
export CFLAGS CXXFLAGS LDFLAGS
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
  -DBUILD_TESTING=OFF -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON "${cross[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)" --target quorvex quorvex-capture quorvex_packaging
if [ "$arch" = arm64 ]; then
  (cd "$dir" && DPKG_ADMINDIR=$root/var/lib/dpkg cpack -G DEB >/dev/null)
else
  (cd "$dir" && cpack -G DEB >/dev/null)
fi
ls "$dir"/quorvex_*_"$arch".deb
