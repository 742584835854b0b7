#!/usr/bin/env bash
# The browser build's tests: builds the page with the test program (tools/web.sh
# --test), draws the reference frames with the desktop capture tool, and runs
# the page in Debian's headless Chromium (tests/web/test_page.py).
# Prints "web: N passed, N failed"; exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/apt-install.sh chromium python3 >/dev/null
site=$PWD/build-web/site
frames=$PWD/build-web/frames
tools/web.sh --test "$site"

# The desktop's frames at moments across the show: the caption, each fixed
# picture, both flicker slots (two picks in the first), a shake, the bounce
# of the scroll text and the last slot.
tools/deps.sh >/dev/null
cmake -S . -B build >/dev/null
cmake --build build --target quorvex-capture -j2 >/dev/null
rm -rf "$frames"
mkdir -p "$frames"
for ms in 5000 20100 35000 50500 54700 70000 100000 120000 147300 155000 168040 226000 330000; do
  build/quorvex-capture --from "$ms" --to $((ms + 1)) --fps 1 --frames "$frames/at" >/dev/null 2>&1
  mv "$frames/at/frame-000000.png" "$frames/frame-$ms.png"
done
rmdir "$frames/at"
python3 tests/web/test_page.py "$site" "$frames"
