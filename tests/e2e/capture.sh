#!/usr/bin/env bash
# quorvex-capture without video: refused arguments and missing assets give one
# line and status 1, frames land at the right names, the same run gives the
# same bytes, and the glow filter runs on from one captured frame to the next.
# shellcheck source=SCRIPTDIR/common.sh
source "$(dirname "$0")/common.sh"
capture=$quorvex
cd "$scratch"

# refused ARGS...: status 1, one line on standard error, nothing on standard output.
refused() {
  local status=0
  "$capture" "$@" >out.txt 2>err.txt || status=$?
  [ "$status" -eq 1 ] || fail "'$*': status $status, expected 1"
  [ "$(wc -l <err.txt)" -eq 1 ] || fail "'$*': expected one line, got: $(cat err.txt)"
  [ ! -s out.txt ] || fail "'$*': printed on standard output: $(cat out.txt)"
}

refused --fps 0
refused --fps 30 --fps 60
refused --from 10 --to 10
refused --from -1
refused --form 10
refused --video
grep -q -- '--video' err.txt || fail "the message does not name the option: $(cat err.txt)"

# No data directory given or found; an empty one names the font atlas.
refused --to 100 --data missing --frames none
grep -q 'missing' err.txt || fail "the missing data directory is not named: $(cat err.txt)"
mkdir empty
status=0
"$capture" --to 100 --data empty --frames none >out.txt 2>err.txt || status=$?
[ "$status" -eq 1 ] && [ "$(wc -l <err.txt)" -eq 1 ] && grep -q 'empty/fontsRustyTrans.png' err.txt ||
  fail "without the atlas: status $status, $(cat err.txt)"

make_assets "$scratch"
# A frames directory that cannot be made: its parent is a file.
touch plain
refused --to 100 --frames plain/frames
# From past the end of the show (the scroller, as the fixture track is short).
refused --from 2000000 --frames late
[ ! -e late ] || [ -z "$(ls late)" ] || fail "frames were written past the end"

# Frames at 0, 16 and 33 ms past 120,000, and no fourth at 50.
"$capture" --from 120000 --to 120050 --frames a/b >out.txt 2>err.txt || fail "capture: $(cat err.txt)"
[ "$(ls a/b)" = "$(printf 'frame-%06d.png\n' 0 1 2)" ] || fail "frames: $(ls a/b | tr '\n' ' ')"
grep -q '^quorvex-capture: 3 frames' out.txt || fail "summary: $(cat out.txt)"
info=$(ffprobe -v error -show_entries stream=width,height,pix_fmt -of csv=p=0 a/b/frame-000000.png)
[ "$info" = "800,600,rgb24" ] || fail "frame format $info"

# The same arguments give the same bytes.
"$capture" --from 120000 --to 120050 --frames again 2>/dev/null >/dev/null || fail "second capture"
for f in a/b/*.png; do cmp -s "$f" "again/$(basename "$f")" || fail "$f differs between runs"; done

# Frame 120,016 as the second frame of a capture differs from the same moment
# captured alone: the glow filter carries in from the frame before, and
# starts at 0 on the first.
"$capture" --from 120016 --to 120017 --frames alone 2>/dev/null >/dev/null || fail "capture alone"
cmp -s a/b/frame-000001.png alone/frame-000000.png && fail "the glow filter restarts every frame"
"$capture" --from 120000 --to 120001 --frames first 2>/dev/null >/dev/null || fail "capture first"
cmp -s a/b/frame-000000.png first/frame-000000.png || fail "the first frame depends on the stretch"

# With neither output it only times the frames.
"$capture" --from 60000 --to 60100 >out.txt 2>err.txt || fail "timing run: $(cat err.txt)"
grep -q '6 frames.*fps' out.txt || fail "timing summary: $(cat out.txt)"
grep -q 'frame 6/6' err.txt || fail "no progress on standard error: $(cat err.txt)"
echo "capture: ok"
