#!/usr/bin/env bash
# The Debian package as a user gets it, run as root under Xvfb: installed with
# apt, the desktop entry's command runs the show from / and from elsewhere, the
# capture tool writes where it is run, a staged copy with an unreadable font
# atlas fails cleanly; removed, it leaves nothing behind.
deb=$(realpath "${1:?usage: $0 package.deb staged-root}")
stage=${2:?usage: $0 package.deb staged-root}
# shellcheck source=SCRIPTDIR/common.sh
source "$(dirname "$0")/common.sh" "$deb"
export SDL_AUDIODRIVER=dummy
unset SDL_VIDEODRIVER
package=$(dpkg-deb -f "$deb" Package)
trap 'dpkg-query -W "$package" >/dev/null 2>&1 && apt-get purge -y -qq "$package" >/dev/null; rm -rf "$scratch"' EXIT

apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends "$deb" >/dev/null
desktop=/usr/share/applications/quorvex.desktop
mapfile -t execs < <(sed -n 's/^Exec=//p' "$desktop")
show=${execs[0]}
[ "${execs[1]}" = "$show -w" ] || fail "the window action runs '${execs[1]}'"

# window_run DIR: the show started with -w from DIR quits on the release of Escape.
window_run() {
  local pid wid status=0
  (cd "$1" && exec $show -w) >"$scratch/out.txt" 2>"$scratch/err.txt" &
  pid=$!
  wid=$(show_window 60) || fail "from $1: no window titled QUORVEX"
  xdotool windowfocus --sync "$wid"
  sleep 1
  xdotool key Escape
  wait_until 5 process_gone "$pid" || true
  kill -0 "$pid" 2>/dev/null && { kill "$pid"; fail "from $1: Escape did not quit"; }
  wait "$pid" || status=$?
  [ "$status" -eq 0 ] || fail "from $1: status $status"
  (cd "$scratch" && check_frame_log 1)
}
window_run /
mkdir "$scratch/elsewhere"
window_run "$scratch/elsewhere"

# A staged copy whose font atlas cannot be read (root reads anything, so the
# show runs as nobody there): the message and the status come through the launcher.
chmod -R a+rX "$stage"
chmod 000 "$(find "$stage" -name fontsRustyTrans.png)"
as_user=()
[ "$(id -u)" -eq 0 ] && as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
status=0
SDL_VIDEODRIVER=dummy "${as_user[@]}" "$stage$show" -w >"$scratch/out.txt" 2>"$scratch/err.txt" || status=$?
[ "$status" -eq 1 ] && [ "$(cat "$scratch/out.txt")" = fontti ] ||
  fail "unreadable atlas: status $status, output '$(cat "$scratch/out.txt")'"

mkdir "$scratch/capture"
(cd "$scratch/capture" && "$(dirname "$show")/quorvex-capture" --to 500 --frames out >/dev/null) ||
  fail "quorvex-capture failed in a directory without d/"
[ -s "$scratch/capture/out/frame-000000.png" ] || fail "no frames in the capture's out/"

mapfile -t owned < <(dpkg-query -L "$package")
apt-get purge -y -qq "$package" >/dev/null
for path in "${owned[@]}"; do
  if [ -d "$path" ]; then
    [ -n "$(ls -A "$path")" ] || dpkg-query -S "$path" >/dev/null 2>&1 || fail "empty directory left: $path"
  elif [ -e "$path" ] || [ -L "$path" ]; then
    fail "left after removal: $path"
  fi
done
echo "installed package: ok"
