#!/usr/bin/env bash
# The Debian package's checks, as CI runs them (as root): build it, lintian
# with no errors or warnings, the desktop entry, metainfo and man pages
# validated, `cmake --install` staging the same files as the package, and the
# package installed with apt, run under Xvfb and removed.
set -euo pipefail
cd "$(dirname "$0")/.."
[ "$(id -u)" -eq 0 ] || { echo "package_check.sh: run it as root, it installs and removes the package" >&2; exit 1; }
tools/package.sh >/dev/null
deb=$(ls build-deb/quorvex_*.deb)

tools/apt-install.sh lintian desktop-file-utils appstream groff-base man-db xvfb xauth xdotool >/dev/null

echo "== lintian"
lintian --fail-on error,warning --display-info "$deb"

echo "== desktop entry, metainfo, man pages"
gen=build-deb/packaging
desktop-file-validate "$gen/quorvex.desktop"
for page in "$gen"/quorvex.6 "$gen"/quorvex-capture.1; do
  warnings=$(groff -man -ww -z "$page" 2>&1;
             LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || { echo "FAIL: $page: $warnings" >&2; exit 1; }
done

echo "== cmake --install stages the package's files"
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
chmod 755 "$stage"
cmake --install build-deb --prefix "$stage/usr" >/dev/null
diff <(cd "$stage" && find . ! -type d | sort) <(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort)
# The metainfo against the desktop entry and icons it names, in the staged tree.
appstreamcli validate-tree --no-net --pedantic "$stage"

echo "== installed with apt, run, removed"
xvfb-run -a -s "-screen 0 1024x768x24" bash tests/e2e/installed_package.sh "$deb" "$stage"
