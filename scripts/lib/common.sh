# shellcheck shell=bash
# The shell library every script and end-to-end test sources: where the
# project is and its version, and one way each to wait for something, to find
# the show's window, to press its Escape and to check its frame log.
# Usage: . "$(dirname "$0")/../lib/common.sh"   (sets project_dir; changing
# into it is the caller's choice)

project_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# fail MESSAGE...: the reason on standard error, one line, and exit 1. The
# line starts with $fail_prefix ("FAIL" unless the script names itself).
fail() { echo "${fail_prefix:-FAIL}: $*" >&2; exit 1; }

# project_version: the version in CMakeLists.txt, as the archives are named.
project_version() {
  sed -n 's/^project(quorvex VERSION \([0-9.]*\).*/\1/p' "$project_dir/CMakeLists.txt"
}

# wait_until SECONDS COMMAND...: runs COMMAND every tenth of a second until it
# succeeds; status 1 if it has not within SECONDS.
wait_until() {
  local tries=$(($1 * 10))
  shift
  until "$@"; do
    tries=$((tries - 1))
    [ "$tries" -gt 0 ] || return 1
    sleep 0.1
  done
}

# side_by_side DIR A B: the functions A and B at once (each keeps one core
# busy), their outputs in DIR, then shown one after the other; fails if
# either failed.
side_by_side() {
  local dir=$1 a b status_a=0 status_b=0
  "$2" >"$dir/$2.txt" 2>&1 &
  a=$!
  "$3" >"$dir/$3.txt" 2>&1 &
  b=$!
  wait "$a" || status_a=$?
  wait "$b" || status_b=$?
  cat "$dir/$2.txt" "$dir/$3.txt"
  [ "$status_a" -eq 0 ] && [ "$status_b" -eq 0 ]
}

# The suite's two long tests that never load SDL: the art tool repainting d/
# and the whole track rendered. A second run of the same build over another
# SDL (ctest -E "$sdl_free_tests") would only repeat them.
# shellcheck disable=SC2034  # for the scripts that source this
sdl_free_tests='^(ArtTool\.RepaintsExactlyTheCommittedPixels|MusicRender\.WholeTrackDevelopsAndIsMastered)$'

# process_gone PID: whether the process has ended (for wait_until).
process_gone() { ! kill -0 "$1" 2>/dev/null; }

# show_window SECONDS: prints the id of the window titled QUORVEX once there
# is one. The search is retried rather than left waiting (--sync): a window
# that vanishes while xdotool reads it (a window manager starting, SDL 2's
# full-screen set-up) kills that search with an X error.
show_window() {
  local wid="" tries=$(($1 * 4))
  while [ "$tries" -gt 0 ]; do
    wid=$(xdotool search --name '^QUORVEX$' 2>/dev/null | head -n 1) || true
    [ -n "$wid" ] && { echo "$wid"; return 0; }
    tries=$((tries - 1))
    sleep 0.25
  done
  return 1
}

# start_window_manager: openbox on $DISPLAY, in the background (its process id
# in $wm_pid), waiting up to 30 s for it to take the display: SDL 2 can hang
# setting up a full screen whose window is mapped while a window manager is
# still starting. Meanwhile one client watches the root window's properties
# for openbox's mark and so holds the display open: an X server resets when
# its last client leaves, which would drop openbox as it connects. Status 1,
# and why on standard output, if openbox has not taken the display by then.
start_window_manager() {
  local marks spy status=0
  marks=$(mktemp)
  xprop -root -spy >"$marks" 2>&1 &
  spy=$!
  openbox >/dev/null 2>&1 &
  # shellcheck disable=SC2034  # the caller stops it
  wm_pid=$!
  wait_until 30 grep -q '^_NET_SUPPORTING_WM_CHECK(WINDOW): window id' "$marks" || status=1
  kill "$spy" 2>/dev/null || true
  wait "$spy" 2>/dev/null || true
  rm -f "$marks"
  [ $status -eq 0 ] || echo "openbox has not taken the display after 30 s"
  return $status
}

# press_escape WINDOW: Escape pressed and released in WINDOW (the show quits
# on the release).
press_escape() {
  xdotool windowfocus --sync "$1" 2>/dev/null || true
  xdotool keydown Escape
  sleep 0.3
  xdotool keyup Escape
}

