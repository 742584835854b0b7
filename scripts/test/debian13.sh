#!/usr/bin/env bash
# The README's test command on a fresh Debian 13 (trixie), as a new user runs
# it: a minbase chroot made by debootstrap, the project cloned into it, then
# scripts/test.sh. Then the suite again on SDL 1.2 over sdl2-compat over SDL 3
# (all but the two long tests that never load SDL), and the Debian package's
# checks with Debian 13's own lintian.
#
# The chroot, with the packages scripts/setup/deps.sh installs, is cached (QUORVEX_CACHE,
# default /var/cache/quorvex), keyed by the date of trixie's package lists, and
# so are the packages apt downloads into it; every run works in a throwaway
# layer over the cached chroot.
# Tests the committed state (HEAD), as a clone does. Compiles in the chroot go
# through ccache, its cache beside the chroot's.
# Usage: test-debian13.sh [--prepare]   (--prepare: only make the cached chroot,
# then print its path; a later run given that path in QUORVEX_DEBIAN13_BASE
# takes it as it is, even after trixie's lists have moved on.)
set -euo pipefail
# shellcheck source=SCRIPTDIR/../lib/common.sh
. "$(dirname "$0")/../lib/common.sh"
cd "$project_dir"
root=$PWD
[ "$(id -u)" -eq 0 ] || { echo "test-debian13.sh: run it as root (debootstrap, chroot, mounts)" >&2; exit 1; }
scripts/setup/apt-install.sh debootstrap git wget

prepare=0
[ "${1:-}" = --prepare ] && prepare=1
cache=${QUORVEX_CACHE:-/var/cache/quorvex}/debian13
mirror=$(debian_mirror)
# The cached chroot holds the packages scripts/setup/deps.sh installs, and ccache, so it
# is made anew when the lists or that list of packages change.
deps_key=$( { cat scripts/setup/deps.sh scripts/setup/apt-install.sh; echo ccache; } | sha256sum | cut -c1-12)
if [ -n "${QUORVEX_DEBIAN13_BASE:-}" ] && [ -f "$QUORVEX_DEBIAN13_BASE/.done" ] &&
   [ "${QUORVEX_DEBIAN13_BASE##*-}" = "$deps_key" ]; then
  base=$QUORVEX_DEBIAN13_BASE lists_date="(as prepared)"
else
  lists_date=$(wget -qO- "$mirror/dists/trixie/InRelease" | sed -n 's/^Date: //p')
  [ -n "$lists_date" ] || { echo "test-debian13.sh: cannot read trixie's package lists" >&2; exit 1; }
  base=$cache/trixie-$(date -u -d "$lists_date" +%Y%m%dT%H%M%SZ)-$deps_key
fi
layer=$cache/run
chroot_dir=$layer/root

# enter DIR: mounts what programs in the chroot at DIR need; leave DIR undoes it.
enter() {
  mount -t proc proc "$1/proc"
  mount -t sysfs sysfs "$1/sys"
  mount --rbind /dev "$1/dev"
  mount --make-rslave "$1/dev"
  mount --bind "$cache/archives" "$1/var/cache/apt/archives"
  cp /etc/resolv.conf "$1/etc/resolv.conf"
}
leave() { umount -R "$1" 2>/dev/null || umount -R -l "$1" 2>/dev/null || true; }
leave_all() {
  leave "$chroot_dir"
  for dir in "$cache"/trixie-*; do
    [ -d "$dir/proc" ] && for m in proc sys dev var/cache/apt/archives; do
      mountpoint -q "$dir/$m" && { umount -R "$dir/$m" 2>/dev/null || umount -R -l "$dir/$m"; }
    done
  done
  return 0
}
leave_all
trap leave_all EXIT
mkdir -p "$cache/archives"

if [ ! -f "$base/.done" ]; then
  rm -rf "$cache"/trixie-*
  echo "== debootstrap trixie (package lists of $lists_date), then the project's packages"
  debootstrap_once "$base" trixie || exit 1
  enter "$base"
  mkdir -p "$base/tmp/deps/tools"
  cp scripts/setup/deps.sh scripts/setup/apt-install.sh "$base/tmp/deps/tools/"
  chroot "$base" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin /tmp/deps/tools/deps.sh \
    > "$cache/deps.log" 2>&1 || { tail -n 20 "$cache/deps.log" >&2; exit 1; }
  chroot "$base" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -qq --no-install-recommends ccache >> "$cache/deps.log" 2>&1 ||
    { tail -n 20 "$cache/deps.log" >&2; exit 1; }
  rm -rf "$base/tmp/deps"
  leave_all
  touch "$base/.done"
