#!/usr/bin/env bash
# Stages and packs the release archives from build-release-linux/,
# build-release-linux-aarch64/ and build-release-windows/: the program (with
# its lib/ where it has one), d/, the info files, a screenshot and the licence
# texts; and the source tarball with every pinned source package.
# Usage: stage.sh VERSION CACHE_DIR DIST_DIR
set -euo pipefail
version=$1 cache=$2 dist=$3
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
# shellcheck source=pins.sh
. "$here/pins.sh"
cd "$root"
stage=$root/build-release-stage
rm -rf "$stage"
mkdir -p "$stage"
# Fixed times, owners and order, so the same tree packs to the same bytes.
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
commit=$(git rev-parse HEAD)  # named in the .nfo, for rebuilding
pack_tar() { tar --sort=name --mtime="@$SOURCE_DATE_EPOCH" --owner=0 --group=0 --numeric-owner -cf - "$@" | gzip -9n; }

# The screenshot: the logo over the backdrop two minutes in, rendered offline
# with the Debian build's capture tool (the checks compare with its program too).
scripts/setup/deps.sh
cmake -S . -B build >/dev/null
cmake --build build --target quorvex quorvex-capture -j2 >/dev/null
rm -rf "$stage/shot"
build/quorvex-capture --from 120000 --to 120001 --fps 1 --frames "$stage/shot" >/dev/null
shot=$stage/shot/frame-000000.png

# Licence texts of each bundled library, by the name of its source package.
src=$cache/src
licences() {
  local out=$1 os=$2
  mkdir -p "$out"
  cp "$src"/sdl12-compat_*/LICENSE.txt "$out/sdl12-compat.txt"
  cat "$src"/libsdl2_*/LICENSE.txt "$src"/libsdl2_*/debian/copyright > "$out/SDL2.txt"
  cat "$src"/sdl-mixer1.2_*/COPYING "$src"/sdl-mixer1.2_*/debian/copyright > "$out/SDL_mixer-1.2.txt"
  cat "$src"/libmad_*/COPYRIGHT "$src"/libmad_*/COPYING > "$out/libmad.txt"
  cat "$src"/libpng1.6_*/LICENSE "$src"/libpng1.6_*/debian/copyright > "$out/libpng.txt"
  cat "$src"/libjpeg-turbo_*/LICENSE.md "$src"/libjpeg-turbo_*/README.ijg "$src"/libjpeg-turbo_*/debian/copyright \
    > "$out/libjpeg-turbo.txt"
  cat "$src"/highway_*/LICENSE "$src"/highway_*/debian/copyright > "$out/highway.txt"
  if [ "$os" = windows ]; then
    cp /usr/share/doc/libz-mingw-w64-dev/copyright "$out/zlib.txt"
    cp /usr/share/doc/gcc-mingw-w64-base/copyright "$out/gcc-runtime.txt"
    cp /usr/share/doc/mingw-w64-common/copyright "$out/mingw-w64-runtime.txt"
  else
    cp /usr/share/doc/zlib1g-dev/copyright "$out/zlib.txt"
    cp /usr/share/doc/libstdc++-12-dev/copyright "$out/gcc-runtime.txt"
  fi
}

# stage_tree DIR OS PROGRAM: one archive's folder.
stage_tree() {
  local dir=$1 os=$2 program=$3
  mkdir -p "$dir"
  cp "$program" "$dir/"
  # SDL beside the program: lib/ on Linux, the DLLs on Windows.
  [ ! -d "$(dirname "$program")/lib" ] || cp -r "$(dirname "$program")/lib" "$dir/lib"
  [ "$os" != windows ] || cp "$(dirname "$program")"/SDL.dll "$(dirname "$program")"/SDL2.dll "$dir/"
  cp -r d "$dir/d"
  cp LICENSE LICENSE.assets "$dir/"
  cp "$shot" "$dir/screenshot.png"
  sed "s/@VERSION@/$version/g" "$here/text/file_id.diz" > "$dir/file_id.diz"
  sed -e "s/@VERSION@/$version/g" -e "s/@COMMIT@/$commit/g" "$here/text/quorvex.nfo" > "$dir/quorvex.nfo"
  licences "$dir/licences" "$os"
  ! grep -n '@[A-Z]*@' "$dir/file_id.diz" "$dir/quorvex.nfo" || { echo "release: a placeholder is left above" >&2; exit 1; }
  if awk 'length($0) > 45 { bad = 1 } END { exit !(bad || NR > 10) }' "$dir/file_id.diz"; then
    echo "release: file_id.diz is over 10 lines of 45 characters" >&2; exit 1
  fi
}

win=quorvex-$version-windows-x64
lin=quorvex-$version-linux-x86_64
arm=quorvex-$version-linux-aarch64
stage_tree "$stage/$win" windows build-release-windows/quorvex.exe
stage_tree "$stage/$lin" linux build-release-linux/quorvex
stage_tree "$stage/$arm" linux build-release-linux-aarch64/quorvex
# Windows readers expect CR LF in the text files.
for f in file_id.diz quorvex.nfo; do sed -i 's/$/\r/' "$stage/$win/$f"; done

# The same modes whatever the builder's umask: read for all, written by the owner.
chmod -R u+rwX,go+rX,go-w "$stage"
rm -f "$dist/$win.zip"
find "$stage/$win" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
(cd "$stage" && find "$win" | LC_ALL=C sort | zip -X -9 -q "$dist/$win.zip" -@)
(cd "$stage" && pack_tar "$lin") > "$dist/$lin.tar.gz"
(cd "$stage" && pack_tar "$arm") > "$dist/$arm.tar.gz"

# The source: the project's files as they are in the work tree, and every
# pinned source as it was downloaded and checked.
srcdir=$stage/quorvex-$version
mkdir -p "$srcdir/third-party"
git ls-files -z | xargs -0 cp --parents -t "$srcdir"
for pin in "${PINS[@]}"; do
  read -r pkg pinned _ <<<"$pin"
  plain=${pinned#*:}
  cp "$cache/downloads/${pkg}_$plain".dsc "$cache/downloads/${pkg}_${plain%-*}".orig.tar.* "$srcdir/third-party/"
  cp "$cache/downloads/${pkg}_$plain".{debian.tar.xz,diff.gz} "$srcdir/third-party/" 2>/dev/null || true
done
for pin in "${FILE_PINS[@]}"; do
  read -r file _ <<<"$pin"
  cp "$cache/downloads/$file" "$srcdir/third-party/"
done
chmod -R u+rwX,go+rX,go-w "$srcdir"
(cd "$stage" && pack_tar "quorvex-$version") > "$dist/quorvex-$version-source.tar.gz"
(cd "$dist" && sha256sum "$win.zip" "$lin.tar.gz" "$arm.tar.gz" "quorvex-$version-source.tar.gz" \
  "quorvex-$version-web.zip" > SHA256SUMS)
ls -l "$dist"
