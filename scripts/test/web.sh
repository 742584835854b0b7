#!/usr/bin/env bash
# The browser build's tests in the three engines a viewer meets: Chromium,
# Firefox ESR and WebKitGTK (the engine Safari is built on). Builds the page
# with the test program (scripts/web/build.sh --test), draws the reference frames with
# the desktop capture tool, and runs tests/web/test_page.js in each engine in a
# window on a private X server, its sound going to a PulseAudio null sink that
# the test records. Screenshots land in build-web/shots/.
# Prints one "ENGINE: N passed, N failed" line per engine and "web: N passed,
# N failed" in all; exits non-zero on any failure.
# Usage: scripts/test/web.sh [ENGINE...]   (chromium, firefox, webkit; all three by
# default. WebKitGTK's pace and first kick are reported, not bounded: on this
# machine's software rendering it paints 44 to 58 frames a second and its
# sound reaches the sink up to 0.4 s after its track's reported position.)
set -euo pipefail
# shellcheck source=SCRIPTDIR/../lib/common.sh
. "$(dirname "$0")/../lib/common.sh"
cd "$project_dir"
root=$PWD
engines=("$@")
[ ${#engines[@]} -eq 0 ] && engines=(chromium firefox webkit)
for e in "${engines[@]}"; do
  case $e in chromium | firefox | webkit) ;; *) echo "test-web: no such engine: $e" >&2; exit 2 ;; esac
done
scripts/setup/apt-install.sh chromium firefox-esr webkit2gtk-driver gstreamer1.0-pulseaudio gstreamer1.0-plugins-good \
  xvfb pulseaudio pulseaudio-utils ffmpeg fonts-dejavu-core >/dev/null

# The drivers from the npm registry at the lock file's versions, kept outside
# the tree; none of them fetches a browser of its own.
cache=${QUORVEX_CACHE:-/var/cache/quorvex}
npm_dir=$cache/web-npm-$(cat tests/web/package.json tests/web/package-lock.json | sha256sum | cut -c1-12)
if [ ! -f "$npm_dir/.done" ]; then
  rm -rf "$npm_dir"
  mkdir -p "$npm_dir"
  cp tests/web/package.json tests/web/package-lock.json "$npm_dir/"
  (cd "$npm_dir" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --ignore-scripts --no-audit --no-fund >npm.log 2>&1) ||
    { cat "$npm_dir/npm.log" >&2; exit 1; }
  touch "$npm_dir/.done"
fi
export NODE_PATH=$npm_dir/node_modules

site=$root/build-web/site
frames=$root/build-web/frames
shots=$root/build-web/shots
scripts/web/build.sh --test "$site"

# The desktop's frames at moments across the show: the caption, each fixed
# picture, both flicker slots (two picks in the first), a shake, the bounce
# of the scroll text and the last slot.
scripts/setup/deps.sh >/dev/null
cmake -S . -B build >/dev/null
cmake --build build --target quorvex-capture -j2 >/dev/null
rm -rf "$frames" "$shots"
mkdir -p "$frames" "$shots"
for ms in 5000 20100 35000 50500 54700 70000 100000 120000 147300 155000 168040 226000 330000; do
  build/quorvex-capture --from "$ms" --to $((ms + 1)) --fps 1 --frames "$frames/at" >/dev/null 2>&1
  mv "$frames/at/frame-000000.png" "$frames/frame-$ms.png"
done
rmdir "$frames/at"

# A private X server (large enough for the 4K case at ratio 2's CSS size) and
# sound server, ended by their ids on the way out.
run=$(mktemp -d /tmp/quorvex-web-run.XXXXXX)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$run"
}
trap cleanup EXIT
display=
for n in $(seq 90 140); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { display=$n; break; }
done
[ -n "$display" ] || { echo "test-web: no free X display number" >&2; exit 1; }
Xvfb ":$display" -screen 0 1920x1200x24 -nolisten tcp -noreset >"$run/xvfb.log" 2>&1 &
pids+=($!)
export DISPLAY=:$display XDG_RUNTIME_DIR=$run PULSE_RUNTIME_PATH=$run/pulse
unset PULSE_SERVER
pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --log-target=file:"$run/pulse.log" \
  -L "module-null-sink sink_name=rec rate=48000" -L module-native-protocol-unix &
pids+=($!)
servers_up() { [ -e "/tmp/.X11-unix/X$display" ] && pactl info >/dev/null 2>&1; }
wait_until 10 servers_up || true
pactl set-default-sink rec
# An idle null sink renders nothing, so its monitor would start with an
# engine's first sound, and a recording's clock with it (Firefox opens its
# stream only to play). Silence played into it all along keeps the monitor
# running from each recording's start, as a sound card's would.
pacat --playback -d rec --format=s16le --rate=48000 --channels=1 /dev/zero &
pids+=($!)

passed=0 failed=0 summary=()
for e in "${engines[@]}"; do
  log=$root/build-web/test-$e.log
  node tests/web/test_page.js "$e" "$site" "$frames" "$shots" 2>&1 | tee "$log" | grep -v "^$e: [0-9]* passed" || true
  line=$(grep -E "^$e: [0-9]+ passed, [0-9]+ failed" "$log" | tail -n 1 || true)
  if [ -z "$line" ]; then
    line="$e: 0 passed, 1 failed (the test stopped early, see $log)"
  fi
  summary+=("$line")
  p=$(sed -E 's/^[a-z]+: ([0-9]+) passed, ([0-9]+) failed.*/\1/' <<<"$line")
  f=$(sed -E 's/^[a-z]+: ([0-9]+) passed, ([0-9]+) failed.*/\2/' <<<"$line")
  passed=$((passed + p)) failed=$((failed + f))
done
printf '%s\n' "${summary[@]}"
echo "web: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
