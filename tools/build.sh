#!/usr/bin/env bash
# Installs any missing Debian packages, then configures and builds everything
# into build/. Shared by the play and test commands.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" >/dev/null
cmake --build build -j"$(nproc)"
