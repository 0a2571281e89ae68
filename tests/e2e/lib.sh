# The whole-program suite's helpers, sourced by e2e.sh (and by the check files it sources).
# Every call to X, to ImageMagick and to the game runs under a time limit: a stuck step
# fails its check with a message, the game is killed, and the suite goes on.
#
# Expects: $build (the build folder). Makes $scratch, a temporary folder, and on exit kills
# the game and the X server it started and removes the folder.
# Gives: start_game, stop_game, wait_for_exit, press, click, uncover, shot, pixel, looks_like,
# differs_at, shows, poll, at_menu, wait_for_menu, check/pass/fail, new_folder, screen_saver_timeout,
# catches_sigterm,
# and $window, $game_pid, $exit_code, $data, $shots, $game, $xclose, $version.

scratch=$(mktemp -d)
cleanup() {
  stop_game
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT

use_shots() { # use_shots FOLDER: screenshots go to that folder, emptied first
  shots=$1
  rm -rf "$shots"
  mkdir -p "$shots"
}

game=$build/pigmora
data=$build/data
xclose=$build/tests/support/xclose/xclose
shots=$build/e2e-screens
version=$(sed -n 's/^#define PIGMORA_VERSION "\(.*\)"$/\1/p' "$build/generated/Version.h")
passed=0
failed=0
game_pid=""
xvfb_pid=""
window=""
exit_code=""

# Limits in seconds, each only a bound for a hang: a busy machine (a build beside the
# suite, a valgrind session slowing the X server) may take long over any step. Every wait
# for a state polls and ends as soon as it holds; the seconds a check names are what the
# step takes on a quiet machine, and it is given at least state_limit.
x_limit=30
window_limit=${PIGMORA_E2E_WINDOW_LIMIT:-120}
state_limit=${PIGMORA_E2E_STATE_LIMIT:-120}
bound() { echo $(($1 > state_limit ? $1 : state_limit)); } # bound SECONDS: the limit to wait

pass() { passed=$((passed + 1)); echo "ok: $*"; }
fail() { failed=$((failed + 1)); echo "FAILED: $*"; }
check() { # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}
say() { echo "  ($*)"; }
not() { ! "$@"; }

bounded() { timeout -k 2 "$x_limit" "$@"; }

start_xvfb() { # start_xvfb [WIDTHxHEIGHT]: a private server, 800x600 unless told; exports DISPLAY
  local number
  exec 5< <(exec Xvfb -displayfd 1 -noreset -nolisten tcp -screen 0 "${1:-800x600}x24" 2>"$scratch/xvfb.log")
  xvfb_pid=$!
  if ! read -r -t "$state_limit" number <&5; then
    echo "Xvfb did not start"
    cat "$scratch/xvfb.log"
    exit 1
  fi
  export DISPLAY=":$number"
}

new_folder() { # a fresh working folder that reaches the generated data
  local dir
  dir=$(mktemp -d -p "$scratch")
  for d in Sprites Font Backgrounds Sounds; do ln -s "$data/$d" "$dir/$d"; done
  echo "$dir"
}

alive() { # alive PID: running, not a zombie waiting to be reaped
  local state
  state=$(ps -o stat= -p "$1" 2>/dev/null) && [[ $state != Z* ]]
}

# catches_sigterm PID: SIGTERM now reaches the game as SDL's quit request. PID must be the
# game itself: a shell forked to start it, before its exec, still holds the script's own
# handlers (an EXIT trap catches SIGTERM) and would die of the request. Once it is the game,
# bit 15 of SigCgt says SDL has put its handler in; before that the signal would kill it.
catches_sigterm() {
  local mask
  [ "/proc/$1/exe" -ef "$game" ] &&
    mask=$(awk '/^SigCgt:/ {print $2}' "/proc/$1/status" 2>/dev/null) && [ -n "$mask" ] &&
    (((0x$mask >> 14) & 1))
}

viewable() { # viewable WINDOW: the window is mapped and on screen
  bounded xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'
}

find_window() { # find_window PID: the game's own viewable window, once it has one
  local deadline=$((SECONDS + window_limit)) found
  while [ $SECONDS -lt $deadline ]; do
    alive "$1" || return 1
    found=$(timeout -k 1 2 xdotool search --all --onlyvisible --pid "$1" --name '^Pigmora$' 2>/dev/null | head -n 1)
    if [ -n "$found" ] && viewable "$found"; then
      echo "$found"
      return 0
    fi
    sleep 0.2
  done
  return 1
}

start_game() { # start_game FOLDER [wrapper...]: runs the game there, waits for its window
  local dir=$1
  shift
  stop_game
  (cd "$dir" && exec "$@" "${PROGRAM:-$game}" "${GAME_ARGS[@]}" >"$dir/stdout" 2>"$dir/stderr") &
  game_pid=$!
  window=$(find_window "$game_pid")
  if [ -z "$window" ]; then
    say "no viewable game window within ${window_limit} s"
    stop_game
    return 1
  fi
}
GAME_ARGS=()

stop_game() { # kills a game left running by a failed step
  [ -n "$game_pid" ] || return 0
  kill -9 "$game_pid" 2>/dev/null
  wait "$game_pid" 2>/dev/null
  game_pid=""
}

wait_for_exit() { # wait_for_exit SECONDS: sets exit_code, or 124 when the game hangs
  local limit deadline
  limit=$(bound "$1")
  deadline=$((SECONDS + limit))
  [ -n "$game_pid" ] || { say "no game to wait for"; exit_code=""; return 1; }
  while [ $SECONDS -lt $deadline ]; do
    if ! alive "$game_pid"; then
      wait "$game_pid"
      exit_code=$?
      game_pid=""
      return 0
    fi
    sleep 0.1
  done
  say "the game was still running after $limit s; killed"
  stop_game
  exit_code=124
}

# same_window: the game may replace its window (a new video mode does), so a window that
# is no longer viewable is looked up again by the game's process.
same_window() {
  viewable "$window" && return 0
  [ -n "$game_pid" ] || return 1
  window=$(window_limit=$x_limit find_window "$game_pid")
  [ -n "$window" ]
}

press() { # press KEY...: one key at a time, as a person would type them
  local key
  for key in "$@"; do
    same_window || say "no window for key $key"
    timeout -k 2 "$x_limit" xdotool windowfocus --sync "$window" key "$key" 2>/dev/null || say "key $key not sent"
    sleep 0.25
  done
}

click() { # click X Y: a left click at that point of the window
  same_window || say "no window for the click"
  bounded xdotool mousemove --window "$window" "$1" "$2" click 1 2>/dev/null || say "click at $1,$2 not sent"
  sleep 0.25
}

# uncover: the window hidden and shown again, losing its picture (X keeps none), with the
# pointer away from it so that the pointer coming back cannot be what redraws it
uncover() {
  same_window && bounded xdotool mousemove 0 0 && bounded xdotool windowunmap --sync "$window" &&
    bounded xdotool windowmap --sync "$window"
}

close_window() { # close_window: asks the window to close, as its title bar's button does
  same_window && bounded "$xclose" "$window" || say "window close request not sent"
}

shot() { # shot NAME: a screenshot of the game's window, retried while it is not viewable
  local deadline=$((SECONDS + state_limit))
  rm -f "$shots/$1.png"
  while [ $SECONDS -lt $deadline ]; do
    if same_window && bounded import -window "$window" "$shots/$1.png" 2>/dev/null; then
      return 0
    fi
    sleep 0.5
  done
  say "no screenshot $1 within $state_limit s"
  return 1
}

pixel() { # pixel FILE X Y: "r g b" in 0..255
  bounded convert "$1" -format "%[fx:int(255*p{$2,$3}.r+.5)] %[fx:int(255*p{$2,$3}.g+.5)] %[fx:int(255*p{$2,$3}.b+.5)]" info: 2>/dev/null
}

same_colour() { # same_colour "r g b" "r g b": equal within the 16-bit screen's rounding
  local a=($1) b=($2) i d
  [ ${#a[@]} -eq 3 ] && [ ${#b[@]} -eq 3 ] || return 1
  for i in 0 1 2; do
    d=$((a[i] - b[i]))
    [ ${d#-} -le 12 ] || return 1
  done
}

looks_like() { # looks_like SHOT PICTURE X Y...: the screen shows that picture there
  local file=$1 picture=$2
  shift 2
  while [ $# -ge 2 ]; do
    same_colour "$(pixel "$file" "$1" "$2")" "$(pixel "$picture" "$1" "$2")" || return 1
    shift 2
  done
}

differs_at() { # differs_at SHOT PICTURE X Y: the screen shows something else there
  ! same_colour "$(pixel "$1" "$3" "$4")" "$(pixel "$2" "$3" "$4")"
}

same_region() { # same_region SHOT SHOT GEOMETRY: the two shots agree inside WxH+X+Y
  cmp -s <(bounded convert "$1" -crop "$3" rgb:-) <(bounded convert "$2" -crop "$3" rgb:-)
}

screen_saver_timeout() { bounded xset q 2>/dev/null | awk '/timeout:/ {print $2; exit}'; }

# poll SECONDS COMMAND...: runs the command until it succeeds, while the game runs. A
# busy machine may take its time to reach a screen; nothing waits a fixed time for it.
poll() {
  local limit deadline
  limit=$(bound "$1")
  deadline=$((SECONDS + limit))
  shift
  until "$@"; do
    if [ $SECONDS -ge $deadline ] || ! alive "$game_pid"; then
      say "not so within $limit s: $*"
      return 1
    fi
    sleep 0.25
  done
}

# shows NAME TEST ARGS...: a screenshot NAME, then TEST SHOT ARGS... on it
shows() { shot "$1" && "$2" "$shots/$1.png" "${@:3}"; }

menu_points=(620 460 20 460 620 20 10 240)
at_menu() { shows "$1" looks_like "$data/Backgrounds/menu.jpg" "${menu_points[@]}"; }

# wait_for_menu NAME [SECONDS]: the warning and title take four seconds
wait_for_menu() { poll "${2:-15}" at_menu "$1"; }

# back_to_menu NAME [SECONDS]: a key on the results until the menu shows. Space, because
# the menu ignores it: a press that a slow game takes late must not start another game.
back_to_menu() {
  local limit deadline
  limit=$(bound "${2:-15}")
  deadline=$((SECONDS + limit))
  while [ $SECONDS -lt $deadline ]; do
    at_menu "$1" && return 0
    alive "$game_pid" || return 1
    press space
    sleep 0.5
  done
  say "the results did not give way to the menu within $limit s"
  return 1
}
