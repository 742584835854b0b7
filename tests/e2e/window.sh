#!/usr/bin/env bash
# The show in a real X window: titled QUORVEX, holding Escape does not quit,
# releasing it does, with status 0.
# shellcheck source=SCRIPTDIR/common.sh
source "$(dirname "$0")/common.sh"
export SDL_AUDIODRIVER=dummy
unset SDL_VIDEODRIVER

cd "$scratch"
make_assets "$scratch"
"$quorvex" -w >out.txt 2>err.txt &
pid=$!
wid=$(show_window 30) || fail "no window titled QUORVEX"
xdotool windowfocus --sync "$wid"
sleep 1.5
xdotool keydown Escape
sleep 1
kill -0 "$pid" 2>/dev/null || fail "the show quit while Escape was held"
xdotool keyup Escape
wait_until 5 process_gone "$pid" || true
kill -0 "$pid" 2>/dev/null && { kill "$pid"; fail "the show did not quit on the release of Escape"; }
status=0
wait "$pid" || status=$?
[ "$status" -eq 0 ] || fail "status $status after Escape"
check_frame_log 1
echo "window: ok"
