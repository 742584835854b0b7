#!/usr/bin/env bash
# Damaged or wrong asset files: each stops the show with status 1, the one-word
# message on standard output and one line on standard error naming the file,
# within bounded time and memory. A bad track only silences the show.
# shellcheck source=SCRIPTDIR/common.sh
source "$(dirname "$0")/common.sh"
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy

cd "$scratch"
make_assets "$scratch/good"
# Sanitizer builds reserve huge address ranges, so only plain builds get a memory cap.
memory_cap=""
[ -z "${QUORVEX_SANITIZED:-}" ] && memory_cap="ulimit -v 1500000;"

# patch FILE OFFSET HEXBYTES: overwrites bytes in place.
patch() { printf "$(sed 's/../\\x&/g' <<<"$3")" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none; }

# damage VARIANT FILE: replaces FILE (a .png or .jpg) with a bad one.
damage() {
  local variant=$1 file=$2 ext=${2##*.}
  case $variant in
    missing) rm -f "$file" ;;
    empty) : >"$file" ;;
    truncated) head -c $(($(stat -c %s "$file") / 2)) "$file" >t && mv t "$file" ;;
    text) echo "this is not a picture" >"$file" ;;
    gif | pcx | bmp) ffmpeg -loglevel error -y -f lavfi -i "testsrc=s=32x32" -frames:v 1 -f image2 -c:v "$variant" "x.$variant" && mv "x.$variant" "$file" ;;
    xpm) printf '/* XPM */\nstatic char *x[] = {"2 2 1 1", ". c #ff0000", "..", ".."};\n' >"$file" ;;
    wide)
      case $ext in
        png) ffmpeg -loglevel error -y -f lavfi -i "color=c=red:s=20000x10" -frames:v 1 w.png && mv w.png "$file" ;;
        *) ffmpeg -loglevel error -y -f lavfi -i "color=c=red:s=20000x10" -frames:v 1 -f image2 -c:v mjpeg w.jpg && mv w.jpg "$file" ;;
      esac ;;
    huge)  # 16000 x 16000 declared in the header of a small file
      case $ext in
        png) patch "$file" 16 00003e8000003e80 ;;
        *) local sof
           sof=$(LC_ALL=C grep -obUaP '\xFF\xC0' "$file" | head -n 1 | cut -d: -f1)
           patch "$file" $((sof + 5)) 3e803e80 ;;
      esac ;;
  esac
}

expect_refusal() {
  local variant=$1 file=$2 word=$3 status=0
  rm -rf d && cp -r good/d d
  damage "$variant" "$file"
  bash -c "$memory_cap exec timeout 30 \"$quorvex\" -w" >out.txt 2>err.txt || status=$?
  [ "$status" -eq 1 ] || fail "$file $variant: status $status, expected 1 ($(cat err.txt))"
  [ "$(cat out.txt)" = "$word" ] || fail "$file $variant: standard output '$(cat out.txt)'"
  [ "$(wc -l <err.txt)" -eq 1 ] || fail "$file $variant: standard error is not one line: $(cat err.txt)"
  grep -qF "$file" err.txt || fail "$file $variant: standard error does not name the file: $(cat err.txt)"
  echo "$file $variant: $(cat err.txt)"
}

for variant in missing empty truncated text gif pcx bmp xpm wide huge; do
  expect_refusal "$variant" d/fontsRustyTrans.png fontti
  expect_refusal "$variant" d/IMG_2473.JPG kuvia
  expect_refusal "$variant" d/blue.png kuvia
done

# A font atlas too small for the glyph table.
rm -rf d && cp -r good/d d
ffmpeg -loglevel error -y -f lavfi -i "color=c=red:s=875x636" -frames:v 1 d/fontsRustyTrans.png
status=0
timeout 30 "$quorvex" -w >out.txt 2>err.txt || status=$?
[ "$status" -eq 1 ] && [ "$(cat out.txt)" = fontti ] && grep -q 'must be from 876x636' err.txt ||
  fail "a small atlas was not refused: $status $(cat err.txt)"

# Bad tracks: the show runs, silent, with one warning naming the file.
for variant in empty garbage truncated lowrate; do
  rm -rf d && cp -r good/d d
  case $variant in
    empty) : >d/termite.mp3 ;;
    garbage) head -c 100000 /dev/urandom >d/termite.mp3 ;;
    truncated) head -c 3000 good/d/termite.mp3 >d/termite.mp3 ;;
    lowrate) sox -q -n -r 8000 -c 1 low.wav synth 2 sine 440 && lame --quiet low.wav d/termite.mp3 ;;
  esac
  run_for 2 -w
  [ "$status" -eq 0 ] || fail "track $variant: status $status: $(cat err.txt)"
  check_frame_log
  case $variant in
    truncated) [ ! -s err.txt ] || fail "a truncated track should still play: $(cat err.txt)" ;;
    *) [ "$(wc -l <err.txt)" -eq 1 ] && grep -q 'warning: no sound: d/termite.mp3' err.txt ||
         fail "track $variant: expected one warning, got: $(cat err.txt)" ;;
  esac
  echo "track $variant: ${variant/truncated/plays what there is} $(cat err.txt)"
done
# Tracks in other rates and channel counts play, with no warning: the mixer
# opens in the track's own format, so SDL never converts it (over
# sdl12-compat that conversion writes past its buffer). The disk driver's
# output must hold sound; its own notice on standard error is not the show's.
for format in 44100:1 44100:2 48000:1 32000:2 22050:2; do
  rm -rf d && cp -r good/d d
  sox -q -n -r "${format%:*}" -c "${format#*:}" -b 16 other.wav synth 3 sine 440 vol 0.5
  lame --quiet other.wav d/termite.mp3
  rm -f sound.raw
  SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$scratch/sound.raw SDL_DISKAUDIODELAY=20 run_for 2 -w
  [ "$status" -eq 0 ] || fail "a $format track: status $status: $(cat err.txt)"
  check_frame_log
  grep -q '^quorvex' err.txt && fail "a $format track: $(cat err.txt)"
  LC_ALL=C grep -qaP '[^\x00]' sound.raw || fail "a $format track was not heard"
  echo "track at $format Hz:channels: plays"
done
echo "bad assets: ok"
