# shellcheck shell=bash disable=SC2154  # root, here, out, cache, dist, version and display come from check.sh
# The aarch64 release under qemu, in the arm64 root of scripts/arm64/root.sh:
# its lib/ (sdl12-compat and SDL2 for AArch64, found through $ORIGIN), glibc
# symbol versions, unit tests over that lib/, the show headless, in a window
# on Xvfb ended by Escape, and a bad picture. Sourced by check.sh, whose
# helpers it uses.

arm64_root=$("$root/scripts/arm64/root.sh")
arm=$out/quorvex-$version-linux-aarch64
tar -xzf "$dist/quorvex-$version-linux-aarch64.tar.gz"
for so in "$arm/quorvex" "$arm"/lib/*.so*; do
  aarch64-linux-gnu-readelf -h "$so" | grep -q 'Machine:.*AArch64' || fail "$(basename "$so") is not an AArch64 ELF file"
done
# What the loader maps, as ldd would print it.
qemu-aarch64-static -L "$arm64_root" -E LD_TRACE_LOADED_OBJECTS=1 "$arm/quorvex" > arm-ldd.txt
archive_libraries_ok aarch64 arm-ldd.txt "$arm" aarch64-linux-gnu-objdump
ok "aarch64: $(ls "$arm/lib" | tr '\n' ' ')AArch64 ELF, taken from lib/; no glibc symbol newer than 2.35"

# arm_run [VAR=VALUE...] -- ARGS...: the release under qemu with the settings,
# in place of the calling subshell (a signal to it reaches the program).
arm_run() {
  local vars=()
  while [ "$1" != -- ]; do vars+=("$1"); shift; done; shift
  cd "$arm" && exec env "${vars[@]}" qemu-aarch64-static -L "$arm64_root" ./quorvex "$@" \
    > "$out/arm-out.txt" 2> "$out/arm-err.txt"
}

# The unit tests, the fixed frame checksums among them, over the archive's lib/.
failed=0
for t in "$root"/build-release-linux-aarch64/tests/*_test; do
  (cd "$root/build-release-linux-aarch64/tests" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
    qemu-aarch64-static -L "$arm64_root" -E LD_LIBRARY_PATH="$arm/lib" "$t" --gtest_brief=1) \
    > "arm-$(basename "$t").log" 2>&1 || { failed=1; echo "FAILED: $(basename "$t")"; tail -n 30 "arm-$(basename "$t").log"; }
done
[ $failed -eq 0 ] || fail "aarch64 unit tests under qemu"
ok "aarch64 unit tests under qemu over lib/: $(cat arm-*_test.log | awk '/^\[  PASSED  \]/ { n++; t += $4 } END { print n " binaries, " t " tests" }') pass"

# Headless with disk audio (SDL refuses /dev/null as its output), ended by SIGTERM.
(arm_run SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out/arm-audio.raw" SDL_DISKAUDIODELAY=20 --) &
pid=$!
sleep 15
kill -TERM "$pid"
status=0; wait "$pid" || status=$?; pid=""
[ $status -eq 0 ] || fail "aarch64 headless: status $status after SIGTERM: $(head -c 300 arm-err.txt)"
why=$(frame_log_ok arm-out.txt) || fail "aarch64 headless: bad log lines: $why"
ok "aarch64 headless: $(wc -l < arm-out.txt) log lines, status 0 on SIGTERM"

# A window on Xvfb, ended by Escape; its rate and processor time under qemu,
# with vsync and without (an emulated processor rarely outruns the display).
for sync in 1 0; do
  (arm_run SDL_AUDIODRIVER=dummy SDL12COMPAT_SYNC_TO_VBLANK=$sync -- -w) &
  pid=$!
  wid=$(find_window) || fail "aarch64 window: no window titled QUORVEX"
  sleep 4
  before=$(awk '{ print $14 + $15 }' "/proc/$pid/stat")  # qemu, which the subshell became
  sleep 8
  after=$(awk '{ print $14 + $15 }' "/proc/$pid/stat")
  [ $sync = 0 ] || shoot aarch64-window.png
  press_escape "$wid"
  status=0; wait "$pid" || status=$?; pid=""
  [ $status -eq 0 ] || fail "aarch64 window: status $status on Escape: $(head -c 300 arm-err.txt)"
  why=$(frame_log_ok arm-out.txt) || fail "aarch64 window: bad log lines: $why"
  ok "aarch64 window under qemu, SDL12COMPAT_SYNC_TO_VBLANK=$sync: status 0 on Escape, $(tail -n 1 arm-out.txt |
    awk '{ print $3 }') fps on $(awk -v a="$before" -v b="$after" -v hz="$(getconf CLK_TCK)" \
    'BEGIN { printf "%.2f", (b - a) / hz / 8 }') s of processor per second"
done

# A zero-byte picture: the Debian build's line and status.
: > "$arm/d/kelpi.jpg"
status=0; (arm_run SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy --) || status=$?
[ $status -eq 1 ] && cmp -s arm-err.txt debian/err.txt && cmp -s arm-out.txt debian/out.txt ||
  fail "aarch64 bad asset: status $status, $(cat arm-err.txt)"
ok "aarch64 bad asset: \"$(cat debian/err.txt)\", status 1, as the Debian build"
cp "$root/d/kelpi.jpg" "$arm/d/kelpi.jpg"

# Run beside the Linux part, the sound waits for its end (see check.sh).
if [ -n "${QUORVEX_CHECK_SOUND_AFTER:-}" ]; then
  wait_until 1800 test -e "$QUORVEX_CHECK_SOUND_AFTER" || fail "the Linux part beside has not ended"
  ok "aarch64: the Linux part beside has ended; the sound checks follow"
fi
# The sound through the null sink, of the show's track and of the others.
arm_sound() {
  (arm_run SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER= PULSE_SERVER="unix:$out/pulse/native" --) & pid=$!
  sleep 14
  kill -TERM "$pid"; wait "$pid" || true; pid=""
}
for format in termite "${other_tracks[@]}"; do
  [ $format = termite ] || cp "track-$format.mp3" "$arm/d/termite.mp3"
  heard "arm-sound-$format" arm_sound
  [ ! -s arm-err.txt ] || fail "aarch64: a $format track: $(cat arm-err.txt)"
  ok "aarch64 sound, $([ $format = termite ] && echo "the show's track" || echo "a $format track"): $heard"
done
cp "$root/d/termite.mp3" "$arm/d/termite.mp3"
