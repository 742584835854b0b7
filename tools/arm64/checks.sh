# shellcheck shell=bash disable=SC2154  # pass, fail, qemu_run, arm64_root, out and version come from tools/test-arm64.sh
# The arm64 Debian package against the amd64 one, and the static aarch64
# release program run under qemu. Sourced by tools/test-arm64.sh, whose pass,
# fail, qemu_run, arm64_root, out and version it uses.

# ---- The Debian package: lintian clean, the same files with the same modes
# and owners as amd64's, the same control fields but the architecture's own.
tools/apt-install.sh lintian >/dev/null
tools/package.sh >"$out/package-amd64.txt" 2>&1 || { cat "$out/package-amd64.txt"; fail "the amd64 package"; }
tools/package.sh --arch arm64 >"$out/package-arm64.txt" 2>&1 || { cat "$out/package-arm64.txt"; fail "the arm64 package"; }
amd=build-deb/quorvex_${version}_amd64.deb arm=build-deb-arm64/quorvex_${version}_arm64.deb
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

# ---- The static release: only glibc, no symbol newer than 2.35, headless
# under qemu in the arm64 root, and the Debian build's error on a bad picture.
tar=dist/quorvex-$version-linux-aarch64.tar.gz
[ -f "$tar" ] || tools/release.sh >"$out/release.txt" 2>&1 || { tail -n 30 "$out/release.txt"; fail "the release build"; }
if [ -f "$tar" ]; then
  rel=$out/release
  mkdir -p "$rel"
  tar -xzf "$tar" -C "$rel" --strip-components=1
  needed=$(aarch64-linux-gnu-readelf -d "$rel/quorvex" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p' | tr '\n' ' ')
  newest=$(aarch64-linux-gnu-objdump -T "$rel/quorvex" | grep -o 'GLIBC_[0-9.]*' | sort -Vu | tail -n 1)
  if ! echo "$needed" | tr ' ' '\n' | grep -Ev '^$|^(libc|libm|libdl|libpthread|librt)\.so|^ld-linux' >/dev/null &&
     [ "$(printf '%s\nGLIBC_2.35\n' "$newest" | sort -V | tail -n 1)" = GLIBC_2.35 ]; then
    pass "the aarch64 release ($(stat -c %s "$tar") bytes) needs only $needed; newest glibc symbol $newest"
  else
    fail "the aarch64 release needs $needed, newest glibc symbol $newest"
  fi

  # Disk audio into a plain file: SDL refuses /dev/null as its output. Run in
  # a subshell, which qemu replaces, so that a signal to it reaches the program.
  run_release() {
    cd "$rel" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out/audio.raw" SDL_DISKAUDIODELAY=20 \
      exec qemu-aarch64-static -L "$arm64_root" ./quorvex >"$out/release-out.txt" 2>"$out/release-err.txt"
  }
  run_release &
  pid=$!
  sleep 20
  kill -TERM "$pid"
  status=0; wait "$pid" || status=$?
  if [ $status -eq 0 ] && [ "$(wc -l <"$out/release-out.txt")" -ge 10 ] &&
     ! grep -Eqv '^ *[0-9]+ +[0-9]+\.[0-9]{2} +([0-9]+\.[0-9]{2}|inf)$' "$out/release-out.txt"; then
    pass "the aarch64 release headless under qemu: $(wc -l <"$out/release-out.txt") log lines, status 0 on SIGTERM"
  else
    fail "the aarch64 release headless: status $status, $(head -c 300 "$out/release-err.txt")"
  fi

  : >"$rel/d/kelpi.jpg"
  status=0; (run_release) || status=$?
  mkdir -p "$out/debian/d" && cp -r d/. "$out/debian/d/" && : >"$out/debian/d/kelpi.jpg"
  deb_status=0
  (cd "$out/debian" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$root_dir/build/quorvex" >out.txt 2>err.txt) || deb_status=$?
  if [ $status -eq 1 ] && [ $deb_status -eq 1 ] && cmp -s "$out/release-err.txt" "$out/debian/err.txt" &&
     cmp -s "$out/release-out.txt" "$out/debian/out.txt"; then
    pass "the aarch64 release on a zero-byte picture: \"$(cat "$out/debian/err.txt")\", status 1, as the x86-64 build"
  else
    fail "the aarch64 release on a zero-byte picture: status $status, $(cat "$out/release-err.txt")"
  fi
fi
