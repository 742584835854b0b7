#!/usr/bin/env bash
# The checks beyond the test suite, as CI runs them: every test again under
# AddressSanitizer and UndefinedBehaviorSanitizer, a short show under valgrind
# memcheck, a soak run whose memory must stay flat, and a short fuzzing run of
# each libFuzzer target. SOAK_SECONDS and FUZZ_SECONDS shorten or lengthen those;
# SOAK_SECONDS=0 leaves the soak to the caller (CI runs it beside the arm64
# checks). The valgrind shows and the fuzzing targets run two at a time, one
# core each; the soak (one core, a memory bound, no timing) runs beside them.
# SOAK_BUILD names the build tree whose program soaks (default build/, which
# scripts/build.sh makes when it is missing).
set -euo pipefail
# shellcheck source=SCRIPTDIR/../lib/common.sh
. "$(dirname "$0")/../lib/common.sh"
cd "$project_dir"
scripts/setup/deps.sh
scripts/setup/apt-install.sh clang valgrind
jobs=$(nproc)
root=$PWD
soak_build=${SOAK_BUILD:-$root/build}
[ -x "$soak_build/quorvex" ] || scripts/build.sh

echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer"
sanitize="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS="$sanitize" -DCMAKE_EXE_LINKER_FLAGS="$sanitize" >/dev/null
cmake --build build-asan -j"$jobs"
# The show frees nothing before exit by design, so leaks are not reported.
(cd build-asan && QUORVEX_SANITIZED=1 ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 \
  UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j2)

soak_seconds=${SOAK_SECONDS:-300}
logs=$(mktemp -d)
soak_log=$logs/soak.txt
soak_pid=""
# In a session of its own, so that a failure here stops the show it runs too.
trap '[ -z "$soak_pid" ] || kill -- -"$soak_pid" 2>/dev/null; rm -rf "$logs"' EXIT
if [ "$soak_seconds" -gt 0 ]; then
  echo "== soak, in the background until the end"
  setsid bash tests/e2e/soak.sh "$soak_build/quorvex" "$soak_seconds" >"$soak_log" 2>&1 &
  soak_pid=$!
fi

# side_by_side A B: the functions A and B at once (each keeps one core busy),
# then their outputs one after the other; fails if either failed.
side_by_side() {
  local a b status_a=0 status_b=0
  "$1" >"$logs/$1.txt" 2>&1 &
  a=$!
  "$2" >"$logs/$2.txt" 2>&1 &
  b=$!
  wait "$a" || status_a=$?
  wait "$b" || status_b=$?
  cat "$logs/$1.txt" "$logs/$2.txt"
  [ "$status_a" -eq 0 ] && [ "$status_b" -eq 0 ]
}

echo "== a short show under valgrind memcheck, and one over sdl12-compat beside it"
cmake -S . -B build-valgrind -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF -DQUORVEX_STATIC_SIMD=ON >/dev/null
cmake --build build-valgrind -j"$jobs" --target quorvex
valgrind_classic() { bash tests/e2e/valgrind_show.sh "$root/build-valgrind/quorvex"; }
# Over sdl12-compat (as scripts/test/compat.sh unpacks it) with a 44.1 kHz mono
# track: the mixer must open in the track's format, since converting it there
# wrote past SDL's buffer.
compat_lib=${QUORVEX_CACHE:-/var/cache/quorvex}/sdl12-compat-1.2.60-1/usr/lib/$(gcc -dumpmachine)/sdl12-compat
valgrind_compat() {
  if [ -e "$compat_lib/libSDL-1.2.so.0" ]; then
    LD_LIBRARY_PATH=$compat_lib bash tests/e2e/valgrind_show.sh "$root/build-valgrind/quorvex" 44100:1
  else
    echo "valgrind over sdl12-compat: not run, scripts/test/compat.sh has not unpacked it"
  fi
}
side_by_side valgrind_classic valgrind_compat || { echo "hardening: valgrind found a fault above" >&2; exit 1; }

echo "== fuzzing, the two targets side by side"
fuzz="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF \
  -DQUORVEX_FUZZ=ON -DCMAKE_CXX_FLAGS="$fuzz" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build build-fuzz -j"$jobs" --target text-fuzz assets-fuzz
# fuzz_target TARGET: a short run from the seeds. libFuzzer stops at a finding
# and saves its input as build-fuzz/TARGET-crash-... (or leak-, timeout-,
# oom-), kept for a look; one there fails the run.
fuzz_target() {
  local target=$1 found=$root/build-fuzz/$1-
  mkdir -p "$logs/corpus-$target"
  cp tests/fuzz/seeds/"$target"/* "$logs/corpus-$target"/
  rm -f "$found"crash-* "$found"leak-* "$found"timeout-* "$found"oom-*
  ASAN_OPTIONS=detect_leaks=0 build-fuzz/tests/fuzz/"$target"-fuzz -max_total_time="${FUZZ_SECONDS:-60}" \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$found" "$logs/corpus-$target" 2>&1 |
    grep -E 'stat::number_of_executed_units|ERROR|SUMMARY' | sed "s/^/$target: /" || true
  if ls "$found"crash-* "$found"leak-* "$found"timeout-* "$found"oom-* >/dev/null 2>&1; then
    echo "fuzzing $target found a fault: $(ls "$found"*-*)"
    return 1
  fi
}
fuzz_text() { fuzz_target text; }
fuzz_assets() { fuzz_target assets; }
side_by_side fuzz_text fuzz_assets || { echo "hardening: fuzzing found a fault above" >&2; exit 1; }
if [ -n "$soak_pid" ]; then
  echo "== soak (waiting for it)"
  status=0
  wait "$soak_pid" || status=$?
  soak_pid=""
  cat "$soak_log"
  [ "$status" -eq 0 ] || { echo "the soak failed (status $status)" >&2; exit 1; }
else
  echo "== soak: left to the caller (SOAK_SECONDS=0)"
fi
echo "hardening: all checks passed"
