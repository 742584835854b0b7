#!/usr/bin/env bash
# Checks that the browser zip is the same bytes however it is built: packs it
# from a fresh clone of the current commit in another folder, later and under
# another umask, and compares it with ZIP (one packed by scripts/web/build.sh in this
# checkout). A difference fails with diffoscope's account of it.
# Usage: scripts/web/repro.sh ZIP   prints "repro: 1 passed, 0 failed" or the difference
set -euo pipefail
cd "$(dirname "$0")/../.."
first=$1
[ -f "$first" ] || { echo "repro: no such zip: $first" >&2; exit 2; }
scripts/setup/apt-install.sh git diffoscope >/dev/null
work=$(mktemp -d /tmp/quorvex-repro.XXXXXX)
trap 'rm -rf "$work"' EXIT
git clone -q --no-hardlinks . "$work/elsewhere/quorvex"
# The tracked files as this checkout has them, so a change not yet committed
# is built the same on both sides.
git diff HEAD --binary | (cd "$work/elsewhere/quorvex" && git apply --allow-empty --whitespace=nowarn)
second=$(cd "$work/elsewhere/quorvex" && umask 077 && scripts/web/build.sh | tail -n 1)
a=$(sha256sum <"$first" | cut -c1-64)
b=$(sha256sum <"$second" | cut -c1-64)
echo "repro: $(basename "$first") sha256 $a here, $b from $work/elsewhere"
if [ "$a" = "$b" ]; then
  echo "repro: 1 passed, 0 failed"
  exit 0
fi
diffoscope --text - --max-report-size 20000 "$first" "$second" | head -n 60 || true
echo "repro: 0 passed, 1 failed"
exit 1