fi
if [ $prepare -eq 1 ]; then echo "$base"; exit 0; fi

# Every run starts from the cached chroot in a throwaway layer over it.
overlay_root "$base" "$layer"
enter "$chroot_dir"
mkdir -p "$cache/ccache" "$chroot_dir/var/cache/quorvex-ccache"
mount --bind "$cache/ccache" "$chroot_dir/var/cache/quorvex-ccache"
git clone -q "$root" "$chroot_dir/root/quorvex"

in_chroot() {
  chroot "$chroot_dir" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb DEBIAN_FRONTEND=noninteractive \
    CCACHE_DIR=/var/cache/quorvex-ccache CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "$@"
}
# Moments across the show: the caption, each picture, both flicker slots, the
# full shake, the bounce, the empty slots and the scroller's last stretch.
moments=(1200 20000 36100 52500 70000 100000 120000 150300 156000 225000 300000 515000)
# same_frames NAME: quorvex-capture in the chroot draws at each moment the same
# PNG, byte for byte, as this machine's build (Debian 12's SDL) did.
same_frames() {
  local t differ=0
  for t in "${moments[@]}"; do
    in_chroot sh -c "cd /root/quorvex && build/quorvex-capture --from $t --to $((t + 1)) --fps 1000 --frames /tmp/frames-$t" >/dev/null 2>&1
    cmp -s "$layer/host-frames/$t/frame-000000.png" "$chroot_dir/tmp/frames-$t/frame-000000.png" || { echo "frame at $t ms differs"; differ=1; }
    rm -rf "$chroot_dir/tmp/frames-$t"
  done
  [ $differ -eq 0 ] || { echo "test-debian13.sh: $1 draws other frames than Debian 12" >&2; exit 1; }
  echo "== $1: the frames at ${#moments[@]} moments are byte-identical to Debian 12's"
}
scripts/build.sh >/dev/null
for t in "${moments[@]}"; do
  build/quorvex-capture --from "$t" --to $((t + 1)) --fps 1000 --frames "$layer/host-frames/$t" >/dev/null 2>&1
done

# sdl_stack: which libraries the show's SDL 1.2 runs on, as their packages.
sdl_stack() {
  in_chroot sh -c 'cd /root/quorvex/build && for lib in libSDL-1.2.so.0 libSDL2-2.0.so.0 libSDL3.so.0; do
    path=$(ldconfig -p | awk -v l="$lib" "\$1 == l {print \$NF; exit}")
    pkg=$([ -n "$path" ] && dpkg -S "$(readlink -f "$path")" 2>/dev/null | cut -d: -f1)
    [ -n "$pkg" ] && dpkg-query -W -f="\${Package} \${Version}, " "$pkg"
  done; echo'
}

echo "== Debian 13: scripts/test.sh"
in_chroot sh -c 'cd /root/quorvex && scripts/test.sh'
echo "== Debian 13: SDL 1.2 ran on $(sdl_stack)"
same_frames "Debian 13 over SDL 2"

echo "== Debian 13, SDL 3: the tests again over sdl2-compat"
# The shim replaces SDL 2 with sdl2-compat over SDL 3; its -dev package stands
# in for libsdl2-dev, which SDL 1.2's pkg-config file needs.
in_chroot apt-get install -y -qq --no-install-recommends \
  libsdl2-compat-shim libsdl2-compat-dev >/dev/null
stack=$(sdl_stack)
echo "== SDL 1.2 now runs on $stack"
case $stack in *libsdl3*) ;; *) echo "test-debian13.sh: SDL 3 is not under the show" >&2; exit 1 ;; esac
in_chroot sh -c 'cd /root/quorvex && scripts/test.sh --again'
same_frames "Debian 13 over SDL 3"

echo "== Debian 13: the Debian package"
in_chroot sh -c 'cd /root/quorvex && scripts/package/check.sh'
in_chroot apt-get autoclean -qq
echo "== Debian 13: scripts/test.sh on both stacks, the frames and the package checks passed"
