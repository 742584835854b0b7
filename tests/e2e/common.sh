# Shared by the end-to-end tests: a scratch directory and a complete set of
# small assets made on the spot (never the real ones from d/).
# shellcheck shell=bash
set -euo pipefail

quorvex=${1:?usage: $0 path/to/quorvex}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# fail, show_window, press_escape and frame_log_ok come from the scripts' library.
# shellcheck source=SCRIPTDIR/../../scripts/lib/common.sh
. "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/common.sh"

# Which SDL 1.2 the program loads: "compat" for sdl12-compat (SDL 1.2 over
# SDL2, what newer distributions ship), "classic" for the original library.
# (Some callers pass a package or a script, which ldd cannot read.)
sdl_lib=$( (ldd "$quorvex" 2>/dev/null || true) | awk '$1 == "libSDL-1.2.so.0" {print $3}')
# The tests that source this read sdl_impl and run_for's status.
# shellcheck disable=SC2034
sdl_impl=classic
# shellcheck disable=SC2034
[ -n "$sdl_lib" ] && grep -qa SDL12COMPAT_ "$sdl_lib" && sdl_impl=compat

# make_assets DIR: writes DIR/d with a font atlas, nine pictures and a short track.
make_assets() {
  local d=$1/d
  mkdir -p "$d"
  ffmpeg -loglevel error -f lavfi -i "color=c=orange:s=876x636,format=rgba" -frames:v 1 "$d/fontsRustyTrans.png"
  local jpg png
  for jpg in marvo.jpg IMG_2473.JPG IMG_2021.JPG IMG_2471.JPG kelpi.jpg; do
    ffmpeg -loglevel error -f lavfi -i "testsrc=s=160x100" -frames:v 1 -f image2 -c:v mjpeg "$d/$jpg"
  done
  for png in paita1.png ruosteQVXPNG.png yellow.png blue.png; do
    ffmpeg -loglevel error -f lavfi -i "color=c=blue@0.5:s=120x80,format=rgba" -frames:v 1 "$d/$png"
  done
  sox -q -n -r 48000 -c 2 -b 16 "$1/tone.wav" synth 4 sine 440 vol 0.5
  lame --quiet -b 192 "$1/tone.wav" "$d/termite.mp3"
}

# run_for SECONDS ARGS...: runs the show headless in the current directory
# for at least SECONDS and until it has logged its first few hundred frames
# (standard output reaches the file a buffer at a time), then sends SIGTERM.
# Leaves the exit status in $status, standard output in out.txt and standard
# error in err.txt.
run_for() {
  local seconds=$1
  shift
  "$quorvex" "$@" >out.txt 2>err.txt &
  local pid=$!
  sleep "$seconds"
  for _ in $(seq 600); do
    [ -s out.txt ] || ! kill -0 "$pid" 2>/dev/null && break
    sleep 0.1
  done
  kill -TERM "$pid" 2>/dev/null || true
  status=0
  # shellcheck disable=SC2034
  wait "$pid" || status=$?
}

# check_frame_log [MIN]: out.txt is a frame log of at least MIN lines (10
# unless told).
check_frame_log() {
  local why
  why=$(frame_log_ok out.txt "${1:-10}") || fail "$why"
}
