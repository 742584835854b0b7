#!/usr/bin/env bash
# Every way of quitting a show in a real X window ends it with status 0:
# SIGTERM, SIGINT (with its default disposition, as from a terminal) and the
# window manager's close request. Prints how long each took.
# shellcheck source=SCRIPTDIR/common.sh
source "$(dirname "$0")/common.sh"
send_wm_delete=${2:?usage: $0 quorvex send-wm-delete}
export SDL_AUDIODRIVER=dummy
unset SDL_VIDEODRIVER

cd "$scratch"
make_assets "$scratch"

quit_with() {
  local how=$1 pid wid start end status=0
  # A background job of a script starts with SIGINT ignored; give it the default back.
  env --default-signal=INT "$quorvex" -w >out.txt 2>err.txt &
  pid=$!
  wid=$(show_window 30) || fail "$how: no window after 30 s; the show $(process_gone "$pid" && echo ended ||
    echo "still running"), its log $(wc -l <out.txt) lines, its errors: $(tr '\n' ' ' <err.txt | head -c 300)"
  sleep 1
  start=$(date +%s%N)
  case $how in
    SIGTERM) kill -TERM "$pid" ;;
    SIGINT) kill -INT "$pid" ;;
    close) "$send_wm_delete" "$wid" ;;
  esac
  for _ in $(seq 500); do kill -0 "$pid" 2>/dev/null || break; sleep 0.01; done
  end=$(date +%s%N)
  kill -0 "$pid" 2>/dev/null && { kill -KILL "$pid"; fail "$how: the show did not quit"; }
  wait "$pid" || status=$?
  [ "$status" -eq 0 ] || fail "$how: status $status"
  check_frame_log 1
  echo "$how: quit with status 0 after $(((end - start) / 1000000)) ms"
}

quit_with SIGTERM
quit_with SIGINT
quit_with close