# frame_log_ok FILE [MIN]: every line of FILE is a frame-log line,
# "%5d %5.2f %5.2f", and there are at least MIN of them (10 unless told).
# On a failure prints why and returns 1.
frame_log_ok() {
  local file=$1 min=${2:-10} lines=0 frame smoothed fps expected line
  while IFS= read -r line; do
    read -r frame smoothed fps <<<"$line"
    printf -v expected '%5d %5.2f %5.2f' "$frame" "$smoothed" "$fps"
    [ "$line" = "$expected" ] || { echo "log line '$line' is not '$expected'"; return 1; }
    lines=$((lines + 1))
  done <"$file"
  [ "$lines" -ge "$min" ] || { echo "only $lines frame log lines"; return 1; }
}

# debian_mirror: the Debian archive this machine installs from (its first apt
# source that is not the security archive), for debootstrap.
debian_mirror() {
  local mirror
  mirror=$(sed -n 's/^URIs:[[:space:]]*\([^[:space:]]*\).*/\1/p' /etc/apt/sources.list.d/*.sources 2>/dev/null |
    grep -v security | head -n 1 || true)
  [ -n "$mirror" ] || mirror=$(awk '$1 == "deb" && $0 !~ /security/ {print $2; exit}' /etc/apt/sources.list 2>/dev/null || true)
  [ -n "$mirror" ] || { echo "no Debian archive among this machine's apt sources" >&2; return 1; }
  echo "$mirror"
}

# private_apt_sources DIR TYPE [trixie]: the sources of a private apt
# configuration in DIR (sources.list and sources.list.d/): this machine's own,
# in either format, as entries of TYPE (deb or deb-src); with "trixie", its
# bookworm entries once more for Debian 13, of both types.
private_apt_sources() {
  local dir=$1 type=$2 also=${3:-} f
  mkdir -p "$dir/sources.list.d"
  : >"$dir/sources.list"
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] && sed -n "s/^[[:space:]]*deb[[:space:]]/$type /p" "$f" >>"$dir/sources.list"
  done
  if [ "$also" = trixie ]; then
    sed -nE "s/^$type (.*) bookworm(-updates|-security)?( |\$)/deb \\1 trixie\\2\\3\\ndeb-src \\1 trixie\\2\\3/p" \
      "$dir/sources.list" >"$dir/trixie.list"
    cat "$dir/trixie.list" >>"$dir/sources.list"
    rm -f "$dir/trixie.list"
  fi
  rm -f "$dir/sources.list.d/"*.sources
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    sed "s/^Types:.*/Types: $type/" "$f" >"$dir/sources.list.d/$(basename "$f")"
    if [ "$also" = trixie ] && grep -q '^Suites:.*bookworm' "$f"; then
      sed -e 's/^Types:.*/Types: deb deb-src/' -e '/^Suites:/s/bookworm/trixie/g' "$f" \
        >"$dir/sources.list.d/trixie-$(basename "$f")"
    fi
  done
  return 0
}

# debootstrap_once DIR SUITE [PACKAGE,...]: a minbase Debian SUITE, with those
# packages, from this machine's archive in DIR, unless DIR/.done is there (the
# caller marks it when it has added what it needs). The log in DIR.log; its
# end on standard error if debootstrap fails.
debootstrap_once() {
  local dir=$1 suite=$2 include=${3:-} mirror
  [ -f "$dir/.done" ] && return 0
  mirror=$(debian_mirror) || return 1
  rm -rf "$dir"
  mkdir -p "$(dirname "$dir")"
  debootstrap --variant=minbase ${include:+--include="$include"} "$suite" "$dir" "$mirror" >"$dir.log" 2>&1 ||
    { tail -n 20 "$dir.log" >&2; return 1; }
}

# overlay_root LOWER LAYER: a throwaway writable tree over the tree LOWER,
# mounted at LAYER/root (LAYER made anew); the caller unmounts it.
overlay_root() {
  rm -rf "$2"
  mkdir -p "$2/upper" "$2/work" "$2/root"
  mount -t overlay overlay -o "lowerdir=$1,upperdir=$2/upper,workdir=$2/work" "$2/root"
}
