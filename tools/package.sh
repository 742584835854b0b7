#!/usr/bin/env bash
# Builds the Debian package build-deb/quorvex_<version>_amd64.deb: a tree
# configured for the prefix /usr with Debian's hardening flags, then CPack.
set -euo pipefail
cd "$(dirname "$0")/.."
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
cmake -S . -B build-deb -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
  -DBUILD_TESTING=OFF -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build build-deb -j"$(nproc)" --target quorvex quorvex-capture quorvex_packaging
(cd build-deb && cpack -G DEB >/dev/null)
ls build-deb/quorvex_*.deb
