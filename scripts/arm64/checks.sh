# shellcheck shell=bash disable=SC2154  # pass, fail, arm64_root, out and version come from scripts/test/arm64.sh
# The arm64 Debian package against the amd64 one, and built twice to the same
# bytes (the aarch64 release is checked by scripts/release/release.sh --check). Sourced by scripts/test/arm64.sh, whose
# pass, fail, arm64_root, out and version it uses.

# ---- The Debian package: lintian clean, the same files with the same modes
# and owners as amd64's, the same control fields but the architecture's own.
# QUORVEX_AMD64_DEB names an amd64 package of this same commit to compare
# with (CI's, made by scripts/package/check.sh), instead of building one.
scripts/setup/apt-install.sh lintian >/dev/null
amd=${QUORVEX_AMD64_DEB:-build-deb/quorvex_${version}_amd64.deb} arm=build-deb-arm64/quorvex_${version}_arm64.deb
if [ -z "${QUORVEX_AMD64_DEB:-}" ]; then
  scripts/package/package.sh >"$out/package-amd64.txt" 2>&1 || { cat "$out/package-amd64.txt"; fail "the amd64 package"; }
fi
scripts/package/package.sh --arch arm64 >"$out/package-arm64.txt" 2>&1 || { cat "$out/package-arm64.txt"; fail "the arm64 package"; }
if [ -f "$arm" ]; then
  if lintian --fail-on error,warning "$arm" >"$out/lintian.txt" 2>&1; then
    pass "lintian: the arm64 package is clean ($(stat -c %s "$arm") bytes)"
  else
    fail "lintian on the arm64 package"; cat "$out/lintian.txt"
  fi
  listing() { dpkg-deb -c "$1" | awk '{print $1, $2, $6}' | sort -k 3; }
  if diff <(listing "$amd") <(listing "$arm") >"$out/contents.diff"; then
    pass "the arm64 package holds the amd64 one's $(listing "$arm" | grep -vc '^d') files, modes and owners"
  else
    fail "the packages' contents differ"; cat "$out/contents.diff"
  fi
  fields() { dpkg-deb -f "$1" | sed -e '/^Architecture:/d' -e '/^Installed-Size:/d'; }
  if [ "$(dpkg-deb -f "$arm" Architecture)" = arm64 ] && diff <(fields "$amd") <(fields "$arm") >"$out/control.diff"; then
    pass "the arm64 package's control fields are amd64's but Architecture: arm64"
  else
    fail "the packages' control fields differ"; cat "$out/control.diff"
  fi
fi
# The same bytes again from a clone elsewhere, later, under another umask.
if scripts/package/check.sh --arch arm64 >"$out/package-repro.txt" 2>&1; then
  pass "$(grep 'is reproducible' "$out/package-repro.txt")"
else
  fail "the arm64 package built again differs"; cat "$out/package-repro.txt"
fi
