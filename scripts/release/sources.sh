#!/usr/bin/env bash
# Fetches the pinned Debian source packages of the release's third-party code
# into the cache, through a private apt configuration whose deb-src entries are
# this machine's own apt sources, and checks every file against the pinned .dsc.
# Usage: sources.sh CACHE_DIR [PKG...]   (prints nothing; leaves CACHE_DIR/src/<pkg>_<version>/)
# With package names, only those pins are fetched. The sources the archive no
# longer serves (sdl12-compat) come from the shared sources folder instead.
set -euo pipefail
cache=$1; shift
only=" $* "
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=pins.sh
. "$here/pins.sh"
# shellcheck source=SCRIPTDIR/../lib/common.sh
. "$here/../lib/common.sh"

apt_dir=$cache/apt
mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/archives/partial" "$cache/downloads"
apt_opts=(-o Dir::Etc::SourceList="$apt_dir/sources.list" -o Dir::Etc::SourceParts="$apt_dir/sources.list.d"
          -o Dir::State::Lists="$apt_dir/lists" -o Dir::Cache="$apt_dir" -o APT::Sandbox::User=root
          -o Acquire::Languages=none)

# Checks the .dsc against its pin, then every file it names that was served
# against the .dsc's SHA-256 lines; the original tarball must be among them.
verify() {
  local dsc=$1 sum=$2 dir
  dir=$(dirname "$dsc")
  echo "$sum  $dsc" | sha256sum --quiet -c - || { echo "release: $dsc does not match its pin" >&2; return 1; }
  awk '/^Checksums-Sha256:/{on=1; next} /^[^ ]/{on=0} on && NF==3 {print $1"  "$3}' "$dsc" |
    while read -r hash file; do
      [ -f "$dir/$file" ] || continue
      echo "$hash  $dir/$file" | sha256sum --quiet -c - || { echo "release: $file fails its .dsc checksum" >&2; return 1; }
    done
  ls "${dsc%%_*}"_*.orig.tar.* >/dev/null
}

updated=0
for pin in "${PINS[@]}"; do
  read -r pkg version sum <<<"$pin"
  [ "$only" = "  " ] || [[ $only == *" $pkg "* ]] || continue
  plain=${version#*:}
  out=$cache/src/${pkg}_$plain
  [ -f "$out/.verified" ] && continue
  dl=$cache/downloads
  dsc=$dl/${pkg}_$plain.dsc
  if [ ! -f "$dsc" ]; then
    if [ $updated -eq 0 ]; then
      # This machine's own sources as deb-src, and Debian 13 (trixie) too,
      # whose SDL2 source the releases build.
      private_apt_sources "$apt_dir" deb-src trixie
      apt-get "${apt_opts[@]}" -qq update
      updated=1
    fi
    # A part the archive no longer serves (libmad's patches) fails here; the
    # check below decides whether what came is enough.
    (cd "$dl" && apt-get "${apt_opts[@]}" -qq --download-only source "$pkg=$version" >/dev/null 2>&1) || true
  fi
  verify "$dsc" "$sum"
  rm -rf "$out"; mkdir -p "$cache/src"
  if ls "$dl/${pkg}_$plain".debian.tar.* >/dev/null 2>&1; then
    dpkg-source --no-check -x "$dsc" "$out" >/dev/null
    rm -f "$cache/src/"*.orig.tar.*
  else
    mkdir -p "$out"
    tar -xf "$(ls "$dl/${pkg}_${plain%-*}".orig.tar.[gx]z)" -C "$out" --strip-components=1
  fi
  touch "$out/.verified"
done

# The kept sources, each copied into the downloads (the source archive takes
# them from there), checked against its pin and unpacked.
[ "$only" = "  " ] || exit 0
kept=${QUORVEX_SOURCES:-$here/../../../shared/sources}
for pin in "${FILE_PINS[@]}"; do
  read -r file sum name <<<"$pin"
  out=$cache/src/$name
  [ -f "$out/.verified" ] && continue
  if [ ! -f "$cache/downloads/$file" ]; then
    [ -f "$kept/$file" ] || { echo "release: $file is not in $kept (set QUORVEX_SOURCES to its folder)" >&2; exit 1; }
    cp "$kept/$file" "$cache/downloads/$file.part" && mv "$cache/downloads/$file.part" "$cache/downloads/$file"
  fi
  echo "$sum  $cache/downloads/$file" | sha256sum --quiet -c - ||
    { rm -f "$cache/downloads/$file"; echo "release: $file does not match its pin" >&2; exit 1; }
  rm -rf "$out"; mkdir -p "$out"
  tar -xzf "$cache/downloads/$file" -C "$out" --strip-components=1
  touch "$out/.verified"
done
