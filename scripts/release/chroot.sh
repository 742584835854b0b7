#!/usr/bin/env bash
# The minimal Debian 12 the Linux release is checked in (check-linux.sh): a
# minbase system with only a desktop's client libraries (X11, Wayland, OpenGL
# through Mesa, sound), made once by debootstrap and kept in the cache
# (QUORVEX_CACHE, default /var/cache/quorvex). Prints its path. CI makes it
# early, beside the first checks, since it waits on the network and the disk.
# Usage: scripts/release/chroot.sh
set -euo pipefail
# shellcheck source=SCRIPTDIR/../lib/common.sh
. "$(dirname "$0")/../lib/common.sh"
fail_prefix="release chroot"
cache=${QUORVEX_CACHE:-/var/cache/quorvex}/release
client_libs=libx11-6,libxext6,libxcursor1,libxi6,libxrandr2,libxfixes3,libxss1,libasound2,libpulse0,libgl1,libegl1,libgl1-mesa-dri,libwayland-client0,libwayland-cursor0,libwayland-egl1,libxkbcommon0
chroot_dir=$cache/chroot-bookworm-minbase-$(echo "$client_libs" | sha256sum | cut -c1-8)
if [ ! -f "$chroot_dir/.done" ]; then
  rm -rf "$cache"/chroot-bookworm-minbase*
  debootstrap_once "$chroot_dir" bookworm "$client_libs" || fail "debootstrap, see $chroot_dir.log"
  touch "$chroot_dir/.done"
fi
echo "$chroot_dir"
