#!/usr/bin/env bash
# The checks beyond the test suite, as CI runs them: every test again under
# AddressSanitizer and UndefinedBehaviorSanitizer, a short show under valgrind
# memcheck, a soak run whose memory must stay flat, and a short fuzzing run of
# each libFuzzer target (scripts/test/fuzz.sh). SOAK_SECONDS and FUZZ_SECONDS
# shorten or lengthen those; 0 leaves that one to the caller (CI runs both in
# the background). The valgrind shows run two at a time, one core each; the
# soak (a quarter of a core, a memory bound, no timing) runs beside them.
# SOAK_BUILD names the build tree whose program soaks (default build/, which
# scripts/build.sh makes when it is missing).
set -euo pipefail
# shellcheck source=SCRIPTDIR/../lib/common.sh
. "$(dirname "$0")/../lib/common.sh"
cd "$project_dir"
scripts/setup/deps.sh
scripts/setup/apt-install.sh clang valgrind cpulimit
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
side_by_side "$logs" valgrind_classic valgrind_compat || { echo "hardening: valgrind found a fault above" >&2; exit 1; }

if [ "${FUZZ_SECONDS:-60}" -gt 0 ]; then
  scripts/test/fuzz.sh
else
  echo "== fuzzing: left to the caller (FUZZ_SECONDS=0)"
fi
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
