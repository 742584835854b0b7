#!/usr/bin/env bash
# Full screen under a window manager, on the display this runs on. The classic
# library switches to a mode of 800x600 or larger and shows the picture
# unscaled in its middle; with no such mode it refuses with one line that
# suggests a window, and status 1. sdl12-compat fills the desktop: the picture
# scaled with its aspect kept, centred, by whole pixels unless the user chose
# another scale method.
# shellcheck source=SCRIPTDIR/common.sh
source "$(dirname "$0")/common.sh"
export SDL_AUDIODRIVER=dummy
unset SDL_VIDEODRIVER SDL12COMPAT_SCALE_METHOD
read -r width height < <(xwininfo -root | awk '/Width:/ {w = $2} /Height:/ {h = $2} END {print w, h}')
start_window_manager || true  # the show must cope either way
trap 'kill $wm_pid 2>/dev/null || true; rm -rf "$scratch"' EXIT

cd "$scratch"
make_assets "$scratch"
if [ "$sdl_impl" = classic ] && [ "$height" -lt 600 ]; then
  status=0
  "$quorvex" >out.txt 2>err.txt || status=$?
  [ "$status" -eq 1 ] || fail "full screen on a small display: status $status"
  [ "$(wc -l <err.txt)" -eq 1 ] && grep -q 'try -w' err.txt || fail "no suggestion of -w: $(cat err.txt)"
  [ ! -s out.txt ] || fail "unexpected standard output: $(cat out.txt)"
  echo "classic, ${width}x$height: $(cat err.txt)"
  exit 0
fi

# shoot: runs the show full screen, takes the brightest of three screenshots
# as shot.png and quits it; prints where the lit part of the screen lies, WxH+X+Y.
shoot() {
  "$quorvex" >out.txt 2>err.txt &
  local pid=$! status=0
  show_window 30 >/dev/null || fail "no window"
  for i in 1 2 3; do sleep 1; import -window root "shot$i.png"; done
  kill -TERM "$pid"
  wait "$pid" || status=$?
  [ "$status" -eq 0 ] || fail "status $status: $(cat err.txt)"
  convert shot1.png shot2.png shot3.png -evaluate-sequence max shot.png
  convert shot.png -bordercolor black -border 1 -format '%@' info: |
    awk -F'[x+]' '{printf "%dx%d+%d+%d", $1, $2, $3 - 1, $4 - 1}'
}
# The share of columns inside the picture that repeat their left neighbour:
# 3 in 8 for whole-pixel scaling by 1.6, close to none when interpolated.
repeated_columns() {
  convert shot.png -crop "$1" +repage \( +clone -roll +1+0 \) -compose difference -composite \
    -crop +1+0 -scale 'x1!' -depth 8 txt:- | awk 'NR > 1 {n++; if ($2 == "(0,0,0)") r++} END {printf "%.2f", r / n}'
}

if [ "$sdl_impl" = classic ]; then
  w=800 h=600
else
  w=$((height * 4 / 3 < width ? height * 4 / 3 : width))
  h=$((w * 3 / 4))
fi
expected=${w}x$h+$(((width - w) / 2))+$(((height - h) / 2))
box=$(shoot)
[ "$box" = "$expected" ] || fail "$sdl_impl, ${width}x$height: the picture lies at $box, not $expected"
report="$sdl_impl, ${width}x$height: picture at $box"
if [ "$sdl_impl" = compat ] && [ "$w" -gt 800 ]; then
  nearest=$(repeated_columns "$box")
  awk -v r="$nearest" 'BEGIN { exit !(r > 0.3) }' || fail "not whole-pixel scaling: $nearest of columns repeat"
  export SDL12COMPAT_SCALE_METHOD=linear
  shoot >/dev/null
  linear=$(repeated_columns "$box")
  awk -v r="$linear" 'BEGIN { exit !(r < 0.1) }' || fail "the user's linear scaling was not kept: $linear of columns repeat"
  report+=", repeated columns $nearest by default, $linear linear"
fi
echo "$report"
