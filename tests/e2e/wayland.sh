#!/usr/bin/env bash
# A Wayland session with no X display (DISPLAY unset, WAYLAND_DISPLAY set):
# sdl12-compat opens a native Wayland window and the show runs; the classic
# library has no Wayland, so the show refuses with "no display" and status 1.
# The compositor is weston nested in the Xvfb this runs under, which gives it
# the seat SDL2 needs.
# shellcheck source=SCRIPTDIR/common.sh
source "$(dirname "$0")/common.sh"
export SDL_AUDIODRIVER=dummy XDG_RUNTIME_DIR=$scratch/run
unset SDL_VIDEODRIVER
mkdir -m 700 "$XDG_RUNTIME_DIR"
weston --backend=x11-backend.so --use-pixman --socket=quorvex-test --idle-time=0 >/dev/null 2>&1 &
compositor=$!
trap 'kill $compositor; rm -rf "$scratch"' EXIT
wait_until 10 test -S "$XDG_RUNTIME_DIR/quorvex-test" || fail "weston did not start"

cd "$scratch"
make_assets "$scratch"
export WAYLAND_DISPLAY=quorvex-test
unset DISPLAY
run_for 2 -w
if [ "$sdl_impl" = compat ]; then
  [ "$status" -eq 0 ] || fail "status $status under Wayland: $(cat err.txt)"
  check_frame_log
else
  [ "$status" -eq 1 ] && grep -q 'no display' err.txt || fail "classic under Wayland: status $status, $(cat err.txt)"
fi
echo "$sdl_impl under Wayland: status $status"
