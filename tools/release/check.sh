#!/usr/bin/env bash
# Checks the release archives in DIST_DIR: the x86-64 Linux program's
# libraries and glibc symbol versions; that build's unit tests and the show in
# a minimal Debian 12 chroot and in Debian 13 (headless, in a window paced by
# the display, full screen, under Wayland, its sound heard); the Windows
# build's unit tests and the show under Wine on Xvfb; the same error on a bad
# asset as the Debian build. Screenshots land in build-release-check/.
# Usage: check.sh VERSION DIST_DIR   (DIST_DIR an absolute path)
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

xvfb_pid="" pulse_pid="" weston_pid="" chroot_dir="" mounted=() pid=""
cleanup() {
  set +e
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  [ -n "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -R "${mounted[i]}" 2>/dev/null || umount -R -l "${mounted[i]}"; done
  for p in $weston_pid $pulse_pid; do kill "$p" 2>/dev/null; done
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
# find_window: the id of the window titled QUORVEX, waiting up to 2 minutes for
# it. xdotool's own --sync wait dies on the X error of a window that goes away
# while it looks (a window manager starting, SDL setting up), so ask again.
find_window() {
  local wid="" _
  for _ in $(seq 120); do
    wid=$(xdotool search --name '^QUORVEX$' 2>/dev/null | head -n 1) && [ -n "$wid" ] && { echo "$wid"; return 0; }
    sleep 1
  done
  return 1
}
# escape_window PID: waits for the window titled QUORVEX, takes screenshots
# NAME-1.png ... as it plays, then presses and releases Escape.
escape_window() {
  local name=$1 wid
  wid=$(find_window) || fail "$name: no window titled QUORVEX"
  for i in 1 2 3; do sleep 4; shoot "$name-$i.png"; done
  xdotool windowfocus --sync "$wid" 2>/dev/null || true
  xdotool keydown Escape; sleep 0.3; xdotool keyup Escape
}

# ---- Linux: the libraries the program asks for and its glibc symbol versions.
tar -xzf "$dist/quorvex-$version-linux-x86_64.tar.gz"
lin=$out/quorvex-$version-linux-x86_64
ldd "$lin/quorvex" > ldd.txt || true
grep -Ev 'linux-vdso|ld-linux|lib(c|m|dl|pthread|rt)\.so|=> '"$lin"'/lib/libSDL-1\.2\.so\.0' ldd.txt &&
  fail "the Linux program needs more than glibc and its lib/"
grep -q "=> $lin/lib/libSDL-1.2.so.0" ldd.txt || fail "the Linux program does not take SDL from its lib/"
for so in "$lin/quorvex" "$lin"/lib/*.so*; do
  newest=$(objdump -T "$so" | grep -o 'GLIBC_[0-9.]*' | sort -Vu | tail -n 1)
  [ "$(printf '%s\nGLIBC_2.35\n' "$newest" | sort -V | tail -n 1)" = GLIBC_2.35 ] || fail "$(basename "$so") needs $newest"
done
ok "ldd: $(awk '{print $1}' ldd.txt | tr '\n' ' '); no glibc symbol newer than 2.35 in the program or lib/"

# A sound server with one null sink whose monitor the checks record; the
# chroots reach it, and the Wayland compositor, through their sockets.
mkdir -m 700 run pulse
export XDG_RUNTIME_DIR=$out/run
pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --use-pid-file=no \
  -L "module-null-sink sink_name=quorvex rate=48000" \
  -L "module-native-protocol-unix socket=$out/pulse/native auth-anonymous=1" > pulse.txt 2>&1 &
pulse_pid=$!
for _ in $(seq 100); do [ -S pulse/native ] && break; sleep 0.1; done
[ -S pulse/native ] || fail "PulseAudio did not start: $(cat pulse.txt)"
ffmpeg -v error -i "$root/d/termite.mp3" -t 8 -ac 1 -ar 8000 -f s16le -y track.raw

# chroot_mounts DIR: what the program needs in the chroot DIR: /proc, /dev,
# the X, Wayland and sound servers' sockets.
chroot_mounts() {
  local dir=$1
  mkdir -p "$dir/tmp/.X11-unix" "$dir/run/wayland" "$dir/run/pulse"
  mount -t proc proc "$dir/proc" && mounted+=("$dir/proc")
  mount --rbind /dev "$dir/dev" && mount --make-rslave "$dir/dev" && mounted+=("$dir/dev")
  mount --bind /tmp/.X11-unix "$dir/tmp/.X11-unix" && mounted+=("$dir/tmp/.X11-unix")
  mount --bind "$out/run" "$dir/run/wayland" && mounted+=("$dir/run/wayland")
  mount --bind "$out/pulse" "$dir/run/pulse" && mounted+=("$dir/run/pulse")
  mkdir -p "$dir$root"  # the project, where the unit tests look for it
  mount --bind "$root" "$dir$root" && mounted+=("$dir$root") && mount -o remount,ro,bind "$dir$root"
}
# in_chroot ARGS...: runs ARGS in $chroot_dir in place of the calling (sub)shell,
# so that a signal to its process id reaches the program itself.
in_chroot() { exec chroot "$chroot_dir" /usr/bin/env -i PATH=/usr/bin:/bin HOME=/tmp SDL_AUDIODRIVER=disk \
  SDL_DISKAUDIOFILE=/tmp/audio.raw SDL_DISKAUDIODELAY=20 "$@"; }
# show_for SECONDS OPTIONS [VAR=VALUE...]: the show in the chroot for SECONDS
# with OPTIONS and the environment settings, ended by SIGTERM; its frame log
# in $chroot_dir/tmp/out.txt. Leaves in cpu.txt the processor seconds it used
# per second from 3 s in to 1 s before the end (after the start-up work).
show_for() {
  local seconds=$1 options=$2 status=0 show before after; shift 2
  (in_chroot "$@" /bin/sh -c "cd /opt/quorvex && exec timeout -s TERM $seconds ./quorvex $options \
      > /tmp/out.txt 2> /tmp/err.txt") &
  pid=$!
  sleep 3
  show=$(pgrep -P "$pid" -x quorvex) || fail "$name: the show did not start: $(cat "$chroot_dir/tmp/err.txt")"
  before=$(awk '{ print $14 + $15 }' "/proc/$show/stat")
  sleep $((seconds - 4))
  after=$(awk '{ print $14 + $15 }' "/proc/$show/stat")
  awk -v a="$before" -v b="$after" -v hz="$(getconf CLK_TCK)" -v s=$((seconds - 4)) \
    'BEGIN { printf "%.3f\n", (b - a) / hz / s }' > cpu.txt
  wait "$pid" || status=$?; pid=""
  [ $status -eq 124 ] || [ $status -eq 0 ] || fail "$name: status $status: $(cat "$chroot_dir/tmp/err.txt")"
  log_lines_ok "$chroot_dir/tmp/out.txt" || fail "$name: bad log lines"
}
# rates: the smoothed rate at the end of the last run's frame log, the best it
# reached after its first 100 frames, and CPU seconds per second of show.
rates() {
  awk 'NR > 100 && $3 > best { best = $3 } { last = $3 } END { printf "%s %s ", last, best }' "$chroot_dir/tmp/out.txt"
  cat cpu.txt
}

# linux_checks NAME: the Linux release unpacked in $chroot_dir/opt/quorvex: the
# unit tests over its lib/, then the show headless, in a window paced by the
# display and not, full screen, under Wayland alone and with its sound
# recorded. NAME starts the names of its screenshots and logs.
linux_checks() {
  name=$1
  rm -rf "$chroot_dir/opt/quorvex"
  mkdir -p "$chroot_dir/opt/quorvex"
  tar -xzf "$dist/quorvex-$version-linux-x86_64.tar.gz" -C "$chroot_dir/opt/quorvex" --strip-components=1

  # The unit tests, the fixed frame checksums among them, over the archive's SDL.
  local t failed=0 passed
  for t in "$root"/build-release-linux/tests/*_test; do
    chroot "$chroot_dir" /usr/bin/env -i PATH=/usr/bin:/bin HOME=/tmp SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
      LD_LIBRARY_PATH=/opt/quorvex/lib "$t" --gtest_brief=1 > "$name-$(basename "$t").log" 2>&1 ||
      { failed=1; echo "FAILED: $(basename "$t")"; tail -n 30 "$name-$(basename "$t").log"; }
  done
  [ $failed -eq 0 ] || fail "$name: unit tests"
  passed=$(cat "$name"-*_test.log | awk '/^\[  PASSED  \]/ { n++; t += $4 } END { print n " binaries, " t " tests" }')
  ok "$name unit tests over sdl12-compat and SDL2 from lib/: $passed pass"

  (in_chroot SDL_VIDEODRIVER=dummy /bin/sh -c 'cd /opt/quorvex && exec ./quorvex > /tmp/out.txt 2> /tmp/err.txt') &
  pid=$!
  sleep 8
  kill -TERM "$pid"
  status=0; wait "$pid" || status=$?; pid=""
  [ $status -eq 0 ] || fail "$name headless: status $status after SIGTERM: $(cat "$chroot_dir/tmp/err.txt")"
  log_lines_ok "$chroot_dir/tmp/out.txt" || fail "$name headless: bad log lines"
  ok "$name headless: $(wc -l < "$chroot_dir/tmp/out.txt") log lines, status 0 on SIGTERM"

  (in_chroot DISPLAY="$display" /bin/sh -c 'cd /opt/quorvex && exec ./quorvex -w > /tmp/out.txt 2> /tmp/err.txt') &
  pid=$!
  escape_window "$name"
  status=0; wait "$pid" || status=$?; pid=""
  [ $status -eq 0 ] || fail "$name window: status $status: $(cat "$chroot_dir/tmp/err.txt")"
  log_lines_ok "$chroot_dir/tmp/out.txt" || fail "$name window: bad log lines"
  ok "$name window: status 0 on Escape"

  # Xvfb's display runs at 60 Hz: paced by it the show draws 50-70 frames a
  # second; told not to wait it runs far faster, on far more processor time.
  local paced paced_cpu raw_last raw raw_cpu
  show_for 8 -w DISPLAY="$display"
  read -r paced _ paced_cpu <<<"$(rates)"
  show_for 8 -w DISPLAY="$display" SDL12COMPAT_SYNC_TO_VBLANK=0
  read -r raw_last raw raw_cpu <<<"$(rates)"
  awk -v f="$paced" 'BEGIN { exit !(f >= 50 && f <= 70) }' || fail "$name: not paced by the display: $paced fps"
  awk -v f="$raw" 'BEGIN { exit !(f > 90) }' || fail "$name: SDL12COMPAT_SYNC_TO_VBLANK=0 not kept: at best $raw fps"
  # Under Xvfb every frame is put on screen in software (about 4 ms of SDL2's
  # time), so the saving is smaller here than on a desktop with a GPU.
  awk -v p="$paced_cpu" -v r="$raw_cpu" 'BEGIN { exit !(p * 2 <= r) }' ||
    fail "$name: paced it used $paced_cpu s of processor a second, unpaced $raw_cpu"
  ok "$name vsync: $paced fps on $paced_cpu s of processor per second of show; unpaced $raw_last fps (best $raw) on $raw_cpu s"

  # Full screen under a window manager fills the 1024x768 screen.
  openbox > openbox.txt 2>&1 & local wm=$!
  (in_chroot DISPLAY="$display" /bin/sh -c 'cd /opt/quorvex && exec ./quorvex > /tmp/out.txt 2> /tmp/err.txt') &
  pid=$!
  local wid geometry
  wid=$(find_window) || fail "$name full screen: no window"
  sleep 4
  geometry=$(xwininfo -id "$wid" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
  shoot "$name-full-screen.png"
  kill -TERM "$pid"; wait "$pid" || true; pid=""
  kill "$wm"; wait "$wm" 2>/dev/null || true
  [ "$geometry" = 1024x768 ] || fail "$name full screen: a $geometry window on the 1024x768 screen"
  ok "$name full screen: fills the 1024x768 screen"

  # Wayland alone: no X display to fall back on. The compositor is weston
  # nested in the X server.
  weston --backend=x11-backend.so --use-pixman --width=1024 --height=768 --socket=quorvex-release --idle-time=0 \
    > weston.txt 2>&1 &
  weston_pid=$!
  for _ in $(seq 100); do [ -S run/quorvex-release ] && break; sleep 0.1; done
  [ -S run/quorvex-release ] || fail "weston did not start: $(cat weston.txt)"
  (sleep 4; shoot "$name-wayland.png") & local shot=$!
  show_for 6 -w XDG_RUNTIME_DIR=/run/wayland WAYLAND_DISPLAY=quorvex-release
  wait "$shot"
  kill "$weston_pid"; wait "$weston_pid" 2>/dev/null || true; weston_pid=""
  ok "$name under Wayland alone: $(wc -l < "$chroot_dir/tmp/out.txt") log lines"

  # The sound, through the null sink: the recording carries the track.
  parec -s "unix:$out/pulse/native" -d quorvex.monitor --format=s16le --rate=8000 --channels=1 > sound.raw &
  local rec=$!
  sleep 0.5
  show_for 7 "" PULSE_SERVER=unix:/run/pulse/native SDL_AUDIODRIVER= SDL_VIDEODRIVER=dummy
  kill "$rec"; wait "$rec" 2>/dev/null || true
  heard=$(python3 "$here/heard.py" sound.raw track.raw) || fail "$name sound: the track is not heard: $heard"
  ok "$name sound: $heard"
}

# ---- Linux: a minimal Debian 12 with only a desktop's client libraries: X11,
# Wayland, OpenGL (Mesa) and sound.
client_libs=libx11-6,libxext6,libxcursor1,libxi6,libxrandr2,libxfixes3,libxss1,libasound2,libpulse0,libgl1,libegl1,libgl1-mesa-dri,libwayland-client0,libwayland-cursor0,libwayland-egl1,libxkbcommon0
chroot_dir=$cache/chroot-bookworm-minbase-$(echo "$client_libs" | sha256sum | cut -c1-8)
if [ ! -f "$chroot_dir/.done" ]; then
  rm -rf "$cache"/chroot-bookworm-minbase*
  # The same archive this machine installs from.
  mirror=$("$root/tools/debian-mirror.sh")
  debootstrap --variant=minbase --include="$client_libs" bookworm "$chroot_dir" "$mirror" \
    > debootstrap.txt 2>&1 || fail "debootstrap, see $out/debootstrap.txt"
  touch "$chroot_dir/.done"
fi
chroot_mounts "$chroot_dir"
linux_checks linux-debian12

# bad_asset_line DIR: the one-line error for a zero-byte picture, from the Debian build.
: > "$chroot_dir/opt/quorvex/d/kelpi.jpg"
status=0; (in_chroot /bin/sh -c 'cd /opt/quorvex && SDL_VIDEODRIVER=dummy exec ./quorvex > /tmp/out.txt 2> /tmp/err.txt') || status=$?
mkdir -p debian/d && cp -r "$root/d/." debian/d/ && : > debian/d/kelpi.jpg
deb_status=0; (cd debian && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$root/build/quorvex" > out.txt 2> err.txt) || deb_status=$?
[ $status -eq 1 ] && [ $deb_status -eq 1 ] || fail "bad asset: status $status (Debian build $deb_status)"
cmp -s "$chroot_dir/tmp/err.txt" debian/err.txt && cmp -s "$chroot_dir/tmp/out.txt" debian/out.txt ||
  fail "bad asset: Linux release says $(cat "$chroot_dir/tmp/err.txt"), Debian build $(cat debian/err.txt)"
ok "Linux bad asset: $(cat debian/err.txt), status 1, as the Debian build"

# ---- Linux on Debian 13: in a throwaway layer over tools/test-debian13.sh's
# cached chroot (CI runs that first).
d13=$(ls -d "${QUORVEX_CACHE:-/var/cache/quorvex}"/debian13/trixie-*/.done 2>/dev/null | head -n 1 || true)
if [ -n "$d13" ]; then
  layer=$out/debian13
  mkdir -p "$layer/upper" "$layer/work" "$layer/root"
  mount -t overlay overlay -o "lowerdir=$(dirname "$d13"),upperdir=$layer/upper,workdir=$layer/work" "$layer/root" &&
    mounted+=("$layer/root")
  chroot_dir=$layer/root
  chroot_mounts "$chroot_dir"
  linux_checks linux-debian13
else
  echo "release check: no cached Debian 13 chroot (tools/test-debian13.sh makes it); Debian 13 not checked" >&2
fi
for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -R "${mounted[i]}" 2>/dev/null || umount -R -l "${mounted[i]}"; done
mounted=()

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
ok "Windows window under Wine: $(wc -l < win-log.txt) lines in stdout.txt ($(tail -n 1 win-log.txt | awk '{ print $3 }') fps, classic SDL 1.2), status 0 on Escape"

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
