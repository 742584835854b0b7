#!/usr/bin/env bash
# The Debian package's checks, as CI runs them (as root): build it, lintian
# with no errors or warnings, the desktop entry, metainfo and man pages
# validated, `cmake --install` staging the same files as the package, and the
# package installed with apt, run under Xvfb and removed; and the package
# built again from a clone elsewhere, later, under another umask, the same
# bytes as the first.
# With --arch arm64 only that last check, for the arm64 package (its lintian
# and contents are checked in scripts/arm64/checks.sh), and root is not needed.
set -euo pipefail
# shellcheck source=SCRIPTDIR/../lib/common.sh
. "$(dirname "$0")/../lib/common.sh"
cd "$project_dir"
arch=amd64
if [ "${1:-}" = --arch ]; then arch=${2:-}; fi
case $arch in
  amd64) dir=build-deb
    [ "$(id -u)" -eq 0 ] || { echo "package_check.sh: run it as root, it installs and removes the package" >&2; exit 1; } ;;
  arm64) dir=build-deb-arm64 ;;
  *) echo "package_check.sh: --arch is amd64 or arm64" >&2; exit 2 ;;
esac
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
scripts/package/package.sh --arch "$arch" >/dev/null
deb=$(ls "$dir"/quorvex_*_"$arch".deb)

# reproduce: the package again from a clone of this tree in a folder of
# another name and depth, its compilers' clock a day and an hour ahead (a
# __DATE__ or __TIME__ shows), under umask 077; it must be the same bytes.
# Changes not yet committed are copied over, so a local run checks what the
# first build saw.
reproduce() {
  local other=$work/elsewhere/q2 started=$SECONDS
  scripts/setup/apt-install.sh git faketime >/dev/null
  git clone -q . "$other"
  local f
  while IFS= read -r -d '' f; do
    if [ -e "$f" ]; then mkdir -p "$other/$(dirname "$f")"; cp -p "$f" "$other/$f"; else rm -f "$other/$f"; fi
  done < <(git ls-files -z -m -d -o --exclude-standard)
  if ! (cd "$other" && umask 077 &&
        CMAKE_C_COMPILER_LAUNCHER="faketime;-f;+25h" CMAKE_CXX_COMPILER_LAUNCHER="faketime;-f;+25h" \
        scripts/package/package.sh --arch "$arch") >"$work/again.log" 2>&1; then
    cat "$work/again.log" >&2
    echo "FAIL: the second build of the package" >&2; exit 1
  fi
  local again first second
  again=$(ls "$other/$dir"/quorvex_*_"$arch".deb)
  first=$(sha256sum <"$deb" | cut -d' ' -f1)
  second=$(sha256sum <"$again" | cut -d' ' -f1)
  if [ "$first" != "$second" ]; then
    # What differs, where: diffoscope's outline, and the text the binaries'
    # strings gained or lost (a path or a clock shows there); all of it kept.
    local kept=$dir/again report=$dir/diffoscope.txt
    mkdir -p "$kept" && cp "$again" "$kept/"
    scripts/setup/apt-install.sh diffoscope-minimal >/dev/null
    diffoscope --no-progress --text "$report" "$deb" "$kept/$(basename "$again")" >/dev/null 2>&1 || true
    {
      echo "FAIL: $deb is not reproducible: sha256 $first, and $second built in another folder; diffoscope:"
      grep -F '├──' "$report" | head -n 40
      echo "strings gained (+) or lost (-):"
      awk '/├── strings / {on = 1; next} /├──/ {on = 0} on && /^[│ ]*[-+][^-+]/' "$report" | head -n 20
      echo "diffoscope's whole report: $report; the second package: $kept/"
    } >&2
    exit 1
  fi
  echo "$(basename "$deb") is reproducible: sha256 $first, both builds ($((SECONDS - started)) s for the second)"
}

if [ "$arch" = arm64 ]; then
  echo "== reproducible"
  reproduce
  exit 0
fi

scripts/setup/apt-install.sh lintian desktop-file-utils appstream groff-base man-db xvfb xauth xdotool >/dev/null

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
stage=$work/stage
mkdir -m 755 "$stage"
cmake --install build-deb --prefix "$stage/usr" >/dev/null
diff <(cd "$stage" && find . ! -type d | sort) <(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort)
# The metainfo against the desktop entry and icons it names, in the staged tree.
appstreamcli validate-tree --no-net --pedantic "$stage"

echo "== installed with apt, run, removed"
xvfb-run -a -s "-screen 0 1024x768x24 -noreset" bash tests/e2e/installed_package.sh "$deb" "$stage"

echo "== reproducible"
reproduce
