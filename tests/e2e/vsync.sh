#!/usr/bin/env bash
# Frame pacing in a window under Xvfb, whose display runs at 60 Hz (this
# test runs alone, so no other test takes its time). On sdl12-compat the show
# waits for the display at each flip unless the user said otherwise: under
# 70 fps by default, far above with SDL12COMPAT_SYNC_TO_VBLANK=0. The classic
# library has no such wait; there the frame log only has to keep working.
# shellcheck source=SCRIPTDIR/common.sh
source "$(dirname "$0")/common.sh"
export SDL_AUDIODRIVER=dummy
unset SDL_VIDEODRIVER SDL12COMPAT_SYNC_TO_VBLANK

cd "$scratch"
make_assets "$scratch"
# rates: the smoothed rate at the end of a 4-second run's frame log, and the
# best it reached after its first 100 frames (a busy machine slows stretches
# of an unpaced run, never all of them).
rates() {
  run_for 4 -w
  [ "$status" -eq 0 ] || fail "status $status: $(cat err.txt)"
  check_frame_log 100
  awk 'NR > 100 && $3 > best {best = $3} {last = $3} END {print last, best}' out.txt
}
default=$(rates)
unpaced=$(SDL12COMPAT_SYNC_TO_VBLANK=0 rates)
read -r paced paced_best <<<"$default"
read -r raw_last raw <<<"$unpaced"
echo "$sdl_impl: $paced fps by default (best $paced_best); with SDL12COMPAT_SYNC_TO_VBLANK=0 $raw_last (best $raw)"
[ "$sdl_impl" = compat ] || exit 0
awk -v f="$paced" 'BEGIN { exit !(f < 70) }' || fail "not paced by the display by default: $paced fps"
# Paced by a 60 Hz display, no stretch of 100 frames averages 90 fps.
awk -v f="$raw" 'BEGIN { exit !(f > 90) }' || fail "the user's SDL12COMPAT_SYNC_TO_VBLANK=0 was not kept: at best $raw fps"
