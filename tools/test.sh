#!/usr/bin/env bash
# Builds everything and runs every test: unit tests and end-to-end runs of the show.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/build.sh
cd build
ctest --output-on-failure -j2
