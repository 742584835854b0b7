#!/usr/bin/env bash
# Installs any missing Debian packages, then configures and builds everything
# into build/. Shared by the play and test commands.
set -euo pipefail
# shellcheck source=SCRIPTDIR/lib/common.sh
. "$(dirname "$0")/lib/common.sh"
cd "$project_dir"
scripts/setup/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" >/dev/null
cmake --build build -j"$(nproc)"
