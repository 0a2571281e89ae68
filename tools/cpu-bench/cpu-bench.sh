#!/usr/bin/env bash
# cpu-bench.sh [BUILD_DIR] [SECONDS] [SCREEN]: what the game's frames cost in a real window
# on a private Xvfb (a server without a GPU), for each way SDL may put a picture there:
#   nothing set               each program's own choice
#   SDL_RENDER_DRIVER=software
#                             SDL's software renderer, whose window surface SDL shows
#                             through OpenGL unless told otherwise
#   SDL_RENDER_DRIVER=opengl  SDL's default renderer: OpenGL, emulated on the CPU here
#   SDL_RENDER_DRIVER=software SDL_FRAMEBUFFER_ACCELERATION=0
#                             the software renderer alone
# For each: a Practice game and Debian's Gem Drop X (when installed) playing side by side
# in the same seconds, the yardstick: each one's share of a core, pictures handed to the
# window a second, CPU per picture, time inside the flip, share of the window a picture
# updates, resident memory; then the game paused, and on its results. Then the network
# game's waiting screen, and last render-bench's frame taken apart in such a window. A preloaded meter counts the pictures
# (FlipMeter.cpp). Prints figures; judges nothing. SCREEN is Xvfb's screen size: 1280x1024
# (the default) fits both windows side by side at 1x; 1920x1080 gives the game's 2x window.
set -uo pipefail
build=$(cd "${1:-$(dirname "$0")/../../build}" && pwd)
seconds=${2:-10}
screen=${3:-1280x1024}
game=$build/pigmora
data=$build/data
meter=$build/tools/cpu-bench/libflip-meter.so
yardstick=/usr/games/gemdropx
[ -x "$yardstick" ] || yardstick=""
scratch=$(mktemp -d)
xvfb_pid="" game_pid="" other_pid="" silent_pid=""
cleanup() {
  [ -n "$game_pid" ] && kill -9 "$game_pid" 2>/dev/null
  [ -n "$other_pid" ] && kill -9 "$other_pid" 2>/dev/null
  [ -n "$silent_pid" ] && kill "$silent_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT
[ -f "$meter" ] || { echo "cpu-bench: build the flip meter first ($meter)" >&2; exit 1; }

exec 5< <(exec Xvfb -displayfd 1 -noreset -nolisten tcp -screen 0 "${screen}x24" 2>"$scratch/xvfb.log")
xvfb_pid=$!
read -r -t 20 number <&5 || { echo "cpu-bench: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$number" SDL_AUDIODRIVER=dummy
hz=$(getconf CLK_TCK)
shots=$build/cpu-bench
mkdir -p "$shots"

pixel() { timeout 5 convert "$1" -format "%[fx:int(255*p{$2,$3}.r)] %[fx:int(255*p{$2,$3}.g)] %[fx:int(255*p{$2,$3}.b)]" info: 2>/dev/null; }
near() { # near "r g b" "r g b": equal within the 16-bit screen's rounding
  local a=($1) b=($2) i d
  [ ${#a[@]} -eq 3 ] && [ ${#b[@]} -eq 3 ] || return 1
  for i in 0 1 2; do d=$((a[i] - b[i])); [ ${d#-} -le 12 ] || return 1; done
}
wait_for_menu() { # wait_for_menu WINDOW: the menu's background is up (after the pictures)
  local shot=$scratch/menu.png scale
  scale=$(($(timeout 5 xwininfo -id "$1" | awk '/Width:/ {print $2}') / 640))
  for _ in $(seq 1 60); do
    if timeout 5 import -window "$1" "$shot" 2>/dev/null &&
      near "$(pixel "$shot" $((620 * scale)) $((460 * scale)))" "$(pixel "$data/Backgrounds/menu.jpg" 620 460)" &&
      near "$(pixel "$shot" $((20 * scale)) $((460 * scale)))" "$(pixel "$data/Backgrounds/menu.jpg" 20 460)"; then
      return 0
    fi
    sleep 0.5
  done
  echo "cpu-bench: the menu did not show" >&2
  return 1
}
window_of() { # window_of PID NAME: the process's visible window, once it has one
  local window
  for _ in $(seq 1 100); do
    window=$(timeout 2 xdotool search --onlyvisible --pid "$1" --name "$2" 2>/dev/null | head -n 1)
    [ -n "$window" ] && { echo "$window"; return 0; }
    sleep 0.1
  done
  echo "cpu-bench: no window $2" >&2
  return 1
}
key() { timeout 5 xdotool windowfocus --sync "$1" key "$2"; }

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null; }
resident_mb() { awk '/^VmRSS:/ {printf "%.0f", $2 / 1024}' "/proc/$1/status" 2>/dev/null; }
pictures() { od -An -t u8 -N 32 "$1" 2>/dev/null | tr -s ' \n' ' '; } # calls pixels wall-ns cpu-ns
maps_gl() { grep -q -E 'libLLVM|swrast_dri' "/proc/$1/maps" 2>/dev/null && echo "OpenGL emulation loaded" || echo "no OpenGL"; }

# A measure of SECONDS over any number of processes: snapshot, wait, snapshot.
declare -A before
snapshot() { # snapshot PID METER...: pairs
  while [ $# -ge 2 ]; do
    before[$1]="$(cpu_ticks "$1") $(pictures "$2")"
    shift 2
  done
  before[x]=$(cpu_ticks "$xvfb_pid")
}
# The windows' sizes, for the share of each that a picture updated.
window_pixels=$((640 * 480))
yard_pixels=$((480 * 624))

start_game() { # start_game ENV...: the game (with GAME_ARGS) at its menu
  local dir
  dir=$(mktemp -d -p "$scratch")
  for d in Sprites Font Backgrounds Sounds; do ln -s "$data/$d" "$dir/$d"; done
  game_meter=$dir/meter
  (cd "$dir" && exec env SDL_VIDEO_WINDOW_POS=0,0 PIGMORA_FLIP_METER="$game_meter" LD_PRELOAD="$meter" "$@" "$game" "${GAME_ARGS[@]}" >"$dir/stdout" 2>&1) &
  game_pid=$!
  game_window=$(window_of "$game_pid" '^Pigmora$') && wait_for_menu "$game_window"
}
GAME_ARGS=()
start_yardstick() { # start_yardstick ENV...: Gem Drop X beside the game's window, its game started
  local dir
  dir=$(mktemp -d -p "$scratch")
  other_meter=$dir/meter
  local beside
  beside=$(($(timeout 5 xwininfo -id "$game_window" | awk '/Width:/ {print $2}') + 20))
  (cd "$dir" && exec env HOME="$dir" SDL_VIDEO_WINDOW_POS="$beside",0 PIGMORA_FLIP_METER="$other_meter" LD_PRELOAD="$meter" "$@" "$yardstick" >"$dir/stdout" 2>&1) &
  other_pid=$!
  other_window=$(window_of "$other_pid" 'Gem Drop') || return 1
  sleep 2 # its title
  key "$other_window" space
}
stop() { # stop VARIABLE...: kills the process whose id the variable holds
  local name
  for name in "$@"; do
    [ -n "${!name}" ] && kill -9 "${!name}" 2>/dev/null && wait "${!name}" 2>/dev/null
    printf -v "$name" ''
  done
}
still() { # still: waits (at most 10 s) until the game hands the window nothing new for a second
  local last now
  last=$(pictures "$game_meter")
  for _ in $(seq 1 10); do
    sleep 1
    now=$(pictures "$game_meter")
    [ "$now" = "$last" ] && return 0
    last=$now
  done
}

line() { # line LABEL PID METER PIXELS
  local now
  now="$(cpu_ticks "$2") $(pictures "$3")"
  awk -v l="$1" -v a="${before[$2]}" -v b="$now" -v hz="$hz" -v s="$seconds" -v win="$4" \
    -v rss="$(resident_mb "$2")" -v gl="$(maps_gl "$2")" '
    BEGIN {
      split(a, x, " "); split(b, y, " ")
      ticks = y[1] - x[1]; calls = y[2] - x[2]; pixels = y[3] - x[3]; wall = y[4] - x[4]
      printf "    %-22s %5.1f%% of a core %5.1f pictures/s", l, 100 * ticks / hz / s, calls / s
      if (calls > 0)
        printf " %5.2f ms CPU each, %4.2f ms in the flip, %3.0f%% of the window", \
          1000 * ticks / hz / calls, wall / calls / 1e6, 100 * pixels / calls / win
      printf "; %d MB resident, %s\n", rss, gl
      per = calls > 0 ? ticks / hz / calls : 0
      printf "%.6f %.6f\n", ticks / hz / s, per > "/dev/stderr"
    }' 2>"$scratch/figures"
}
x_line() {
  awk -v a="${before[x]}" -v b="$(cpu_ticks "$xvfb_pid")" -v hz="$hz" -v s="$seconds" \
    'BEGIN { printf "    %-22s %5.1f%% of a core\n", "the X server", 100 * (b - a) / hz / s }'
}

echo "cpu-bench: $seconds s a measure on a $screen Xvfb; per picture is the process's CPU over the pictures it showed"
configs=("" SDL_RENDER_DRIVER=software SDL_RENDER_DRIVER=opengl
  "SDL_RENDER_DRIVER=software SDL_FRAMEBUFFER_ACCELERATION=0")
for config in "${configs[@]}"; do
  read -r -a settings <<<"$config"
  own="nothing set: each program's own choice"
  echo "  ${config:-$own}"
  start_game "${settings[@]}" && key "$game_window" Return || { stop game_pid; continue; }
  if [ -n "$yardstick" ]; then
    start_yardstick "${settings[@]}" || stop other_pid
  fi
  sleep 1
  snapshot "$game_pid" "$game_meter" ${other_pid:+"$other_pid" "$other_meter"}
  sleep "$seconds"
  line "Pigmora, Practice" "$game_pid" "$game_meter" "$window_pixels"
  idle=$(cat "$scratch/figures")
  if [ -n "$other_pid" ]; then
    line "Gem Drop X, a game" "$other_pid" "$other_meter" "$yard_pixels"
    theirs_idle=$(cat "$scratch/figures")
    name=${config:-own choice}
    timeout 5 import -window root "$shots/side-by-side-${name//[ =]/-}.png" 2>/dev/null
  fi
  x_line
  # The cursor sent from side to side, a column in about the time it takes to slide
  # there: a picture that changes on nearly every pass.
  snapshot "$game_pid" "$game_meter" ${other_pid:+"$other_pid" "$other_meter"}
  end=$((SECONDS + seconds))
  timeout 5 xdotool windowfocus --sync "$game_window"
  while [ $SECONDS -lt $end ]; do
    timeout 5 xdotool key Left
    sleep 0.12
    timeout 5 xdotool key Right
    sleep 0.12
  done
  line "Pigmora, cursor moving" "$game_pid" "$game_meter" "$window_pixels"
  moving=$(cat "$scratch/figures")
  if [ -n "$other_pid" ]; then
    line "Gem Drop X, a game" "$other_pid" "$other_meter" "$yard_pixels"
    theirs=$(cat "$scratch/figures")
    # Pigmora over Gem Drop X: the share of a core, and the CPU of each picture shown
    # while nearly every pass shows one (an idle game shows few, each bearing the passes
    # between).
    awk -v i="$idle" -v ti="$theirs_idle" -v m="$moving" -v t="$theirs" 'BEGIN {
      split(i, a, " "); split(ti, b, " "); split(m, c, " "); split(t, d, " ")
      if (b[1] > 0 && d[1] > 0 && d[2] > 0)
        printf "    %-22s share %4.2f idle, %4.2f cursor moving; CPU a picture %4.2f cursor moving\n",
          "Pigmora / Gem Drop X", a[1] / b[1], c[1] / d[1], c[2] / d[2] }'
    stop other_pid
  fi
  x_line
  key "$game_window" p
  sleep 1
  snapshot "$game_pid" "$game_meter"
  sleep "$seconds"
  line "Pigmora, paused" "$game_pid" "$game_meter" "$window_pixels"
  key "$game_window" p
  key "$game_window" Escape
  still
  snapshot "$game_pid" "$game_meter"
  sleep "$seconds"
  line "Pigmora, results wait" "$game_pid" "$game_meter" "$window_pixels"
  stop game_pid
done

# A UDP port on the loopback address held, and never answered, by this script: the
# network game's "Connecting" screen then stays up for as long as it is measured.
echo "  the network game's waiting screen, joining a port on 127.0.0.1 that never answers"
exec 6< <(exec python3 -c '
import socket, sys, time
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind(("127.0.0.1", 0))
print(s.getsockname()[1], flush=True)
time.sleep(600)')
silent_pid=$!
if read -r -t 10 port <&6; then
  GAME_ARGS=(--join=127.0.0.1:"$port")
  if start_game && key "$game_window" Down && key "$game_window" Down && key "$game_window" Return; then
    # The link gives up after 15 s of silence: the measure ends before.
    full=$seconds
    seconds=$((seconds < 8 ? seconds : 8))
    still
    snapshot "$game_pid" "$game_meter"
    sleep "$seconds"
    line "Pigmora, connecting" "$game_pid" "$game_meter" "$window_pixels"
    seconds=$full
  fi
  stop game_pid
  GAME_ARGS=()
fi
kill "$silent_pid" 2>/dev/null

echo "  a busy frame taken apart in such a window (render-bench):"
for config in "${configs[@]:1}"; do
  read -r -a settings <<<"$config"
  echo "  $config"
  env SDL_VIDEODRIVER=x11 "${settings[@]}" "$build/tools/render-bench/render-bench" "$data" 300 "$scratch/shot.png" |
    sed -n '/one frame at a time/,/present/p'
done
