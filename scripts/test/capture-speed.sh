#!/usr/bin/env bash
# Measures quorvex-capture --video in one run: the default encoder settings
# against x264's "medium" preset at the same CRF (speed, and PSNR against a
# lossless capture of the same frames), at scale 1 and 3, plus an older build
# given as BASELINE with its own defaults (e.g. a build of the last commit
# before a change). Prints each run's speed and its file's rate, sound included.
#   scripts/test/capture-speed.sh [FROM_MS] [SECONDS_AT_SCALE_1] [SECONDS_AT_SCALE_3]
set -euo pipefail
# shellcheck source=SCRIPTDIR/../lib/common.sh
. "$(dirname "$0")/../lib/common.sh"
cd "$project_dir"
capture=${CAPTURE:-build/quorvex-capture}
from=${1:-60000}
span1=${2:-10}
span3=${3:-2}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# run NAME SHOW_SECONDS BINARY ARGS...: one capture to $out/NAME.*, then a
# line of figures: the show's seconds per wall second (start-up and the final
# join included), the wall time, the frame loop's rate, the processor time (ours and ffmpeg's) per second of show, which on a
# busy machine says more than the wall time, and the file's rate.
run() {
  local name=$1 show=$2 binary=$3
  shift 3
  local TIMEFORMAT='%R %U %S' times
  times=$( { time "$binary" "$@" >"$out/$name.txt" 2>"$out/$name.err"; } 2>&1 ) ||
    { cat "$out/$name.err" >&2; exit 1; }
  local file fps
  file=$(ls "$out/$name".m*)
  fps=$(sed -n 's/.* \([0-9.]*\) fps$/\1/p' "$out/$name.txt")
  awk -v n="$name" -v f="$fps" -v t="$times" -v show="$show" -v size="$(stat -c %s "$file")" 'BEGIN {
    split(t, x, " ")
    printf "%-16s %5.2fx real time  wall %6.1f s  loop %5.1f fps  %5.2f cpu s per show s  %6.1f Mbit/s  %6.0f MB/min\n",
      n, show / x[1], x[1], f, (x[2] + x[3]) / show, size * 8 / show / 1e6, size / show * 60 / 1e6 }'
}

# psnr ENCODED LOSSLESS: the average PSNR of the encode against the lossless
# frames converted as the encoder converts them.
psnr() {
  ffmpeg -nostdin -i "$1" -i "$2" -lavfi \
    "[1:v]scale=out_color_matrix=bt709:out_range=tv,format=yuv420p[ref];[0:v][ref]psnr" -f null - 2>&1 |
    sed -n 's/.*average:\([0-9.]*\).*/\1/p'
}

to1=$((from + span1 * 1000))
to3=$((from + span3 * 1000))
echo "quorvex-capture at 60 fps from $from ms: ${span1} s at scale 1, ${span3} s at scale 3"
if [ -n "${BASELINE:-}" ]; then
  run baseline-scale1 "$span1" "$BASELINE" --from "$from" --to "$to1" --video "$out/baseline-scale1.mp4"
fi
run medium-scale1 "$span1" "$capture" --from "$from" --to "$to1" --preset medium --video "$out/medium-scale1.mp4"
run default-scale1 "$span1" "$capture" --from "$from" --to "$to1" --video "$out/default-scale1.mp4"
run lossless-scale1 "$span1" "$capture" --from "$from" --to "$to1" --lossless --video "$out/lossless-scale1.mkv"
run medium-scale3 "$span3" "$capture" --from "$from" --to "$to3" --scale 3 --preset medium --video "$out/medium-scale3.mp4"
run default-scale3 "$span3" "$capture" --from "$from" --to "$to3" --scale 3 --video "$out/default-scale3.mp4"
echo "PSNR at scale 1 against the lossless frames: medium $(psnr "$out/medium-scale1.mp4" "$out/lossless-scale1.mkv") dB," \
  "default $(psnr "$out/default-scale1.mp4" "$out/lossless-scale1.mkv") dB"
