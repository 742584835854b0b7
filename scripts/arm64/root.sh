#!/usr/bin/env bash
# Makes the arm64 root the cross builds link against and qemu runs them in:
# Debian's arm64 packages of the show's libraries, unpacked into a folder in
# the cache keyed by this script and the package versions. Prints its path.
#
# Why not multiarch (dpkg --add-architecture arm64): libsdl1.2-dev and
# libmad0-dev are not Multi-Arch: same, so installing their arm64 builds makes
# apt remove the amd64 ones every other build on this machine needs. A private
# apt configuration (this machine's own sources, arm64, an empty status, none
# of the machine's pins, which keep those -dev packages out of multiarch) only
# downloads; nothing here touches the machine's dpkg database.
# Usage: root.sh [CACHE_DIR]   (default: $QUORVEX_CACHE or /var/cache/quorvex)
set -euo pipefail
# A caller that made the root already passes it on (scripts/test/arm64.sh).
if [ -n "${QUORVEX_ARM64_ROOT:-}" ] && [ -f "$QUORVEX_ARM64_ROOT/.done" ]; then
  echo "$QUORVEX_ARM64_ROOT"; exit 0
fi
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=SCRIPTDIR/../lib/common.sh
. "$here/../lib/common.sh"
cache=${1:-${QUORVEX_CACHE:-/var/cache/quorvex}}/arm64
"$here/../setup/apt-install.sh" g++-aarch64-linux-gnu qemu-user-static dpkg-dev >&2

# Run time: apt resolves every library these need, down to libc6.
# The desktop's libraries are here too: the release's SDL2 reads, as it
# configures, the names of those it opens at run time from them.
runtime=(libc6 libstdc++6 libsdl1.2debian libsdl-mixer1.2 libpng16-16 libjpeg62-turbo libhwy1
         libbenchmark1debian libxcursor1 libxi6 libxrandr2 libxss1 libxinerama1 libxfixes3 libwayland-client0
         libwayland-cursor0 libwayland-egl1 libxkbcommon0 libdecor-0-0 libpipewire-0.3-0 libegl1 libdbus-1-3)
# Build time: headers, link names, pkg-config and CMake files, without their
# own dependencies (the cross compiler brings its own C and C++ library).
# The desktop ones are the headers of what the release's SDL2 opens at run
# time: X11, Wayland, EGL and the sound servers.
devel=(libsdl1.2-dev libsdl-mixer1.2-dev libpng-dev zlib1g-dev libjpeg62-turbo-dev libjpeg-dev
       libhwy-dev libgtest-dev libbenchmark-dev
       libx11-dev libxext-dev x11proto-dev libxau-dev libxdmcp-dev libxcb1-dev libasound2-dev libpulse-dev
       libxrandr-dev libxcursor-dev libxi-dev libxinerama-dev libxss-dev libxfixes-dev libxrender-dev
       libxkbcommon-dev libwayland-dev libdecor-0-dev libpipewire-0.3-dev libspa-0.2-dev libdbus-1-dev
       libegl-dev libgl-dev libglvnd-dev libffi-dev)

apt_dir=$cache/apt
mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/archives/partial" "$apt_dir/devel" \
  "$apt_dir/preferences.d"
: > "$apt_dir/status"
: > "$apt_dir/preferences"
opts=(-o Dir::Etc::SourceList="$apt_dir/sources.list" -o Dir::Etc::SourceParts="$apt_dir/sources.list.d"
      -o Dir::State::Lists="$apt_dir/lists" -o Dir::State::status="$apt_dir/status" -o Dir::Cache="$apt_dir"
      -o Dir::Etc::Preferences="$apt_dir/preferences" -o Dir::Etc::PreferencesParts="$apt_dir/preferences.d"
      -o APT::Architecture=arm64 -o APT::Architectures=arm64 -o APT::Sandbox::User=root
      -o Acquire::Languages=none -o Debug::NoLocking=1)

# This machine's own apt sources, for arm64 (binary packages only).
private_apt_sources "$apt_dir" deb

# The versions apt would take decide the key: the same versions reuse the root.
apt-get "${opts[@]}" -qq update
plan=$(apt-get "${opts[@]}" -s install --no-install-recommends "${runtime[@]}" | awk '$1 == "Inst" {print $2, $3}')
for p in "${devel[@]}"; do plan+=$'\n'"$p $(apt-cache "${opts[@]}" policy "$p" | awk '/Candidate:/ {print $2}')"; done
key=$( (sed '/^[[:space:]]*#/d' "$0"; echo "$plan") | sha256sum | cut -c1-12)  # comments aside
root=$cache/root-$key
if [ -f "$root/.done" ]; then echo "$root"; exit 0; fi

apt-get "${opts[@]}" -qq -y --no-install-recommends --download-only install "${runtime[@]}" >/dev/null
(cd "$apt_dir/devel" && rm -f ./*.deb && apt-get "${opts[@]}" -qq download "${devel[@]}" >/dev/null)
rm -rf "$root"
mkdir -p "$root"
for deb in "$apt_dir"/archives/*.deb "$apt_dir"/devel/*.deb; do
  dpkg-deb -x "$deb" "$root"
done
echo "$plan" > "$root/.packages"

# A dpkg database of the root's packages, for dpkg-shlibdeps (scripts/package/package.sh
# --arch arm64) to tell which package each library comes from and read its
# symbols; its file lists name the files where they are, inside the root.
admin=$root/var/lib/dpkg
mkdir -p "$admin/info" "$admin/updates"
printf 'amd64\narm64\n' > "$admin/arch"
echo 1 > "$admin/info/format"  # Multi-Arch: same packages' files are named PACKAGE:ARCH.*
: > "$admin/status"
control=$cache/control
for deb in "$apt_dir"/archives/*.deb "$apt_dir"/devel/*.deb; do
  pkg=$(dpkg-deb -f "$deb" Package) arch=$(dpkg-deb -f "$deb" Architecture) multi=$(dpkg-deb -f "$deb" Multi-Arch)
  name=$pkg
  [ "$multi" = same ] && name=$pkg:$arch
  { dpkg-deb -f "$deb" Package Version Architecture Multi-Arch Maintainer Description | sed '1a Status: install ok installed'
    echo; } >> "$admin/status"
  dpkg-deb --fsys-tarfile "$deb" | tar -t | sed -e 's|^\./|/|' -e 's|/$||' -e '/^$/d' -e "s|^|$root|" > "$admin/info/$name.list"
  rm -rf "$control"
  dpkg-deb -e "$deb" "$control"
  for f in symbols shlibs; do
    [ -f "$control/$f" ] && cp "$control/$f" "$admin/info/$name.$f"
  done
done
rm -rf "$control"
# Link names the -dev packages point at with absolute paths would leave the root.
find "$root" -type l -lname '/*' | while read -r link; do
  ln -sfn "$root$(readlink "$link")" "$link"
done
touch "$root/.done"
rm -f "$apt_dir"/archives/*.deb
echo "$root"
