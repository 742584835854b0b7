#!/usr/bin/env bash
# Checks the release archives in DIST_DIR: the Windows build's unit tests and
# the show under Wine on Xvfb, the Linux build in a minimal Debian chroot
# (headless and in a window), the same error on a bad asset as the Debian
# build, and the Linux program's libraries and glibc symbol versions.
# Screenshots of the windows land in build-release-check/.
# Usage: check.sh VERSION DIST_DIR
set -euo pipefail
version=$1 dist=$2
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
cache=${QUORVEX_CACHE:-/var/cache/quorvex}/release
out=$root/build-release-check
rm -rf "$out"
mkdir -p "$out"
cd "$out"

fail() { echo "release check FAILED: $*" >&2; exit 1; }
ok() { echo "release check: $*"; }
log_lines_ok() { grep -Eqv '^ *[0-9]+ +[0-9]+\.[0-9]{2} +([0-9]+\.[0-9]{2}|inf)$' "$1" && return 1; [ "$(wc -l < "$1")" -ge 10 ]; }

xvfb_pid="" chroot_dir="" mounted=() pid=""
cleanup() {
  set +e
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  [ -n "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null
  for m in "${mounted[@]}"; do umount "$m" 2>/dev/null; done
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT

# An X server of our own for both programs' windows, on a free display number.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3> xvfb-display.txt >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s xvfb-display.txt ] && break; sleep 0.1; done
display=:$(head -n 1 xvfb-display.txt)
[ "$display" != : ] || fail "Xvfb did not start"
export DISPLAY=$display

shoot() { ffmpeg -loglevel error -y -f x11grab -video_size 1024x768 -i "$display" -frames:v 1 "$1"; }
# escape_window PID: waits for the window titled QUORVEX, takes screenshots
# NAME-1.png ... as it plays, then presses and releases Escape.
escape_window() {
  local name=$1 wid
  wid=$(timeout 120 xdotool search --sync --name '^QUORVEX$' | head -n 1) || fail "$name: no window titled QUORVEX"
  for i in 1 2 3; do sleep 4; shoot "$name-$i.png"; done
  xdotool windowfocus --sync "$wid" 2>/dev/null || true
  xdotool keydown Escape; sleep 0.3; xdotool keyup Escape
}

# ---- Linux: the libraries the program asks for and its glibc symbol versions.
tar -xzf "$dist/quorvex-$version-linux-x86_64.tar.gz"
lin=$out/quorvex-$version-linux-x86_64
ldd "$lin/quorvex" > ldd.txt || true
grep -Ev 'linux-vdso|ld-linux|lib(c|m|dl|pthread|rt)\.so' ldd.txt && fail "the Linux program needs more than glibc"
newest=$(objdump -T "$lin/quorvex" | grep -o 'GLIBC_[0-9.]*' | sort -Vu | tail -n 1)
[ "$(printf '%s\nGLIBC_2.35\n' "$newest" | sort -V | tail -n 1)" = GLIBC_2.35 ] || fail "needs $newest"
ok "ldd: $(awk '{print $1}' ldd.txt | tr '\n' ' '); newest glibc symbol $newest"

# ---- Linux: a minimal Debian with only the X11 client and sound libraries.
chroot_dir=$cache/chroot-bookworm-minbase
if [ ! -f "$chroot_dir/.done" ]; then
  rm -rf "$chroot_dir"
  # The same archive this machine installs from.
  mirror=$("$root/tools/debian-mirror.sh")
  debootstrap --variant=minbase --include=libx11-6,libxext6,libasound2,libpulse0 bookworm "$chroot_dir" "$mirror" \
    > debootstrap.txt 2>&1 || fail "debootstrap, see $out/debootstrap.txt"
  touch "$chroot_dir/.done"
fi
rm -rf "$chroot_dir/opt/quorvex"
mkdir -p "$chroot_dir/opt/quorvex" "$chroot_dir/tmp/.X11-unix"
tar -xzf "$dist/quorvex-$version-linux-x86_64.tar.gz" -C "$chroot_dir/opt/quorvex" --strip-components=1
# in_chroot ARGS...: runs ARGS in the chroot in place of the calling (sub)shell,
# so that a signal to its process id reaches the program itself.
in_chroot() { exec chroot "$chroot_dir" /usr/bin/env -i PATH=/usr/bin:/bin HOME=/tmp SDL_AUDIODRIVER=disk \
  SDL_DISKAUDIOFILE=/tmp/audio.raw SDL_DISKAUDIODELAY=20 "$@"; }

(in_chroot /bin/sh -c 'cd /opt/quorvex && SDL_VIDEODRIVER=dummy exec ./quorvex > /tmp/out.txt 2> /tmp/err.txt') &
pid=$!
sleep 8
kill -TERM "$pid"
status=0; wait "$pid" || status=$?
[ $status -eq 0 ] || fail "Linux headless: status $status after SIGTERM: $(cat "$chroot_dir/tmp/err.txt")"
log_lines_ok "$chroot_dir/tmp/out.txt" || fail "Linux headless: bad log lines"
ok "Linux headless in the chroot: $(wc -l < "$chroot_dir/tmp/out.txt") log lines, status 0 on SIGTERM"

mount --bind /tmp/.X11-unix "$chroot_dir/tmp/.X11-unix" && mounted+=("$chroot_dir/tmp/.X11-unix")
(in_chroot DISPLAY="$display" /bin/sh -c 'cd /opt/quorvex && exec ./quorvex -w > /tmp/out.txt 2> /tmp/err.txt') &
pid=$!
escape_window linux
status=0; wait "$pid" || status=$?
[ $status -eq 0 ] || fail "Linux window: status $status: $(cat "$chroot_dir/tmp/err.txt")"
log_lines_ok "$chroot_dir/tmp/out.txt" || fail "Linux window: bad log lines"
ok "Linux window in the chroot: status 0 on Escape"

# bad_asset_line DIR: the one-line error for a zero-byte picture, from the Debian build.
: > "$chroot_dir/opt/quorvex/d/kelpi.jpg"
status=0; (in_chroot /bin/sh -c 'cd /opt/quorvex && SDL_VIDEODRIVER=dummy exec ./quorvex > /tmp/out.txt 2> /tmp/err.txt') || status=$?
mkdir -p debian/d && cp -r "$root/d/." debian/d/ && : > debian/d/kelpi.jpg
deb_status=0; (cd debian && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$root/build/quorvex" > out.txt 2> err.txt) || deb_status=$?
[ $status -eq 1 ] && [ $deb_status -eq 1 ] || fail "bad asset: status $status (Debian build $deb_status)"
cmp -s "$chroot_dir/tmp/err.txt" debian/err.txt && cmp -s "$chroot_dir/tmp/out.txt" debian/out.txt ||
  fail "bad asset: Linux release says $(cat "$chroot_dir/tmp/err.txt"), Debian build $(cat debian/err.txt)"
ok "Linux bad asset: $(cat debian/err.txt), status 1, as the Debian build"

# ---- Windows, under Wine.
export WINEPREFIX=$cache/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" SDL_AUDIODRIVER=dummy
# A first start makes the prefix; without 32-bit Wine it reports the missing
# 32-bit tools, which the 64-bit program does not need.
[ -d "$WINEPREFIX" ] || wineboot -i >/dev/null 2>&1 || true
wineserver -p 60 2>/dev/null || true  # already running after a first start

failed=0
for t in "$root"/build-release-windows/tests/*_test.exe; do
  SDL_VIDEODRIVER=dummy wine "$t" --gtest_brief=1 > "$(basename "$t" .exe).txt" 2>&1 || { failed=1; echo "FAILED: $(basename "$t")"; tail -n 30 "$(basename "$t" .exe).txt"; }
done
[ $failed -eq 0 ] || fail "Windows unit tests under Wine"
ok "Windows unit tests under Wine: $(cat ./*_test.txt | awk '/^\[  PASSED  \]/ { n++; t += $4 } END { print n " binaries, " t " tests" }') pass"

mkdir win && (cd win && unzip -q "$dist/quorvex-$version-windows-x64.zip")
win=$out/win/quorvex-$version-windows-x64
status=0; (cd "$win" && wine quorvex.exe -w) & pid=$!
escape_window windows
wait "$pid" || status=$?
[ $status -eq 0 ] || fail "Windows window: status $status: $(cat "$win/stderr.txt" 2>/dev/null)"
tr -d '\r' < "$win/stdout.txt" > win-log.txt
log_lines_ok win-log.txt || fail "Windows window: bad lines in stdout.txt"
ok "Windows window under Wine: $(wc -l < win-log.txt) lines in stdout.txt, status 0 on Escape"

mkdir nod && cp "$win/quorvex.exe" nod/
status=0; (cd nod && SDL_VIDEODRIVER=dummy wine quorvex.exe -w) || status=$?
[ $status -eq 1 ] && grep -q '^fontti' nod/stdout.txt || fail "Windows without d/: status $status"
ok "Windows without d/: \"fontti\" in stdout.txt, status 1"

rm -f "$win/stdout.txt" "$win/stderr.txt"
: > "$win/d/kelpi.jpg"
status=0; (cd "$win" && SDL_VIDEODRIVER=dummy wine quorvex.exe -w) || status=$?
tr -d '\r' < "$win/stderr.txt" > win-err.txt
tr -d '\r' < "$win/stdout.txt" > win-out.txt
[ $status -eq 1 ] && cmp -s win-err.txt debian/err.txt && cmp -s win-out.txt debian/out.txt ||
  fail "Windows bad asset: status $status, $(cat win-err.txt)"
ok "Windows bad asset: the same line and status 1 as the Debian build"

# A read-only folder, as parties run entries from: no stdout.txt, the show runs.
cp "$root/d/kelpi.jpg" "$win/d/kelpi.jpg"
rm -f "$win/stdout.txt" "$win/stderr.txt"
if mount --bind "$win" "$win" && mounted+=("$win") && mount -o remount,ro,bind "$win"; then
  status=0; (cd "$win" && SDL_VIDEODRIVER=dummy wine quorvex.exe -w) & pid=$!
  sleep 15
  kill -0 "$pid" || fail "Windows read-only folder: the show did not keep running"
  [ ! -e "$win/stdout.txt" ] || fail "Windows read-only folder: a stdout.txt appeared"
  wineserver -k; wait "$pid" || true
  ok "Windows in a read-only folder: runs without stdout.txt"
else
  echo "release check: no read-only bind mount here; read-only folder not checked" >&2
fi
ok "all passed; screenshots in $out"
