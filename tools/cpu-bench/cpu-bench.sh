#!/usr/bin/env bash
# cpu-bench.sh [BUILD_DIR] [SECONDS] [SCREEN]: how much of one core a Practice game takes
# in a real window on a private Xvfb, with the flip waiting for the display as the game
# asks and with that wait switched off (SDL12COMPAT_SYNC_TO_VBLANK=0). Prints the figures;
# judges nothing. SCREEN is Xvfb's screen size: 1024x768 (the default) gives the 1x window,
# 1920x1080 the 2x one.
set -uo pipefail
build=$(cd "${1:-$(dirname "$0")/../../build}" && pwd)
seconds=${2:-10}
screen=${3:-1024x768}
game=$build/pigmora
data=$build/data
scratch=$(mktemp -d)
xvfb_pid="" game_pid=""
cleanup() {
  [ -n "$game_pid" ] && kill -9 "$game_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT

exec 5< <(exec Xvfb -displayfd 1 -noreset -nolisten tcp -screen 0 "${screen}x24" 2>"$scratch/xvfb.log")
xvfb_pid=$!
read -r -t 20 number <&5 || { echo "cpu-bench: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$number" SDL_AUDIODRIVER=dummy
hz=$(getconf CLK_TCK)

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

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null; }

measure() { # measure LABEL [VAR=VALUE...]: prints the game's and the X server's share of a core
  local label=$1 dir window game_before x_before game_after x_after
  shift
  dir=$(mktemp -d -p "$scratch")
  for d in Sprites Font Backgrounds Sounds; do ln -s "$data/$d" "$dir/$d"; done
  (cd "$dir" && exec env "$@" "$game" >"$dir/stdout" 2>&1) &
  game_pid=$!
  for _ in $(seq 1 100); do
    window=$(timeout 2 xdotool search --onlyvisible --pid "$game_pid" --name '^Pigmora$' 2>/dev/null | head -n 1)
    [ -n "$window" ] && break
    sleep 0.1
  done
  [ -n "$window" ] || { echo "cpu-bench: no game window" >&2; return 1; }
  wait_for_menu "$window" || return 1
  timeout 5 xdotool windowfocus --sync "$window" key Return  # Practice
  sleep 1
  game_before=$(cpu_ticks "$game_pid") x_before=$(cpu_ticks "$xvfb_pid")
  sleep "$seconds"
  game_after=$(cpu_ticks "$game_pid") x_after=$(cpu_ticks "$xvfb_pid")
  kill -9 "$game_pid" 2>/dev/null
  wait "$game_pid" 2>/dev/null
  game_pid=""
  awk -v l="$label" -v g=$((game_after - game_before)) -v x=$((x_after - x_before)) \
    -v hz="$hz" -v s="$seconds" \
    'BEGIN { printf "  %-34s game %5.1f%%   X server %5.1f%%\n", l, 100 * g / hz / s, 100 * x / hz / s }'
}

echo "cpu-bench: a Practice game for $seconds s on a $screen Xvfb, share of one core"
measure "flip waits for the display:"
measure "SDL12COMPAT_SYNC_TO_VBLANK=0:" SDL12COMPAT_SYNC_TO_VBLANK=0
