#!/usr/bin/env bash
# scripts/setup/deps.sh where there is no apt (a PATH without apt-get and dpkg-query):
# exits 0 when everything is found, and names what is missing and exits
# non-zero when a command and a library are not.
set -euo pipefail
deps=${1:?usage: $0 path/to/scripts/setup/deps.sh}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# shellcheck source=SCRIPTDIR/../../scripts/lib/common.sh
. "$(dirname "$0")/../../scripts/lib/common.sh"  # fail

mkdir "$scratch/bin" "$scratch/pc"
ln -sf /bin/* /usr/bin/* "$scratch/bin/"
rm -f "$scratch"/bin/apt* "$scratch"/bin/dpkg*
IFS=: read -ra pc_dirs <<<"$(pkg-config --variable pc_path pkg-config)"
for d in "${pc_dirs[@]}"; do
  for f in "$d"/*.pc; do [ -e "$f" ] && ln -sf "$f" "$scratch/pc/"; done
done
without_apt() { env PATH="$scratch/bin" PKG_CONFIG_LIBDIR="$scratch/pc" bash "$deps" 2>"$scratch/err.txt"; }

without_apt || fail "everything is installed, yet: $(cat "$scratch/err.txt")"
rm "$scratch/bin/jq" "$scratch/pc/SDL_mixer.pc"
status=0
without_apt || status=$?
[ "$status" -ne 0 ] || fail "exit status 0 with jq and SDL_mixer missing"
grep -qw jq "$scratch/err.txt" && grep -qw SDL_mixer "$scratch/err.txt" ||
  fail "jq and SDL_mixer not both named: $(cat "$scratch/err.txt")"
echo "deps without apt: ok"
