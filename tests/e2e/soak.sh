#!/usr/bin/env bash
# Soak: the headless show unpaced for a while (300 s unless told); its
# resident memory at the end must be within 1% of what it was after the first
# minute (or after a fifth of a shorter run). cpulimit holds it to a quarter
# of a core (SOAK_CPU, in percent): it still draws about a frame for every
# millisecond of the show (some 1,200 a second here, 5,300 unheld), so a leak
# per frame or per second shows as before, and the other checks running
# beside it keep the rest of the machine.
# shellcheck source=SCRIPTDIR/common.sh
source "$(dirname "$0")/common.sh"
seconds=${2:-300}
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy

cd "$scratch"
make_assets "$scratch"
"$quorvex" -w >/dev/null 2>err.txt &
pid=$!
cpulimit --pid="$pid" --limit="${SOAK_CPU:-25}" --quiet &
limiter=$!
rss() { awk '/^VmRSS/ {print $2}' "/proc/$pid/status"; }
settle=$((seconds < 300 ? seconds / 5 : 60))
sleep "$settle"
early=$(rss)
sleep $((seconds - settle))
late=$(rss)
kill -TERM "$pid"
kill -CONT "$pid" 2>/dev/null || true  # in case the limiter holds it stopped
status=0
wait "$pid" || status=$?
wait "$limiter" 2>/dev/null || true
[ "$status" -eq 0 ] || fail "status $status"
echo "soak: resident ${early} kB after ${settle} s, ${late} kB after ${seconds} s"
[ $((late * 100)) -le $((early * 101)) ] || fail "memory grew from $early kB to $late kB"
