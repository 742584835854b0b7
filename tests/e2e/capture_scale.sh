#!/usr/bin/env bash
# quorvex-capture --scale 3: each frame is the unscaled one with every pixel a
# 3x3 block; its video follows the upload recommendations (High profile,
# closed GOPs of fps/2 frames, up to two B-frames, CABAC, BT.709, AAC-LC 48 kHz
# stereo, index first, no edit list) and its sound stays sample-exact;
# run from elsewhere with --data, it writes where it was run.
# shellcheck source=SCRIPTDIR/common.sh
source "$(dirname "$0")/common.sh"
capture=$quorvex
cd "$scratch"
make_assets "$scratch"
# 1 s of silence, then a 50 ms burst, heard at 1,047.0 ms of the show (see capture_video.sh).
sox -q -n -r 48000 -c 2 -b 16 burst.wav synth 0.05 square 300 vol 0.7 pad 1 0.95
lame --quiet -b 192 burst.wav d/termite.mp3
mkdir elsewhere
cd elsewhere

"$capture" --data ../d --from 120000 --to 120050 --frames one >/dev/null 2>err.txt || fail "scale 1: $(cat err.txt)"
"$capture" --data ../d --from 120000 --to 120050 --scale 3 --frames three >/dev/null 2>err.txt ||
  fail "scale 3: $(cat err.txt)"
rgb() { ffmpeg -loglevel error -i "$1" "${@:2}" -f rawvideo -pix_fmt rgb24 - | md5sum; }
for i in 0 1 2; do
  f=$(printf 'frame-%06d.png' "$i")
  [ "$(rgb "three/$f")" = "$(rgb "one/$f" -vf scale=iw*3:ih*3:flags=neighbor)" ] ||
    fail "scaled $f is not the unscaled one in 3x3 blocks"
done
[ "$(ffprobe -v error -show_entries stream=width,height -of csv=p=0 three/frame-000000.png)" = "2400,1800" ] ||
  fail "scaled frame size"

"$capture" --data ../d --from 500 --to 2000 --fps 30 --scale 3 --video v.mp4 >/dev/null 2>err.txt ||
  fail "scale 3 video: $(cat err.txt)"
probe() { ffprobe -v error -select_streams "$1" -show_entries "$2" -of csv=p=0 v.mp4; }
expect() { [ "$2" = "$3" ] || fail "$1: '$2', expected '$3'"; }
expect video "$(probe v stream=codec_name,profile,width,height,pix_fmt,field_order,color_range,color_space,color_transfer,color_primaries,r_frame_rate,start_time)" \
  "h264,High,2400,1800,yuv420p,tv,bt709,bt709,bt709,progressive,30/1,0.000000"
expect audio "$(probe a stream=codec_name,profile,sample_rate,channels,start_time)" "aac,LC,48000,2,0.000000"
# 45 frames: a keyframe, an IDR (a closed GOP), at 0, 15 and 30 alone; B-frames
# never more than two in a row; CABAC.
expect keyframes "$(ffprobe -v error -select_streams v -show_entries packet=pts_time,flags -of csv=p=0 v.mp4 | grep K | cut -d, -f1 | tr '\n' ' ')" "0.000000 0.500000 1.000000 "
types=$(ffprobe -v error -select_streams v -show_entries frame=pict_type -of csv=p=0 v.mp4 | tr -d '\n')
[[ $types == *B* && $types != *BBB* ]] || fail "B-frames: $types"
ffmpeg -loglevel trace -i v.mp4 -map 0:v -c copy -bsf:v trace_headers -f null - 2>trace.txt
expect IDRs "$(grep trace_headers trace.txt | grep -c 'nal_unit_type: 5(IDR)')" 3
grep -q 'entropy_coding_mode_flag *1 = 1' trace.txt || fail "no CABAC"
# The boxes at the top level: the index before the media, and no edit list anywhere.
ffprobe -v trace v.mp4 2>&1 | grep -o "type:'[a-z]*' parent:'[a-z]*'" >boxes.txt
expect "top-level boxes" "$(grep "parent:'root'" boxes.txt | cut -d"'" -f2 | tr '\n' ' ')" "ftyp moov free mdat "
! grep -q "type:'elst'" boxes.txt || fail "an edit list"

# The burst at 547.0 ms of the capture, to the millisecond.
ffmpeg -loglevel error -i v.mp4 -map 0:a -f s16le -ac 1 -ar 48000 sound.raw
onset=$(od -An -v -td2 -w2 sound.raw | awk '{ v = $1 < 0 ? -$1 : $1; if (v > 8000 && !n) n = NR } END { if (n) print n - 1 }')
[ -n "$onset" ] || fail "the burst is not heard at all"
awk -v s="$onset" 'BEGIN { ms = s / 48; exit !(ms > 546 && ms < 548) }' ||
  fail "the burst is heard at $onset samples, expected 547 ms"
echo "capture scale: ok"
