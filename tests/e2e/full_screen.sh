#!/usr/bin/env bash
# Full screen on a display with no mode of 800x600 or larger: one line that
# suggests a window, and status 1.
source "$(dirname "$0")/common.sh"
export SDL_AUDIODRIVER=dummy
unset SDL_VIDEODRIVER

cd "$scratch"
make_assets "$scratch"
status=0
"$quorvex" >out.txt 2>err.txt || status=$?
[ "$status" -eq 1 ] || fail "full screen on a small display: status $status"
[ "$(wc -l <err.txt)" -eq 1 ] && grep -q 'try -w' err.txt || fail "no suggestion of -w: $(cat err.txt)"
[ ! -s out.txt ] || fail "unexpected standard output: $(cat out.txt)"
echo "small screen: $(cat err.txt)"
