#!/usr/bin/env bash
# Checks the release archives in DIST_DIR, each in a part of its own:
# check-linux.sh (the x86-64 program in minimal Debian 12 and 13 chroots),
# check-windows.sh (under Wine) and check-aarch64.sh (under qemu), all on one
# X server and one sound server started here. Every program must give the
# Debian build's line and status on a bad picture. Screenshots and logs land
# in build-release-check/ (the aarch64 part's in build-release-check/aarch64/
# when all three run).
# Usage: check.sh VERSION DIST_DIR [PART...]   (DIST_DIR an absolute path;
# the parts linux, windows, aarch64, all by default)
# shellcheck source-path=SCRIPTDIR  # the parts sourced below sit beside this file
set -euo pipefail
version=$1 dist=$2
parts=${*:3}
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=SCRIPTDIR/../lib/common.sh
. "$here/../lib/common.sh"
root=$project_dir
cache=${QUORVEX_CACHE:-/var/cache/quorvex}/release
out=${QUORVEX_CHECK_DIR:-$root/build-release-check}
rm -rf "$out"
mkdir -p "$out"
cd "$out"

fail_prefix="release check FAILED"
ok() { echo "release check [${SECONDS} s]: $*"; }

xvfb_pid="" pulse_pid="" weston_pid="" chroot_dir="" mounted=() pid="" beside=""
cleanup() {
  set +e
  [ -n "$beside" ] && kill "$beside" 2>/dev/null && wait "$beside" 2>/dev/null
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  [ -n "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -R "${mounted[i]}" 2>/dev/null || umount -R -l "${mounted[i]}"; done
  for p in $weston_pid $pulse_pid; do kill "$p" 2>/dev/null; done
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT
trap 'exit 143' TERM

# With all three parts asked for, aarch64 runs beside the Linux one, in a run
# of its own with its own X and sound servers: it emulates one program at a
# time and bounds no frame rate, and the Linux part's bounds need no more than
# the core it leaves them. Windows, whose Direct3D draws in software on every
# core it finds, runs after both. The aarch64 run's output follows Linux's.
# Its sound checks wait for the Linux part's end (linux.done): under qemu the
# show draws on one core and decodes and resamples the track on the other,
# and with a Linux show drawing unpaced beside it the track broke up (a
# 44.1 kHz mono one scored 0.44).
if [ -z "$parts" ]; then
  QUORVEX_CHECK_DIR=$out/aarch64 QUORVEX_CHECK_SOUND_AFTER=$out/linux.done \
    "$here/check.sh" "$version" "$dist" aarch64 > aarch64.log 2>&1 &
  beside=$!
  parts="linux windows"
fi
# join_beside: waits for the aarch64 run beside, shows its output and fails
# if it failed.
join_beside() {
  [ -n "$beside" ] || return 0
  local status=0
  wait "$beside" || status=$?
  beside=""
  sed 's/^/  aarch64: /' aarch64.log
  [ $status -eq 0 ] || fail "the aarch64 part (its output above, in $out/aarch64.log)"
}

# An X server of our own for both programs' windows, on a free display number.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3> xvfb-display.txt >/dev/null 2>&1 &
xvfb_pid=$!
wait_until 10 test -s xvfb-display.txt || true
display=:$(head -n 1 xvfb-display.txt)
[ "$display" != : ] || fail "Xvfb did not start"
export DISPLAY=$display

shoot() { ffmpeg -loglevel error -y -f x11grab -video_size 1024x768 -i "$display" -frames:v 1 "$1"; }
# find_window: the id of the window titled QUORVEX, waiting up to 2 minutes.
find_window() { show_window 120; }
# archive_libraries_ok NAME LDD_OUTPUT DIR OBJDUMP: the program unpacked in DIR
# asks (by the loader's LDD_OUTPUT) for glibc and its lib/ alone, takes SDL
# from lib/, and neither it nor lib/ needs a glibc symbol newer than 2.35
# (Ubuntu 22.04's), as OBJDUMP reads them.
archive_libraries_ok() {
  local name=$1 ldd=$2 dir=$3 objdump=$4 so newest
  grep -Ev 'linux-vdso|ld-linux|lib(c|m|dl|pthread|rt)\.so|=> '"$dir"'/lib/libSDL-1\.2\.so\.0' "$ldd" &&
    fail "the $name program needs more than glibc and its lib/"
  grep -q "=> $dir/lib/libSDL-1.2.so.0" "$ldd" || fail "the $name program does not take SDL from its lib/"
  for so in "$dir/quorvex" "$dir"/lib/*.so*; do
    newest=$($objdump -T "$so" | grep -o 'GLIBC_[0-9.]*' | sort -Vu | tail -n 1)
    [ "$(printf '%s\nGLIBC_2.35\n' "$newest" | sort -V | tail -n 1)" = GLIBC_2.35 ] || fail "$(basename "$so") needs $newest"
  done
}
# log_rates LOG: the smoothed rate at the end of a frame log and the best it
# reached after its first 100 frames.
log_rates() { awk 'NR > 100 && $3 > best { best = $3 } { last = $3 } END { print last, best }' "$1"; }
# escape_window PID: waits for the window titled QUORVEX, takes screenshots
# NAME-1.png ... as it plays, then presses and releases Escape.
escape_window() {
  local name=$1 wid
  wid=$(find_window) || fail "$name: no window titled QUORVEX"
  for i in 1 2 3; do sleep 4; shoot "$name-$i.png"; done
  press_escape "$wid"
}

# A sound server with one null sink whose monitor the checks record; the
# chroots reach it, and the Wayland compositor, through their sockets.
mkdir -m 700 run pulse
export XDG_RUNTIME_DIR=$out/run
pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --use-pid-file=no \
  -L "module-null-sink sink_name=quorvex rate=48000" \
  -L "module-native-protocol-unix socket=$out/pulse/native auth-anonymous=1" > pulse.txt 2>&1 &
pulse_pid=$!
wait_until 10 test -S pulse/native || fail "PulseAudio did not start: $(cat pulse.txt)"
ffmpeg -v error -i "$root/d/termite.mp3" -t 8 -ac 1 -ar 8000 -f s16le -y track.raw
# The show's own track in other formats, which each program must play too
# (heard.py knows them by the track's loudness): 44.1 kHz mono, 32 kHz stereo.
other_tracks=(44100-1 32000-2)
for format in "${other_tracks[@]}"; do
  ffmpeg -v error -i "$root/d/termite.mp3" -t 20 -ar "${format%-*}" -ac "${format#*-}" -c:a libmp3lame -b:a 96k \
    -y "track-$format.mp3"
done
# heard NAME COMMAND...: runs COMMAND while recording the null sink into
# NAME.raw; fails unless the recording carries the track. Leaves the score in $heard.
heard() {
  local name=$1 rec; shift
  parec -s "unix:$out/pulse/native" -d quorvex.monitor --format=s16le --rate=8000 --channels=1 > "$name.raw" &
  rec=$!
  sleep 0.5
  "$@"
  kill "$rec"; wait "$rec" 2>/dev/null || true
  heard=$(python3 "$here/heard.py" "$name.raw" track.raw) || fail "$name: the track is not heard: $heard"
}

# The Debian build's line and status on a zero-byte picture, which every
# release must match.
mkdir -p debian/d && cp -r "$root/d/." debian/d/ && : > debian/d/kelpi.jpg
deb_status=0; (cd debian && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$root/build/quorvex" > out.txt 2> err.txt) || deb_status=$?
[ $deb_status -eq 1 ] || fail "bad asset: the Debian build gave status $deb_status"

# The parts asked for, each in a file of its own beside this one.
for part in $parts; do
  case $part in
    linux)
      # shellcheck source=check-linux.sh
      . "$here/check-linux.sh"
      touch "$out/linux.done" ;;
    windows)
      join_beside
      # shellcheck source=check-windows.sh
      . "$here/check-windows.sh" ;;
    aarch64)
      # shellcheck source=check-aarch64.sh
      . "$here/check-aarch64.sh" ;;
    *) fail "no part $part: the parts are linux, windows and aarch64" ;;
  esac
done
join_beside
ok "all passed; screenshots in $out"
