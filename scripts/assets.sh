#!/usr/bin/env bash
# Regenerates every asset in d/ with our own tools: the font atlas and the nine
# pictures (quorvex-art), and the track (quorvex-music). Deterministic: an
# unchanged tool rewrites the committed files byte for byte.
set -euo pipefail
# shellcheck source=SCRIPTDIR/lib/common.sh
. "$(dirname "$0")/lib/common.sh"
cd "$project_dir"
scripts/build.sh >/dev/null
cmake --build build --target art music
