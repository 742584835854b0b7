#!/usr/bin/env bash
# apt-install.sh PACKAGE...: installs those of the named Debian packages that
# are missing, with sudo when not root; does nothing when all are there. Waits
# for another apt run's lock rather than failing on it.
set -euo pipefail
missing=()
for p in "$@"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
apt=(apt-get -o DPkg::Lock::Timeout=900)
$sudo "${apt[@]}" update -qq
$sudo env DEBIAN_FRONTEND=noninteractive "${apt[@]}" install -y --no-install-recommends "${missing[@]}"
