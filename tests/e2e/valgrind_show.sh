#!/usr/bin/env bash
# A short headless show under valgrind memcheck: no invalid reads or writes,
# no use of uninitialised values, from start-up through frames to the quit.
# Give it a build with the baseline SIMD target alone (QUORVEX_STATIC_SIMD):
# valgrind cannot run the SIMD library's own start-up. A second argument,
# RATE:CHANNELS, plays a track in that format instead of 48 kHz stereo (over
# sdl12-compat, converting one wrote past SDL's buffer).
#   valgrind_show.sh QUORVEX [RATE:CHANNELS]
# shellcheck source=SCRIPTDIR/common.sh
source "$(dirname "$0")/common.sh"
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$scratch/audio.raw"

cd "$scratch"
make_assets "$scratch"
if [ -n "${2:-}" ]; then
  sox -q -n -r "${2%:*}" -c "${2#*:}" -b 16 other.wav synth 4 sine 440 vol 0.5
  lame --quiet other.wav d/termite.mp3
fi
valgrind --error-exitcode=99 --errors-for-leak-kinds=none --log-file=valgrind.txt \
  "$quorvex" -w >out.txt 2>err.txt &
pid=$!
# Start-up under valgrind is slow (the stripe table); wait for frames, then quit.
logged_frames() { [ "$(wc -l <out.txt)" -ge 20 ]; }
wait_until 120 logged_frames || true
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
grep -E 'ERROR SUMMARY' valgrind.txt
[ "$status" -eq 0 ] || { cat valgrind.txt; fail "status $status under valgrind"; }
grep -q 'ERROR SUMMARY: 0 errors' valgrind.txt || { cat valgrind.txt; fail "valgrind found errors"; }
grep -q '^quorvex' err.txt && fail "$(cat err.txt)"
echo "valgrind: $(wc -l <out.txt) frames, no errors${2:+, a $2 track}"
