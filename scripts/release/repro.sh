#!/usr/bin/env bash
# Checks that the release archives are the same bytes however they are built:
# builds them again from a fresh clone of the current commit in another
# folder, under another umask and without the compiler cache, and compares
# each with the one in dist/ (made by scripts/release/release.sh in this
# checkout) by the SHA-256 in dist/SHA256SUMS. A difference fails with
# diffoscope's account of it.
# Usage: scripts/release/repro.sh   prints "repro: N passed, N failed"
set -euo pipefail
# shellcheck source=SCRIPTDIR/../lib/common.sh
. "$(dirname "$0")/../lib/common.sh"
cd "$project_dir"
[ -f dist/SHA256SUMS ] || { echo "repro: no dist/SHA256SUMS: run scripts/release/release.sh first" >&2; exit 2; }
scripts/setup/apt-install.sh git diffoscope >/dev/null
work=$(mktemp -d /tmp/quorvex-repro.XXXXXX)
trap 'rm -rf "$work"' EXIT
git clone -q --no-hardlinks . "$work/elsewhere/quorvex"
# The tracked files as this checkout has them, so a change not yet committed
# is built the same on both sides.
git diff HEAD --binary | (cd "$work/elsewhere/quorvex" && git apply --allow-empty --whitespace=nowarn)
(cd "$work/elsewhere/quorvex" && umask 077 && CCACHE_DISABLE=1 scripts/release/release.sh) > "$work/release.txt" 2>&1 ||
  { tail -n 30 "$work/release.txt"; echo "repro: the second build failed"; exit 1; }
passed=0 failed=0
while read -r sum file; do
  second=$work/elsewhere/quorvex/dist/$file
  if [ "$(sha256sum < "$second" | cut -c1-64)" = "$sum" ]; then
    passed=$((passed + 1)); echo "repro: $file: the same bytes ($sum)"
  else
    failed=$((failed + 1)); echo "repro: $file differs:"
    diffoscope --text - --max-report-size 20000 "dist/$file" "$second" | head -n 60 || true
  fi
done < dist/SHA256SUMS
echo "repro: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
