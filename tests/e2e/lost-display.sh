#!/usr/bin/env bash
# lost-display.sh BUILD_DIR: the X server goes away under the running game, once while the
# menu shows and once during a game. The game must end within seconds with status 1 and
# its own message on standard error, without Xlib's own handler (which calls exit() and,
# from the exit handlers, exit() again), and leave the settings file as it was.
set -uo pipefail

build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
use_shots "$scratch/shots" # private, so as not to race the whole-program suite's folder

export SDL_AUDIODRIVER=dummy

lose_display() { # lose_display WHEN [KEY...]: reach the menu, press the keys, stop X
  local when=$1 dir
  shift
  start_xvfb
  dir=$(new_folder)
  cp "$here/first-run.ini" "$dir/Pigmora.ini"
  if start_game "$dir" && wait_for_menu "lost-display-menu"; then
    if [ $# -gt 0 ]; then
      press "$@"
      sleep 1
    fi
    kill "$xvfb_pid"
    xvfb_pid=""
    wait_for_exit 10
    check "$when: the game ends at once with status 1" [ "$exit_code" = 1 ]
    check "$when: ... saying why on standard error" \
      grep -q '^Pigmora: lost the connection to the X display ":[0-9]*"; quitting.$' "$dir/stderr"
    check "$when: ... and Xlib's own handler never runs" \
      bash -c "! grep -q 'XIO\\|X connection to' '$dir/stderr'"
    check "$when: the settings file is untouched" cmp -s "$dir/Pigmora.ini" "$here/first-run.ini"
  else
    fail "$when: the game reaches its menu"
    stop_game
    kill "$xvfb_pid" 2>/dev/null
    xvfb_pid=""
  fi
}

lose_display "X stops at the menu"
lose_display "X stops during a game" Return

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
