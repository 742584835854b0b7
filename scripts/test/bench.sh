#!/usr/bin/env bash
# Builds the benchmarks in Release (into build-release/), runs them and prints
# each fast version's speed-up over its reference, measured in the same run.
# Arguments go to the benchmark binary, e.g. --benchmark_filter=Backdrop.
set -euo pipefail
# shellcheck source=SCRIPTDIR/../lib/common.sh
. "$(dirname "$0")/../lib/common.sh"
cd "$project_dir"
scripts/setup/deps.sh
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-release -j"$(nproc)" --target quorvex-bench >/dev/null

out=$(mktemp)
trap 'rm -f "$out"' EXIT
# Medians of three repetitions: the machine may be shared, and timings wander.
build-release/bench/quorvex-bench --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
  --benchmark_out="$out" --benchmark_out_format=json "$@"

echo
# The backdrop, the blits and the frame run on one thread: CPU time. The fast
# fill uses two threads: wall time.
jq -r '
  [.benchmarks[] | select(.aggregate_name == "median") | {key: .run_name, value: .}] | from_entries as $b
  | def line(what; ref; fast; field):
      if ($b[ref] and $b[fast]) then
        "\(what): reference \($b[ref][field] * 100 | round / 100) \($b[ref].time_unit), fast \($b[fast][field] * 100 | round / 100) \($b[fast].time_unit), \($b[ref][field] / $b[fast][field] * 10 | round / 10)x"
      else empty end;
    line("backdrop, one core (\($b["BM_BackdropFast"].label // "?"))"; "BM_BackdropReference"; "BM_BackdropFast"; "cpu_time"),
    line("stripe table fill, wall clock"; "BM_StripeFillReference/real_time"; "BM_StripeFillFast/real_time"; "real_time"),
    line("glyph blit, SDL against ours (\($b["BM_GlyphBlit/simd"].label // "?"))"; "BM_GlyphBlit/sdl"; "BM_GlyphBlit/simd"; "cpu_time"),
    line("picture blit, SDL against ours"; "BM_PictureBlit/sdl"; "BM_PictureBlit/simd"; "cpu_time"),
    line("whole frame against the reference frame"; "BM_Frame/reference"; "BM_Frame/show"; "cpu_time"),
    line("whole frame against the frame with SDL blits"; "BM_Frame/sdl_blits"; "BM_Frame/show"; "cpu_time"),
    line("scroll text, walk from the start against the pen table"; "BM_TekstiWholeScrollText/walk"; "BM_TekstiWholeScrollText/pen_table"; "cpu_time")
' "$out"
