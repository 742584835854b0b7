#!/usr/bin/env bash
# A short fuzzing run of each libFuzzer target (tests/fuzz/: the text
# renderer, and the image and track checks) from its seeds, the two side by
# side, one core each. FUZZ_SECONDS (default 60) is each run's length;
# FUZZ_RUNS, where given, ends a run after that many inputs if that comes
# first (CI runs the targets at idle priority beside other checks, where a
# count of seconds would test however few inputs those left room for).
# A finding is saved as build-fuzz/TARGET-crash-... (or leak-, timeout-,
# oom-), kept for a look, and fails the run.
set -euo pipefail
# shellcheck source=SCRIPTDIR/../lib/common.sh
. "$(dirname "$0")/../lib/common.sh"
cd "$project_dir"
scripts/setup/deps.sh
scripts/setup/apt-install.sh clang
root=$PWD
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT

echo "== fuzzing, the two targets side by side"
fuzz="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF \
  -DQUORVEX_FUZZ=ON -DCMAKE_CXX_FLAGS="$fuzz" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target text-fuzz assets-fuzz
# fuzz_target TARGET: one target's run, its corpus a copy of the seeds.
fuzz_target() {
  local target=$1 found=$root/build-fuzz/$1-
  mkdir -p "$logs/corpus-$target"
  cp tests/fuzz/seeds/"$target"/* "$logs/corpus-$target"/
  rm -f "$found"crash-* "$found"leak-* "$found"timeout-* "$found"oom-*
  ASAN_OPTIONS=detect_leaks=0 build-fuzz/tests/fuzz/"$target"-fuzz -max_total_time="${FUZZ_SECONDS:-60}" \
    ${FUZZ_RUNS:+-runs="$FUZZ_RUNS"} \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$found" "$logs/corpus-$target" 2>&1 |
    grep -E 'stat::number_of_executed_units|ERROR|SUMMARY' | sed "s/^/$target: /" || true
  if ls "$found"crash-* "$found"leak-* "$found"timeout-* "$found"oom-* >/dev/null 2>&1; then
    echo "fuzzing $target found a fault: $(ls "$found"*-*)"
    return 1
  fi
}
fuzz_text() { fuzz_target text; }
fuzz_assets() { fuzz_target assets; }
side_by_side "$logs" fuzz_text fuzz_assets || { echo "fuzzing found a fault above" >&2; exit 1; }
echo "fuzzing: no faults found"
