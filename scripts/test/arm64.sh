#!/usr/bin/env bash
# The arm64 build's checks on this x86-64 machine, each program run through
# qemu-aarch64-static in the arm64 root (scripts/arm64/root.sh): the unit tests
# on every SIMD target qemu emulates (as a Pi 4's Cortex-A72: NEON; as the
# newest ARM core: NEON, SVE and SVE2, each forced in turn by the tests, beside
# the portable one), quorvex-capture's PNG frames against the x86-64 build's,
# and the arm64 Debian package against the amd64 one (scripts/release/release.sh --check
# runs the aarch64 release). Ends with "N passed, N failed"; status 1 on a failure.
# Usage: scripts/test/arm64.sh [--quick]   (--quick: unit tests and frames only)
set -euo pipefail
# shellcheck source=SCRIPTDIR/../lib/common.sh
. "$(dirname "$0")/../lib/common.sh"
cd "$project_dir"
root_dir=$PWD
version=$(project_version)
quick=0
[ "${1:-}" = --quick ] && quick=1
out=$root_dir/build-arm64-check
rm -rf "$out"
mkdir -p "$out"

passed=0 failed=0
pass() { passed=$((passed + 1)); echo "arm64: ok: $*"; }
fail() { failed=$((failed + 1)); echo "arm64: FAILED: $*"; }

arm64_root=$(scripts/arm64/root.sh)
export QUORVEX_ARM64_ROOT=$arm64_root  # the package build takes the same
# qemu_run CPU PROGRAM ARGS...: one arm64 program under qemu as that processor.
qemu_run() { local cpu=$1; shift; qemu-aarch64-static -cpu "$cpu" -L "$arm64_root" "$@"; }

# The arm64 build: the program, the capture tool, the unit tests. Every SIMD
# target Highway can build for arm64 is compiled in, the portable one (which
# no arm64 processor needs) and the fixed-width SVE ones among them, so that
# the tests can force each.
# A tree configured against another root keeps that root's paths in its cache.
[ "$(cat build-arm64/arm64-root.txt 2>/dev/null)" = "$arm64_root" ] || rm -rf build-arm64
mkdir -p build-arm64
echo "$arm64_root" >build-arm64/arm64-root.txt
cmake -S . -B build-arm64 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root_dir/scripts/arm64/toolchain.cmake" \
  -DQUORVEX_ARM64_ROOT="$arm64_root" -DQUORVEX_ASSET_TOOLS=OFF -DCMAKE_CXX_FLAGS=-DHWY_COMPILE_ALL_ATTAINABLE \
  -DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST >/dev/null
cmake --build build-arm64 -j2 >"$out/build.txt" 2>&1 || { cat "$out/build.txt"; fail "the arm64 build"; exit 1; }

# ---- Unit tests. cortex-a72 has NEON alone; max adds SVE and SVE2 with
# 512-bit vectors; max with 128-bit ones also runs the 128-bit SVE2 target.
cpus=(cortex-a72 max "max,sve-default-vector-length=16")
for cpu in "${cpus[@]}"; do
  for t in build-arm64/tests/*_test; do
    name=$(basename "$t")
    log=$out/${name}-$(echo "$cpu" | tr ",=" "__").txt
    if (cd build-arm64/tests && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy qemu_run "$cpu" "./$name" --gtest_brief=1) \
        >"$log" 2>&1; then
      pass "$name on $cpu: $(grep -o '[0-9]* tests\? from' "$log" | head -n 1 | cut -d' ' -f1) tests$(
        sed -n 's/^SIMD targets tried:/, targets/p' "$log")"
    else
      fail "$name on $cpu"; tail -n 20 "$log"
    fi
  done
done

# ---- Frames: a dozen moments across the show, captured by the x86-64 build
# and by the arm64 one (as a Pi 4 and with SVE2), compared byte for byte.
# QUORVEX_X86_BUILD names an x86-64 build of this same commit to take the
# capture tool from (CI's, made by scripts/test.sh), instead of building one.
x86_capture=${QUORVEX_X86_BUILD:-}/quorvex-capture
if [ -z "${QUORVEX_X86_BUILD:-}" ]; then
  scripts/setup/deps.sh
  cmake -S . -B build >/dev/null
  cmake --build build --target quorvex-capture -j2 >/dev/null
  x86_capture=build/quorvex-capture
fi
moments=(1200 20000 36100 52500 70000 100000 120000 150300 156000 225000 300000 515000)
for cpu in cortex-a72 max; do
  differ=()
  for ms in "${moments[@]}"; do
    x86=$out/frames-x86/$ms arm=$out/frames-${cpu}/$ms
    [ -d "$x86" ] || "$x86_capture" --data d --from "$ms" --to $((ms + 1)) --fps 1 --frames "$x86" >/dev/null 2>&1
    qemu_run "$cpu" build-arm64/quorvex-capture --data d --from "$ms" --to $((ms + 1)) --fps 1 --frames "$arm" \
      >/dev/null 2>"$out/capture-err.txt" || differ+=("$ms (status: $(tail -c 200 "$out/capture-err.txt"))")
    cmp -s "$x86/frame-000000.png" "$arm/frame-000000.png" || differ+=("$ms")
  done
  if [ ${#differ[@]} -eq 0 ]; then
    pass "capture on $cpu: ${#moments[@]} PNG frames byte-identical to x86-64's"
  else
    fail "capture on $cpu: frames differ at ${differ[*]} ms"
  fi
done

if [ $quick -eq 0 ]; then
  . scripts/arm64/checks.sh
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
