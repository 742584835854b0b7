#!/usr/bin/env bash
# quorvex-capture --video: an MP4 with H.264 High and AAC at 48 kHz of the
# stretch's length, whose sound at each moment is what the live show plays
# then; nothing is left behind when it fails.
# shellcheck source=SCRIPTDIR/common.sh
source "$(dirname "$0")/common.sh"
capture=$quorvex
cd "$scratch"
make_assets "$scratch"
export TMPDIR=$scratch/tmp
mkdir -p "$TMPDIR"

# The track: 1 s of silence, then a 50 ms burst. The live decoder plays 2,257
# samples of silence before the first sample ffmpeg would decode (the LAME
# info frame and the encoder delay), so the burst is heard at 1,047.0 ms of
# the show, and at 547.0 ms into a capture from 500 ms.
sox -q -n -r 48000 -c 2 -b 16 burst.wav synth 0.05 square 300 vol 0.7 pad 1 0.95
lame --quiet -b 192 burst.wav d/termite.mp3

"$capture" --from 500 --to 2000 --fps 25 --video out.mp4 >out.txt 2>err.txt ||
  fail "video capture: $(cat err.txt)"
[ -s out.mp4 ] || fail "no video"
probe() { ffprobe -v error -select_streams "$1" -show_entries "$2" -of csv=p=0 out.mp4; }
[ "$(probe v stream=codec_name,profile,pix_fmt,width,height,r_frame_rate)" = "h264,High,800,600,yuv420p,25/1" ] ||
  fail "video stream: $(probe v stream=codec_name,profile,pix_fmt,width,height,r_frame_rate)"
[ "$(probe a stream=codec_name,sample_rate,channels)" = "aac,48000,2" ] ||
  fail "audio stream: $(probe a stream=codec_name,sample_rate,channels)"
# 38 frames (500, 540, ..., 1980 ms) at 25 fps: 1.52 s of picture and of sound.
frames=$(ffprobe -v error -count_frames -select_streams v -show_entries stream=nb_read_frames -of csv=p=0 out.mp4)
[ "$frames" = 38 ] || fail "$frames video frames, expected 38"
for stream in v a; do
  duration=$(probe "$stream" stream=duration)
  awk -v d="$duration" 'BEGIN { exit !(d > 1.49 && d < 1.55) }' || fail "stream $stream lasts $duration s"
done
# The index is at the front (faststart): the moov box comes before mdat.
head -c 65536 out.mp4 >front.bin
grep -q moov front.bin || fail "the index is not at the front"

# Where the burst is heard, to the millisecond.
ffmpeg -loglevel error -i out.mp4 -map 0:a -f s16le -ac 1 -ar 48000 sound.raw
# (awk reads to the end: an early exit would fail od's write under pipefail)
onset=$(od -An -v -td2 -w2 sound.raw | awk '{ v = $1 < 0 ? -$1 : $1; if (v > 8000 && !n) n = NR } END { if (n) print n - 1 }')
[ -n "$onset" ] || fail "the burst is not heard at all"
awk -v s="$onset" 'BEGIN { ms = s / 48; exit !(ms > 544 && ms < 550) }' ||
  fail "the burst is heard at $((onset / 48)) ms, expected 547"

[ -z "$(ls "$TMPDIR")" ] || fail "temporary files left: $(ls "$TMPDIR")"
[ ! -e out.mp4.partial ] || fail "the partial file was left"

# Failures: no ffmpeg, an output that cannot be written; nothing left either way.
status=0
env PATH=/nonexistent "$capture" --to 500 --video nope.mp4 >out.txt 2>err.txt || status=$?
[ "$status" -eq 1 ] && grep -q ffmpeg err.txt && [ "$(wc -l <err.txt)" -eq 1 ] ||
  fail "without ffmpeg: status $status, $(cat err.txt)"
status=0
"$capture" --to 500 --video missing/out.mp4 >out.txt 2>err.txt || status=$?
[ "$status" -eq 1 ] && grep -q 'missing/out.mp4' err.txt && [ "$(wc -l <err.txt)" -eq 1 ] ||
  fail "unwritable output: status $status, $(cat err.txt)"
[ ! -e nope.mp4 ] && [ ! -e nope.mp4.partial ] || fail "a file was left without ffmpeg"
[ -z "$(ls "$TMPDIR")" ] || fail "temporary files left after failures: $(ls "$TMPDIR")"

# Without a track the show is silent, and so is its video; a track in
# another format than 48 kHz stereo is left silent too, with the reason.
silent_capture() {
  "$capture" --to 400 --fps 10 --video silent.mp4 >out.txt 2>err.txt || fail "silent capture ($1): $(cat err.txt)"
  grep -q "warning: no sound.*$2" err.txt || fail "no warning ($1): $(cat err.txt)"
  peak=$(ffmpeg -loglevel error -i silent.mp4 -map 0:a -f s16le -ac 1 - | od -An -v -td2 -w2 |
    awk '{ v = $1 < 0 ? -$1 : $1; if (v > m) m = v } END { print m + 0 }')
  [ "$peak" -eq 0 ] || fail "the silent capture ($1) has sound (peak $peak)"
}
sox -q -n -r 44100 -c 1 -b 16 mono.wav synth 2 sine 440 vol 0.5
lame --quiet mono.wav d/termite.mp3
silent_capture "a 44.1 kHz mono track" '48 kHz stereo'
rm d/termite.mp3
silent_capture "no track" ''
echo "capture video: ok"
