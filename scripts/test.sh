#!/usr/bin/env bash
# Builds everything and runs every test: unit tests and end-to-end runs of the show.
set -euo pipefail
# shellcheck source=SCRIPTDIR/lib/common.sh
. "$(dirname "$0")/lib/common.sh"
cd "$project_dir"
scripts/build.sh
cd build
ctest --output-on-failure -j2
