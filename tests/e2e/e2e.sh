#!/usr/bin/env bash
# e2e.sh BUILD_DIR [FIRST_RUN_INI]: plays the real program in a real X window. Starts a
# private Xvfb, runs the game from a scratch folder that holds the generated data, drives
# it with xdotool as a player would, and checks what the player sees and keeps. The
# screenshots stay in BUILD_DIR/e2e-screens for people to look at.
set -uo pipefail

build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
first_run_ini=${2:-$here/first-run.ini}
source "$here/lib.sh"
use_shots "$shots"

start_xvfb
export SDL_AUDIODRIVER=dummy

# -- a first run: greeting, menu, Exit -----------------------------------------------------
timeout_before=$(screen_saver_timeout)
dir=$(new_folder)
if start_game "$dir"; then
  check "the warning shows first" poll 10 shows 01-warning looks_like "$data/Backgrounds/Warning.png" 620 460 20 20
  check "the screen saver waits as long as X allows while the game runs" [ "$(screen_saver_timeout)" = 32767 ]
  check "the menu follows the warning and the title" wait_for_menu 02-menu
  press Up Return
  wait_for_exit 10
  check "Up on the first item, then Return, ends the program with 0" [ "$exit_code" = 0 ]
  check "the greeting lines" grep -qz "^Welcome to Pigmora version ${version//./\\.}.Initializing SDL..0 joysticks detected!" "$dir/stdout"
  check "the first run writes the documented settings file" cmp -s "$dir/Pigmora.ini" "$first_run_ini"
  check "the screen saver is back as it was" [ "$(screen_saver_timeout)" = "$timeout_before" ]
else
  fail "the game opens its window"
fi

# -- Practice: play, pause, abort, game-over wait ------------------------------------------
moved_from() { ! same_region "$2" "$1" 224x40+191+420; } # moved_from SHOT BEFORE: the cursor's strip changed
dir=$(new_folder)
board_x=191 board_y=33
if start_game "$dir" && wait_for_menu 10-menu; then
  press Return
  check "Practice shows the one-player background" poll 15 shows 11-practice looks_like "$data/Backgrounds/1p.jpg" 5 470 635 470
  press Delete Delete Delete
  check "pulled rows put pieces in the well" poll 15 shows 11-rows differs_at "$data/Backgrounds/1p.jpg" $((board_x + 16 + 5)) $((board_y + 16))
  check "with no GPU the game draws without OpenGL emulation" not grep -qE 'libLLVM|swrast_dri' "/proc/$game_pid/maps"
  shot 12-cursor-before
  press Right Right
  check "the cursor moves" poll 10 shows 13-cursor-after moved_from "$shots/12-cursor-before.png"
  press Down
  sleep 0.5
  press Left Up
  sleep 0.5
  press p
  shot 14-paused
  press p Right
  check "after a pause the game is drawn again" poll 10 shows 14-unpaused moved_from "$shots/14-paused.png"
  press Escape
  press Return  # within two seconds of the end: ignored
  check "a key within two seconds of the end leaves the results up" poll 10 shows 15-game-over differs_at "$data/Backgrounds/menu.jpg" 620 460
  uncover
  check "the results come back when their window is uncovered" poll 10 shows 15-uncovered looks_like "$data/Backgrounds/1p.jpg" 5 470 635 470
  # Space until the menu shows: keys count again two seconds after the end.
  check "after the wait a key goes back to the menu" back_to_menu 16-menu-again
  uncover
  check "so does the menu" wait_for_menu 16-menu-uncovered
  press Up Return  # Practice is still highlighted, so Up reaches Exit
  wait_for_exit 10
  check "the menu keeps its place after a game" [ "$exit_code" = 0 ]
else
  fail "Practice: the game reaches its menu"
fi

