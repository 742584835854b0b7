#!/usr/bin/env bash
# Builds everything and runs every test: unit tests and end-to-end runs of the show.
# Usage: scripts/test.sh [--again]   (--again: the build is tested already and
# runs now over another SDL, so the tests that never load SDL are left out)
set -euo pipefail
# shellcheck source=SCRIPTDIR/lib/common.sh
. "$(dirname "$0")/lib/common.sh"
cd "$project_dir"
scripts/build.sh
cd build
skip=()
[ "${1:-}" = --again ] && skip=(-E "$sdl_free_tests")
ctest --output-on-failure -j2 "${skip[@]}"
