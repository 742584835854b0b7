#!/usr/bin/env bash
# Prints the Debian archive this machine installs from (its first apt source
# that is not the security archive), for debootstrap and private apt setups.
set -euo pipefail
mirror=$(sed -n 's/^URIs:[[:space:]]*\([^[:space:]]*\).*/\1/p' /etc/apt/sources.list.d/*.sources 2>/dev/null |
  grep -v security | head -n 1 || true)
[ -n "$mirror" ] || mirror=$(awk '$1 == "deb" && $0 !~ /security/ {print $2; exit}' /etc/apt/sources.list 2>/dev/null || true)
[ -n "$mirror" ] || { echo "no Debian archive among this machine's apt sources" >&2; exit 1; }
echo "$mirror"
