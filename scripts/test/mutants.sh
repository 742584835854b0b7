#!/usr/bin/env bash
# Mutation testing: puts each small fault listed in tests/mutants/*.txt, one at
# a time, into a scratch copy of the tree, rebuilds it, runs the suite and says
# whether the suite noticed (killed) or not (survived). Not part of CI: each
# fault costs a rebuild and a test run, about 25 minutes for the whole list.
#
#   scripts/test/mutants.sh [PATTERN]    only the faults whose file or reason matches PATTERN
#
# It builds the show, the capture tool and the unit tests of both (not the
# art and music tools, their tests or the benchmarks, which read nothing under
# src/ that the others do not), and runs the unit tests and the fast end-to-end
# tests (start-up failures, the headless run, the small screen); MUTANT_SKIP,
# a CTest -E pattern, names the tests left out. A run stops at its first
# failing test, and any test gets 120 s.
set -euo pipefail
# shellcheck source=SCRIPTDIR/../lib/common.sh
. "$(dirname "$0")/../lib/common.sh"
root=$project_dir
pattern=${1:-}
skip=${MUTANT_SKIP:-'^(e2e_capture|e2e_bad_assets|e2e_window|e2e_quit_paths|ArtTool|FontAtlas|Pictures\.|Music)|_NOT_BUILT$'}
scratch=$(mktemp -d /tmp/quorvex-mutants.XXXXXX)
trap 'rm -rf "$scratch"' EXIT

tar -C "$root" --exclude='./build*' --exclude=./.git -cf - . | tar -C "$scratch" -xf -
cmake -S "$scratch" -B "$scratch/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

mapfile -t unit_tests < <(grep -oE '^quorvex_unit_test\([a-z_]+' "$root/tests/CMakeLists.txt" | cut -d'(' -f2 | grep -vE '^(art|music)_test$')
targets=(quorvex quorvex-capture send-wm-delete "${unit_tests[@]}")
# One target at a time: make given several at once builds their shared
# libraries twice in parallel, and the two builds trip over each other.
build() {
  local target
  for target in "${targets[@]}"; do
    cmake --build "$scratch/build" -j2 --target "$target" </dev/null >"$scratch/build.log" 2>&1 || return 1
  done
}
# run_suite: status 0 when every test passes; the first failing test in $failed.
run_suite() {
  failed=""
  if (cd "$scratch/build" && ctest -j2 --timeout 120 --stop-on-failure -E "$skip") </dev/null >"$scratch/ctest.log" 2>&1; then
    return 0
  fi
  failed=$(sed -n '/The following tests FAILED/{n;p;q}' "$scratch/ctest.log" | sed -E 's/^[[:space:]]*[0-9]+ - //')
  return 1
}

build || { tail -20 "$scratch/build.log"; echo "the unmutated tree does not build" >&2; exit 1; }
run_suite || { echo "the unmutated suite fails: $failed" >&2; exit 1; }

killed=0 survived=0 stale=0 broken=0
survivors=()
# apply FILE FROM TO: replaces the one occurrence of FROM; status 1 when there is none or several.
apply() {
  local path=$scratch/$1 text rest
  [ -f "$path" ] || return 1
  text=$(<"$path")
  [[ $text == *"$2"* ]] || return 1
  rest=${text#*"$2"}
  [[ $rest == *"$2"* ]] && return 1
  printf '%s\n' "${text/"$2"/"$3"}" >"$path"
}

try_mutant() {
  local file=$1 from=$2 to=$3 label="$1: $4"
  [ -z "$pattern" ] || [[ $label =~ $pattern ]] || return 0
  if [ -z "$file" ] || [ -z "$from" ]; then
    echo "stale     $label (incomplete record)"
    stale=$((stale + 1))
    return 0
  fi
  cp "$scratch/$file" "$scratch/original" 2>/dev/null || { echo "stale     $label (no such file)"; stale=$((stale + 1)); return 0; }
  if ! apply "$file" "$from" "$to"; then
    echo "stale     $label"
    stale=$((stale + 1))
    return 0
  fi
  if ! build; then
    echo "no-build  $label: $(grep -m1 -E 'error' "$scratch/build.log" || tail -1 "$scratch/build.log")"
    broken=$((broken + 1))
  elif run_suite; then
    echo "SURVIVED  $label"
    survived=$((survived + 1))
    survivors+=("$label")
  else
    echo "killed    $label  [$failed]"
    killed=$((killed + 1))
  fi
  # A fresh time stamp, so the next build recompiles the restored file.
  cp "$scratch/original" "$scratch/$file"
  touch "$scratch/$file"
}

file="" from="" to=""
for list in "$root"/tests/mutants/*.txt; do
  # The list is read on its own descriptor, so nothing the tests run can eat it.
  while IFS= read -r -u 3 line || [ -n "$line" ]; do
    case $line in
      '' | '#'*) continue ;;
    esac
    key=${line%% *}
    value=${line#"$key"}
    value=${value#"${value%%[! ]*}"}
    case $key in
      file) file=$value ;;
      from) from=$value ;;
      to) to=$value ;;
      why)
        try_mutant "$file" "$from" "$to" "$value"
        file="" from="" to=""
        ;;
    esac
  done 3<"$list"
done
echo
echo "mutants: $killed killed, $survived survived, $stale stale, $broken not building"
for s in "${survivors[@]}"; do echo "  survived: $s"; done
