#!/usr/bin/env bash
# Soak: the headless show at full speed for a while (300 s unless told); its
# resident memory at the end must be within 1% of what it was after the first
# minute (or after a fifth of a shorter run).
# shellcheck source=SCRIPTDIR/common.sh
source "$(dirname "$0")/common.sh"
seconds=${2:-300}
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy

cd "$scratch"
make_assets "$scratch"
"$quorvex" -w >/dev/null 2>err.txt &
pid=$!
rss() { awk '/^VmRSS/ {print $2}' "/proc/$pid/status"; }
settle=$((seconds < 300 ? seconds / 5 : 60))
sleep "$settle"
early=$(rss)
sleep $((seconds - settle))
late=$(rss)
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
[ "$status" -eq 0 ] || fail "status $status"
echo "soak: resident ${early} kB after ${settle} s, ${late} kB after ${seconds} s"
[ $((late * 100)) -le $((early * 101)) ] || fail "memory grew from $early kB to $late kB"
