#!/usr/bin/env bash
# Builds the show for a browser tab into dist/quorvex-<version>-web/ (the page,
# the program as .js and .wasm, the assets as d/, the licence texts) and packs
# dist/quorvex-<version>-web.zip. Any static web host serves the folder as it is.
# Usage: scripts/web/build.sh [--serve [PORT]]   --serve then serves it on localhost
#        scripts/web/build.sh --test DIR         also builds the test program (the hook
#                                        that sets the show clock) into a copy at DIR
# Third-party code comes from the pinned Debian sources of the release, built
# with Debian's emscripten and cached outside the tree (QUORVEX_CACHE).
set -euo pipefail
# shellcheck source=SCRIPTDIR/../lib/common.sh
. "$(dirname "$0")/../lib/common.sh"
cd "$project_dir"
root=$PWD
version=$(project_version)
cache=${QUORVEX_CACHE:-/var/cache/quorvex}/release
mode=${1:-}
export NODE_PATH=/usr/share/nodejs
mkdir -p "$cache"

scripts/setup/apt-install.sh emscripten zip python3 >/dev/null
scripts/release/sources.sh "$cache" zlib libpng1.6 libjpeg-turbo highway
prefix=$(scripts/web/deps-build.sh "$cache")
targets=(quorvex_web)
[ "$mode" = --test ] && targets+=(quorvex_web_test)
mkdir -p build-web
# The checkout's own path stays out of the program, so any folder builds the same bytes.
emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release -DQUORVEX_WEB_PREFIX="$prefix" \
  -DCMAKE_C_FLAGS="-ffile-prefix-map=$root=." -DCMAKE_CXX_FLAGS="-ffile-prefix-map=$root=." \
  >build-web/configure.log 2>&1 || { cat build-web/configure.log >&2; exit 1; }
cmake --build build-web -j2 --target "${targets[@]}" >/dev/null

name=quorvex-$version-web
out=$root/dist/$name
rm -rf "$out"
mkdir -p "$out/licences"
cp src/web/index.html build-web/src/web/quorvex.js build-web/src/web/quorvex.wasm "$out/"
cp docs/show.png "$out/show.png"
cp -r d "$out/d"
cp LICENSE LICENSE.assets "$out/"
src=$cache/src
cat "$src"/zlib_*/debian/copyright > "$out/licences/zlib.txt"
cat "$src"/libpng1.6_*/LICENSE "$src"/libpng1.6_*/debian/copyright > "$out/licences/libpng.txt"
cat "$src"/libjpeg-turbo_*/LICENSE.md "$src"/libjpeg-turbo_*/README.ijg "$src"/libjpeg-turbo_*/debian/copyright \
  > "$out/licences/libjpeg-turbo.txt"
cat "$src"/highway_*/LICENSE "$src"/highway_*/debian/copyright > "$out/licences/highway.txt"
cp /usr/share/doc/emscripten/copyright "$out/licences/emscripten.txt"

# Fixed times, modes and order, so the same tree packs to the same bytes
# whatever the clock and the umask.
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
chmod -R u=rwX,go=rX "$out"
find "$out" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
rm -f "$out.zip"
(cd "$root/dist" && find "$name" | LC_ALL=C sort | zip -X -9 -q "$out.zip" -@)

case $mode in
  --test)
    test_dir=$2
    rm -rf "$test_dir"
    cp -r "$out" "$test_dir"
    # The test program under the page's name; it fetches its own .wasm.
    cp build-web/src/web/quorvex-test.js "$test_dir/quorvex.js"
    cp build-web/src/web/quorvex-test.wasm "$test_dir/" ;;
  --serve)
    port=${2:-8000}
    # A host that answers byte ranges, as WebKit needs for the track.
    exec node tests/web/serve.js "$out" "$port" ;;
  *) echo "$out.zip" ;;
esac
