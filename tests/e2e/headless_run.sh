#!/usr/bin/env bash
# A complete headless show: frames are logged in the right format, the music
# reaches the audio output, SIGTERM ends it with status 0; without a track or
# without an audio device it runs silent with one warning.
# shellcheck source=SCRIPTDIR/common.sh
source "$(dirname "$0")/common.sh"
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$scratch/audio.raw"

cd "$scratch"
make_assets "$scratch"
run_for 3 -w
[ "$status" -eq 0 ] || fail "status $status after SIGTERM: $(cat err.txt)"
check_frame_log
read -r first_frame _ <out.txt
[ "$first_frame" -ge 0 ] || fail "first frame time $first_frame"
# The disk audio driver announces itself, in its own words on each library;
# anything else on standard error is ours.
case $sdl_impl in
  classic) banner=(-e 'SDL disk writer' -e 'Writing to file') ;;
  compat) banner=(-e '^CRITICAL: You are using the SDL disk i/o audio driver!$' -e '^CRITICAL:  Writing to file') ;;
esac
own_errors() { grep -v "${banner[@]}" -e '^ *$' err.txt || true; }
[ -z "$(own_errors)" ] || fail "unexpected standard error: $(own_errors)"
[ -s audio.raw ] || fail "nothing reached the audio output"
peak=$(sox -t raw -r 48000 -e signed -b 16 -c 2 audio.raw -n stat 2>&1 | awk '/Maximum amplitude/ {print $3}')
awk -v p="$peak" 'BEGIN { exit !(p > 0.3) }' || fail "the audio output is silent (peak $peak)"

rm d/termite.mp3 audio.raw
run_for 2 -w
[ "$status" -eq 0 ] || fail "without a track: status $status"
check_frame_log
[ "$(own_errors | wc -l)" -eq 1 ] && own_errors | grep -q 'warning.*d/termite.mp3' ||
  fail "without a track: expected one warning, got: $(own_errors)"
# No audio device at all: the show runs silent with one warning.
SDL_AUDIODRIVER=no-such-driver run_for 2 -w
[ "$status" -eq 0 ] || fail "without an audio device: status $status"
check_frame_log
[ "$(wc -l <err.txt)" -eq 1 ] && grep -q 'warning: no sound' err.txt ||
  fail "without an audio device: expected one warning, got: $(cat err.txt)"
echo "headless run: ok"
