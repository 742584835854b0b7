#!/usr/bin/env bash
# Start-up failures: a one-word message on standard output, the reason on
# standard error, status 1, and nothing opened after the first failure.
# shellcheck source=SCRIPTDIR/common.sh
source "$(dirname "$0")/common.sh"
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy

cd "$scratch"
status=0
"$quorvex" -w >out.txt 2>err.txt || status=$?
[ "$status" -eq 1 ] || fail "no d/: status $status, expected 1"
[ "$(cat out.txt)" = "fontti" ] || fail "no d/: standard output was '$(cat out.txt)'"
grep -q 'd/fontsRustyTrans.png' err.txt || fail "no d/: standard error does not name the font: $(cat err.txt)"
[ "$(wc -l <err.txt)" -eq 1 ] || fail "no d/: more than one line on standard error"

make_assets "$scratch"
# No X display and no driver chosen: a clear message instead of a console fallback.
status=0
env -u DISPLAY -u SDL_VIDEODRIVER "$quorvex" -w >out.txt 2>err.txt || status=$?
[ "$status" -eq 1 ] || fail "no display: status $status, expected 1"
grep -q 'no display' err.txt || fail "no display: standard error was '$(cat err.txt)'"

rm d/ruosteQVXPNG.png
# A picture after the missing one is a FIFO: opening it would block the show.
rm d/yellow.png && mkfifo d/yellow.png
status=0
timeout 20 "$quorvex" -w >out.txt 2>err.txt || status=$?
[ "$status" -ne 124 ] || fail "a picture after the missing one was opened"
[ "$status" -eq 1 ] || fail "missing picture: status $status, expected 1"
[ "$(cat out.txt)" = "kuvia" ] || fail "missing picture: standard output was '$(cat out.txt)'"
grep -q 'd/ruosteQVXPNG.png' err.txt || fail "missing picture: standard error does not name it: $(cat err.txt)"
echo "start-up failures: ok"