# -- the Practice game above is kept as a replay, which checks and plays back --------------
saved=$(ls "$dir"/replays/*_practice.txt 2>/dev/null | head -n 1)
check "the abandoned game is kept in replays/" test -s "$saved"
check "... and --check-replay says it ends as it did" bash -c "cd '$dir' && timeout -k 2 $state_limit '$game' --check-replay '$saved' >/dev/null"
GAME_ARGS=(--replay)
if start_game "$dir"; then
  # The warning and title first, then the game of a few seconds, then its results, which
  # a key ends once the first two seconds are over.
  shown=no
  deadline=$((SECONDS + state_limit))
  while alive "$game_pid" && [ $SECONDS -lt $deadline ]; do
    if [ $shown = no ] && shot 17-replay 2>/dev/null &&
      looks_like "$shots/17-replay.png" "$data/Backgrounds/1p.jpg" 5 470 635 470; then
      shown=yes
    fi
    [ $shown = yes ] && press space
    sleep 0.5
  done
  check "--replay shows the game on the one-player background" [ $shown = yes ]
  wait_for_exit 10
  check "... and a key at its end leaves with 0" [ "$exit_code" = 0 ]
else
  fail "--replay opens a window"
fi
GAME_ARGS=()

# -- Survival and 2p Versus start and end ---------------------------------------------------
dir=$(new_folder)
if start_game "$dir" && wait_for_menu 20-menu; then
  press Down Return
  check "Survival plays" poll 15 shows 21-survival looks_like "$data/Backgrounds/1p.jpg" 5 470
  press Escape
  sleep 2
  back_to_menu 21-menu
  press Down Return
  check "2p Versus plays on the two-player background" poll 15 shows 22-versus looks_like "$data/Backgrounds/ocean2p.jpg" 5 470 635 470
  press Delete b
  sleep 1
  press Escape
  check "both games end back in the menu" back_to_menu 23-menu
  press Down Down Down Return
  wait_for_exit 10
  check "Exit after the games" [ "$exit_code" = 0 ]
else
  fail "Survival/Versus: the game reaches its menu"
fi

# -- an option and a captured key are kept ----------------------------------------------------
dir=$(new_folder)
if start_game "$dir" && wait_for_menu 30-menu; then
  press Down Down Down Return       # Options
  press Down Return                 # Sound
  shot 31-sound
  press Return                      # Sound FX: Disabled
  press Down Down Down Down Return  # Done
  press Down Return                 # Controls
  shot 32-controls
  press Return x                    # P1 Left also on X
  # The keys that follow wait in the queue behind it: the capture takes X first.
  for _ in $(seq 1 15); do press Down; done
  press Return                      # Done
  press Down Return                 # Options' Done
  press Down Down Return            # Exit
  wait_for_exit 10
  check "leaving through the menu saves" [ "$exit_code" = 0 ]
  check "the changed option is in the file" grep -qx 'Effects=0' "$dir/Pigmora.ini"
  check "the captured key is in the file" grep -qx 'Left=X Left J1L ' "$dir/Pigmora.ini"
else
  fail "options: the game reaches its menu"
fi

# -- closing the window, Alt+F4 -----------------------------------------------------------------
dir=$(new_folder)
if start_game "$dir" && wait_for_menu 40-menu; then
  press Down Down Down Return Return  # Options, Video
  close_window
  wait_for_exit 10
  check "closing the window in a submenu ends normally" [ "$exit_code" = 0 ]
  check "... and saves the settings" test -s "$dir/Pigmora.ini"
fi
dir=$(new_folder)
if start_game "$dir" && wait_for_menu 41-menu; then
  press Return
  poll 15 shows 41-game looks_like "$data/Backgrounds/1p.jpg" 5 470 || say "no game to close"
  close_window
  wait_for_exit 10
  check "closing the window during a game ends at once" [ "$exit_code" = 0 ]
  check "... without saving" [ ! -e "$dir/Pigmora.ini" ]
fi
dir=$(new_folder)
if start_game "$dir" && wait_for_menu 42-menu; then
  press alt+F4
  wait_for_exit 10
  check "Alt+F4 ends at once" [ "$exit_code" = 0 ]
  check "... without saving" [ ! -e "$dir/Pigmora.ini" ]
  check "... and still puts the screen saver back" [ "$(screen_saver_timeout)" = "$timeout_before" ]
fi

# -- a missing sprite -----------------------------------------------------------------------------
dir=$(mktemp -d -p "$scratch")
for d in Font Backgrounds Sounds; do ln -s "$data/$d" "$dir/$d"; done
mkdir "$dir/Sprites"
cp "$data/Sprites/"* "$dir/Sprites/"
rm "$dir/Sprites/red.1.png"
(cd "$dir" && exec timeout -k 2 "$state_limit" "$game" >"$dir/stdout" 2>"$dir/stderr")
check "a missing sprite ends with 1" [ $? = 1 ]
check "... naming the file" bash -c "tail -c 200 '$dir/stdout' | grep -q 'Unable to find resource <red.1.png> from ./Sprites/red.1.png\$'"

# -- installed: the launcher keeps each player's settings in their own folder ----------------
prefix=$scratch/prefix
if timeout 600 cmake --install "$build" --prefix "$prefix" >"$scratch/install.log" 2>&1; then
  home=$(mktemp -d -p "$scratch")
  if XDG_DATA_HOME=$home/data PROGRAM=$prefix/bin/pigmora start_game "$home" && wait_for_menu 45-installed; then
    press Up Return
    wait_for_exit 10
    check "the installed game runs from its launcher" [ "$exit_code" = 0 ]
    check "... keeping the settings in the player's folder" cmp -s "$home/data/pigmora/Pigmora.ini" "$first_run_ini"
    check "... and leaving the installed data alone" [ ! -e "$prefix/share/pigmora/Pigmora.ini" ]
  else
    fail "the installed game reaches its menu"
  fi
else
  fail "cmake --install"
  cat "$scratch/install.log"
fi

# -- one whole session under valgrind ------------------------------------------------------------
if [ "${PIGMORA_E2E_VALGRIND:-1}" = 1 ]; then
  dir=$(new_folder)
  # SDL's software renderer alone (the game's own choice on a server without a GPU, named
  # here too) keeps memcheck on our code rather than on the GL stack, which it would
  # otherwise interpret instruction by instruction.
  # Valgrind is many times slower than the game itself: its waits get their own bound.
  valgrind_limit=600
  if SDL_RENDER_DRIVER=software SDL_FRAMEBUFFER_ACCELERATION=0 window_limit=$valgrind_limit start_game "$dir" \
    valgrind --error-exitcode=99 --errors-for-leak-kinds=none \
    --suppressions="$here/valgrind.supp" --log-file="$dir/valgrind.log" &&
    wait_for_menu 50-valgrind-menu $valgrind_limit; then
    press Return
    check "a game plays under valgrind" poll $valgrind_limit shows 51-valgrind-practice looks_like "$data/Backgrounds/1p.jpg" 5 470
    press Delete Down Right Up
    sleep 2
    press Escape
    sleep 3
    back_to_menu 52-valgrind-menu $valgrind_limit
    press Up Return
    wait_for_exit $valgrind_limit
    check "a session under valgrind ends cleanly" [ "$exit_code" = 0 ]
    check "... with no invalid reads or writes" bash -c "! grep -q 'Invalid \\(read\\|write\\)' '$dir/valgrind.log'"
    cp "$dir/valgrind.log" "$shots/valgrind.log"
  else
    fail "the game opens its window under valgrind"
  fi
fi

echo "e2e: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
