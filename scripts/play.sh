#!/usr/bin/env bash
# Builds the show and starts it from the project's root, where d/ lies.
# Arguments go to the show: -w for a window, nothing for full screen.
set -euo pipefail
# shellcheck source=SCRIPTDIR/lib/common.sh
. "$(dirname "$0")/lib/common.sh"
cd "$project_dir"
scripts/build.sh >&2
exec build/quorvex "$@"
