# shellcheck shell=bash disable=SC2154  # root, here, out, cache, dist, version and display come from check.sh
# The Windows release under Wine on Xvfb: unit tests, the DLLs it needs, the
# window, pacing with and without vsync, full screen in a virtual desktop, the
# sound, the frame log in stdout.txt and the same errors as the Debian build.
# Sourced by check.sh, whose helpers it uses.
# ---- Windows, under Wine.
export WINEPREFIX=$cache/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" SDL_AUDIODRIVER=dummy
# A first start makes the prefix; without 32-bit Wine it reports the missing
# 32-bit tools, which the 64-bit program does not need.
[ -d "$WINEPREFIX" ] || wineboot -i >/dev/null 2>&1 || true
# Wine's Direct3D hands its work to a thread that polls for more, a core that
# Windows' own Direct3D does not spend: off, so that the processor time
# measured below is the show's and its presenting.
wine reg add 'HKCU\Software\Wine\Direct3D' /v csmt /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true
wineserver -p 60 2>/dev/null || true  # already running after a first start

failed=0
for t in "$root"/build-release-windows/tests/*_test.exe; do
  SDL_VIDEODRIVER=dummy wine "$t" --gtest_brief=1 > "$(basename "$t" .exe).txt" 2>&1 || { failed=1; echo "FAILED: $(basename "$t")"; tail -n 30 "$(basename "$t" .exe).txt"; }
done
[ $failed -eq 0 ] || fail "Windows unit tests under Wine"
ok "Windows unit tests under Wine over SDL.dll and SDL2.dll: $(cat ./*_test.txt | awk '/^\[  PASSED  \]/ { n++; t += $4 } END { print n " binaries, " t " tests" }') pass"

mkdir win && (cd win && unzip -q "$dist/quorvex-$version-windows-x64.zip")
win=$out/win/quorvex-$version-windows-x64
x86_64-w64-mingw32-objdump -p "$win/quorvex.exe" "$win/SDL.dll" "$win/SDL2.dll" | sed -n 's/^\tDLL Name: //p' |
  sort -fu > win-dlls.txt
grep -Eiv '^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|imm32|version|winmm|setupapi|msvcrt|SDL|SDL2)\.dll$' \
  win-dlls.txt && fail "the Windows program needs more than Windows' own DLLs, SDL.dll and SDL2.dll"
ok "Windows DLLs: $(tr '\n' ' ' < win-dlls.txt)"

# wine_cpu: processor time (clock ticks) of every Wine process: the program,
# wineserver and Wine's own services.
wine_cpu() {
  local p ticks=0
  for p in /proc/[0-9]*; do
    case $(readlink "$p/exe" 2>/dev/null) in
      */wine/*) ticks=$((ticks + $(sed 's/.*) //' "$p/stat" 2>/dev/null | awk '{ print $12 + $13 }' || echo 0))) ;;
    esac
  done
  echo "$ticks"
}
# win_show NAME [VAR=VALUE...]: the Windows show in a window for 12 s with the
# settings, ended by Escape; its log in NAME.txt and in NAME.rates the
# smoothed rate at its end, the best after 100 frames and the processor
# seconds Wine used per second from 4 s in.
win_show() {
  local name=$1 wid before after status=0; shift
  rm -f "$win/stdout.txt"
  (cd "$win" && exec env "$@" wine quorvex.exe -w) & pid=$!
  wid=$(find_window) || fail "$name: no window titled QUORVEX"
  sleep 4; before=$(wine_cpu); sleep 8; after=$(wine_cpu)
  press_escape "$wid"
  wait "$pid" || status=$?; pid=""
  [ $status -eq 0 ] || fail "$name: status $status on Escape: $(cat "$win/stderr.txt" 2>/dev/null)"
  tr -d '\r' < "$win/stdout.txt" > "$name.txt"
  why=$(frame_log_ok "$name.txt") || fail "$name: bad lines in stdout.txt: $why"
  echo "$(log_rates "$name.txt") $(awk -v a="$before" -v b="$after" -v hz="$(getconf CLK_TCK)" \
    'BEGIN { printf "%.3f", (b - a) / hz / 8 }')" > "$name.rates"
}

status=0; (cd "$win" && wine quorvex.exe -w) & pid=$!
escape_window windows
wait "$pid" || status=$?; pid=""
[ $status -eq 0 ] || fail "Windows window: status $status: $(cat "$win/stderr.txt" 2>/dev/null)"
tr -d '\r' < "$win/stdout.txt" > win-log.txt
why=$(frame_log_ok win-log.txt) || fail "Windows window: bad lines in stdout.txt: $why"
ok "Windows window under Wine: $(wc -l < win-log.txt) lines in stdout.txt, status 0 on Escape"

# Vsync is on by default; where the display does not wait for it (Wine on
# Xvfb) the show paces itself to the refresh rate. Told not to wait it runs
# far faster, on far more processor time; the same with SDL2's software
# renderer, which never waits for the display on Windows.
for renderer in default software; do
  set --
  [ $renderer = default ] || set -- SDL_RENDER_DRIVER=$renderer
  win_show "win-$renderer-paced" "$@"
  win_show "win-$renderer-unpaced" SDL12COMPAT_SYNC_TO_VBLANK=0 "$@"
  read -r paced _ paced_cpu < "win-$renderer-paced.rates"
  read -r raw_last raw raw_cpu < "win-$renderer-unpaced.rates"
  awk -v f="$paced" 'BEGIN { exit !(f >= 45 && f <= 75) }' || fail "Windows $renderer renderer: not paced: $paced fps"
  awk -v f="$raw" 'BEGIN { exit !(f > 150) }' || fail "Windows $renderer renderer: vsync off not kept: at best $raw fps"
  ok "Windows $renderer renderer: $paced fps on $paced_cpu s of processor per second of show; unpaced $raw_last fps (best $raw) on $raw_cpu s"
  echo "$renderer $paced_cpu $raw_cpu" >> win-cpu.txt
done
# The software renderer's frame costs the processor little to present, so
# paced it must save four fifths. Wine's Direct3D presents through OpenGL
# drawn in software (llvmpipe), several milliseconds of processor a frame
# that Windows' hardware does not spend (about 0.36-0.45 s a second paced
# against 1.5 unpaced here): there it must save half, as on Linux under Xvfb.
awk '$1 == "software" && $2 * 5 > $3 { exit 1 } $1 == "default" && $2 * 2 > $3 { exit 1 }' win-cpu.txt ||
  fail "Windows: pacing saves too little processor time: $(tr '\n' ';' < win-cpu.txt)"

# Full screen fills Wine's 1024x768 virtual desktop, scaled with the aspect
# kept: the left 100 columns, all black around an unscaled 800x600 picture,
# show the backdrop (a third of them lit, give or take its dark stripes).
rm -f "$win/stdout.txt"
(cd "$win" && exec wine explorer /desktop=quorvex,1024x768 quorvex.exe) & pid=$!
wid=$(find_window) || fail "Windows full screen: no window"
sleep 5
geometry=$(xwininfo -id "$wid" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
shoot windows-full-screen.png
press_escape "$wid"; sleep 2; wineserver -k; wait "$pid" 2>/dev/null || true; pid=""
[ "$geometry" = 1024x768 ] || fail "Windows full screen: a $geometry window on the 1024x768 desktop"
lit=$(ffmpeg -v error -i windows-full-screen.png -vf crop=100:768:0:0 -f rawvideo -pix_fmt gray - |
  od -An -v -tu1 | awk '{ for (i = 1; i <= NF; i++) { n++; if ($i > 8) lit++ } } END { printf "%d", 100 * lit / n }')
[ "$lit" -ge 10 ] || fail "Windows full screen: the left border is dark ($lit% lit): not scaled"
ok "Windows full screen: fills the 1024x768 desktop scaled ($lit% of its left 100 columns lit)"

# The sound, through the null sink (Wine's PulseAudio driver under WASAPI),
# of the show's track and of the others.
win_sound() {
  local wid
  rm -f "$win/stdout.txt" "$win/stderr.txt"
  (cd "$win" && SDL_AUDIODRIVER='' PULSE_SERVER="unix:$out/pulse/native" exec wine quorvex.exe -w) & pid=$!
  wid=$(find_window) || fail "Windows sound: no window"
  sleep 7
  press_escape "$wid"; wait "$pid" || true; pid=""
}
heard win-sound win_sound
ok "Windows sound: $heard"
for format in "${other_tracks[@]}"; do
  cp "track-$format.mp3" "$win/d/termite.mp3"
  heard "win-sound-$format" win_sound
  [ ! -s "$win/stderr.txt" ] || fail "Windows: a $format track: $(cat "$win/stderr.txt")"
  ok "Windows sound, a $format track: $heard"
done
cp "$root/d/termite.mp3" "$win/d/termite.mp3"

mkdir nod && cp "$win/quorvex.exe" "$win/SDL.dll" "$win/SDL2.dll" nod/
status=0; (cd nod && SDL_VIDEODRIVER=dummy wine quorvex.exe -w) || status=$?
[ $status -eq 1 ] && grep -q '^fontti' nod/stdout.txt || fail "Windows without d/: status $status"
ok "Windows without d/: \"fontti\" in stdout.txt, status 1"

rm -f "$win/stdout.txt" "$win/stderr.txt"
: > "$win/d/kelpi.jpg"
status=0; (cd "$win" && SDL_VIDEODRIVER=dummy wine quorvex.exe -w) || status=$?
tr -d '\r' < "$win/stderr.txt" > win-err.txt
tr -d '\r' < "$win/stdout.txt" > win-out.txt
[ $status -eq 1 ] && cmp -s win-err.txt debian/err.txt && cmp -s win-out.txt debian/out.txt ||
  fail "Windows bad asset: status $status, $(cat win-err.txt)"
ok "Windows bad asset: the same line and status 1 as the Debian build"

# A read-only folder, as parties run entries from: no stdout.txt, the show runs.
cp "$root/d/kelpi.jpg" "$win/d/kelpi.jpg"
rm -f "$win/stdout.txt" "$win/stderr.txt"
if mount --bind "$win" "$win" && mounted+=("$win") && mount -o remount,ro,bind "$win"; then
  status=0; (cd "$win" && SDL_VIDEODRIVER=dummy wine quorvex.exe -w) & pid=$!
  sleep 15
  kill -0 "$pid" || fail "Windows read-only folder: the show did not keep running"
  [ ! -e "$win/stdout.txt" ] || fail "Windows read-only folder: a stdout.txt appeared"
  wineserver -k; wait "$pid" 2>/dev/null || true
  ok "Windows in a read-only folder: runs without stdout.txt"
else
  echo "release check: no read-only bind mount here; read-only folder not checked" >&2
fi
