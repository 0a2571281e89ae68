#!/usr/bin/env bash
# desktop.sh BUILD_DIR: the program as a desktop sees it. Its command line (answered
# without starting SDL, also through the installed launcher), and its window on a
# 1920x1080 screen: twice the size, with clicks still landing on the menu line under
# the pointer.
set -uo pipefail

build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
use_shots "$build/e2e-screens/desktop"

# -- the command line, with no display at all --------------------------------------------------
lacks() { ! grep -q -- "$1" <<<"$2"; }
run_cli() { # run_cli PROGRAM ARGS...: sets out, err, status; runs in a fresh folder
  local dir
  dir=$(mktemp -d -p "$scratch")
  (cd "$dir" && env -u DISPLAY timeout -k 2 10 "$@" >"$dir/out" 2>"$dir/err")
  status=$?
  out=$(cat "$dir/out")
  err=$(cat "$dir/err")
  cli_dir=$dir
}

run_cli "$game" --version
check "--version exits with 0" [ "$status" = 0 ]
check "... printing the version" [ "$out" = "Pigmora $version" ]
check "... without starting SDL or touching the settings" \
  bash -c "[ ! -e '$cli_dir/Pigmora.ini' ] && ! grep -q 'Initializing SDL' '$cli_dir/out'"

run_cli "$game" --help
check "--help exits with 0" [ "$status" = 0 ]
mapfile -t options < <(grep -o '^ *{"--[a-z-]*"' "$here/../../src/app/CommandLine.cpp" | grep -o -- '--[a-z-]*')
check "the option table is where this test reads it" [ ${#options[@]} -ge 2 ]
for option in "${options[@]}"; do
  check "--help lists $option" grep -q -- "^  $option" <<<"$out"
done
check "... without starting SDL" lacks 'Initializing SDL' "$out"

run_cli "$game" --frobnicate
check "an unknown option exits with 2" [ "$status" = 2 ]
check "... naming it on standard error" grep -q -- "'--frobnicate'" <<<"$err"
check "... and nothing on standard output" [ -z "$out" ]

# A line the program takes gets as far as starting SDL, which fails here without a display
# (255); one it refuses, or a replay it cannot read, ends with 2 before that.
while read -r want args; do
  run_cli "$game" $args
  check "pigmora $args exits with $want" [ "$status" = "$want" ]
done <<'LINES'
255 --versus-computer=5
255 --host=65535
255 --join 127.0.0.1:9
2 --versus-computer=6
2 --host=0
2 --replay no-such-replay.txt
2 --check-replay no-such-replay.txt
LINES

prefix=$scratch/prefix
if cmake --install "$build" --prefix "$prefix" >"$scratch/install.log" 2>&1; then
  export XDG_DATA_HOME=$scratch/xdg
  run_cli "$prefix/bin/pigmora" --version
  check "the launcher passes --version through" [ "$status:$out" = "0:Pigmora $version" ]
  run_cli "$prefix/bin/pigmora" --frobnicate
  check "... and an unknown option" [ "$status" = 2 ]
  unset XDG_DATA_HOME
else
  fail "cmake --install"
  cat "$scratch/install.log"
fi

# -- a window that fits a 1920x1080 screen ------------------------------------------------------
window_size() { bounded xwininfo -id "$window" 2>/dev/null | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'; }

scale=2
halved() { # halved NAME: the screenshot NAME shrunk back to the game's own 640x480
  bounded convert "$shots/$1.png" -scale 50% "$shots/$1-1x.png" 2>/dev/null
}
at_scaled_menu() {
  shot "$1" && halved "$1" && looks_like "$shots/$1-1x.png" "$data/Backgrounds/menu.jpg" "${menu_points[@]}"
}
one_player_game() {
  shot "$1" && halved "$1" && looks_like "$shots/$1-1x.png" "$data/Backgrounds/1p.jpg" 5 470 635 470
}
wait_for_scaled_menu() { poll 15 at_scaled_menu "$1"; }
back_to_scaled_menu() { # a key the menu ignores, on the results until the menu shows
  local deadline=$((SECONDS + 15))
  while [ $SECONDS -lt $deadline ]; do
    at_scaled_menu "$1" && return 0
    alive "$game_pid" || return 1
    press space
    sleep 0.5
  done
  say "the results did not give way to the menu within 15 s"
  return 1
}

start_xvfb 1920x1080
export SDL_AUDIODRIVER=dummy
unset SDL12COMPAT_WINDOW_SCALING

# The main menu's lines start at (200, 200), one glyph height apart; Survival is the second.
line_height=$(bounded identify -format '%h' "$data/Font/0.png")
survival_x=$(((200 + 40) * scale)) survival_y=$(((200 + line_height * 3 / 2) * scale))
dir=$(new_folder)
if start_game "$dir" && wait_for_scaled_menu 01-menu; then
  check "the window is twice the game's size" [ "$(window_size)" = 1280x960 ]
  click "$survival_x" "$survival_y"
  check "a click on Survival starts a one-player game" poll 15 one_player_game 02-survival
  press Escape
  sleep 2
  back_to_scaled_menu 03-menu
  # The menu comes back on the line that started the game: four down from Survival is Exit.
  press Down Down Down Down Return
  wait_for_exit 10
  check "the clicked line was Survival" [ "$exit_code" = 0 ]
else
  fail "the scaled game reaches its menu"
fi

dir=$(new_folder)
if SDL12COMPAT_WINDOW_SCALING=1 start_game "$dir"; then
  check "a scale the player set is kept" [ "$(window_size)" = 640x480 ]
  stop_game
else
  fail "the game opens its window at the player's scale"
fi

# -- 2p Versus against the computer -------------------------------------------------------------
# The cursors' feet, below the warning line; the boards fill from the top, so early in a
# game only a cursor changes there.
left_cursor_strip=232x16+27+433 right_cursor_strip=232x16+367+433
dir=$(new_folder)
GAME_ARGS=(--versus-computer)
if SDL12COMPAT_WINDOW_SCALING=1 start_game "$dir" && wait_for_menu 10-menu; then
  press Down Down Return
  poll 15 shows 11-versus looks_like "$data/Backgrounds/ocean2p.jpg" 5 470 635 470 || say "no game"
  right_moved() { shot 12-versus && not same_region "$shots/11-versus.png" "$shots/12-versus.png" "$right_cursor_strip"; }
  check "against the computer the right-hand cursor moves by itself" poll 15 right_moved
  check "... while the left-hand one stays put" same_region "$shots/11-versus.png" "$shots/12-versus.png" "$left_cursor_strip"
  stop_game
else
  fail "the game against the computer reaches its menu"
fi
GAME_ARGS=()

echo "desktop: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
