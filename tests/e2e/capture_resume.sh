#!/usr/bin/env bash
# quorvex-capture --resume: a 12-second --video capture killed with SIGKILL,
# or stopped with SIGINT, part way through, then resumed, gives the frames and
# the sound of an uninterrupted capture exactly; an unfinished capture is
# never overwritten or resumed with other settings.
# shellcheck source=SCRIPTDIR/common.sh
source "$(dirname "$0")/common.sh"
capture=$quorvex
cd "$scratch"
make_assets "$scratch"
# A rising tone on the left and noise on the right all through the stretch,
# so every sample of the sound counts and the encoder needs its bits.
sox -q -n -r 48000 -c 2 -b 16 sweep.wav synth 13 sine 200-2000 whitenoise vol 0.4
lame --quiet -b 192 sweep.wav d/termite.mp3
# 120 frames at 10 fps: a segment of 100 frames and one of 20.
args=(--to 12000 --fps 10)

"$capture" "${args[@]}" --video full.mp4 >/dev/null 2>err.txt || fail "uninterrupted capture: $(cat err.txt)"
# Decoded frames and sound, as checksums.
decoded() {
  ffmpeg -loglevel error -i "$1" -map 0:v -f framemd5 - | grep -v '^#' | awk '{ print $NF }' | md5sum
  ffmpeg -loglevel error -i "$1" -map 0:a -f s16le - | md5sum
}
expected=$(decoded full.mp4)
# The AAC encoder's rate varies around the 384 kbps asked (355 kbps here, 411 on the show's music).
rate=$(ffprobe -v error -select_streams a -show_entries stream=bit_rate -of csv=p=0 full.mp4)
awk -v b="$rate" 'BEGIN { exit !(b > 320000 && b < 450000) }' || fail "the sound is at $rate bit/s, not about 384k"

# interrupt SIGNAL: starts a capture of cut.mp4 and sends SIGNAL once the
# second segment is under way, then resumes it and compares.
interrupt() {
  rm -f cut.mp4
  "$capture" "${args[@]}" --video cut.mp4 >/dev/null 2>err.txt &
  local pid=$! status=0
  for _ in $(seq 1200); do
    compgen -G 'cut.mp4.parts/seg-000001.mp4.*.partial' >/dev/null && break
    sleep 0.02
  done
  kill -"$1" "$pid" 2>/dev/null || fail "$1: the capture had already ended"
  { wait "$pid"; } 2>/dev/null || status=$?
  [ "$status" -ne 0 ] || fail "$1: the capture finished before the signal"
  [ -s cut.mp4.parts/seg-000000.mp4 ] && [ ! -e cut.mp4 ] || fail "$1: $(ls cut.mp4*)"
  # Without --resume, or with other settings, the unfinished capture is left alone.
  status=0
  "$capture" "${args[@]}" --video cut.mp4 >/dev/null 2>err.txt || status=$?
  [ "$status" -eq 1 ] && grep -q -- --resume err.txt || fail "$1: restarted over the parts: $(cat err.txt)"
  status=0
  "$capture" "${args[@]}" --crf 30 --resume --video cut.mp4 >/dev/null 2>err.txt || status=$?
  [ "$status" -eq 1 ] && grep -q 'other settings' err.txt || fail "$1: resumed other settings: $(cat err.txt)"
  "$capture" "${args[@]}" --resume --video cut.mp4 >out.txt 2>err.txt || fail "$1: resume: $(cat err.txt)"
  grep -q '^quorvex-capture: 20 frames' out.txt || fail "$1: did not resume at frame 100: $(cat out.txt)"
  [ "$(decoded cut.mp4)" = "$expected" ] || fail "$1: the resumed capture differs from the uninterrupted one"
  [ ! -e cut.mp4.parts ] || fail "$1: the parts were left behind"
}
interrupt KILL
interrupt INT
echo "capture resume: ok"
