#!/usr/bin/env bash
# game-mix.sh BUILD_DIR: the game's sound as a player hears it. Records the real program's
# output (SDL's disk audio driver) through a Versus game against the computer at level 5,
# in mono and in stereo, and the Versus music alone as the game's sound code plays it;
# mix-meter then finds that music in each recording, takes the effects apart from it and
# judges the mix: the music at a music level and as loud in both modes, nothing at full
# scale, each effect standing clear of the music without drowning it.
#
# Player 1 presses nothing: a key on the results would bring the menu's music back. The
# computer's moves, reactions and power-ups, and the rows it buries player 1 under, sound
# plenty.
set -uo pipefail

build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
use_shots "$scratch/shots" # private, so as not to race the whole-program suite's folder

export SDL_AUDIODRIVER=disk
mix_meter=$build/tools/mix-meter/mix-meter
recordings=$build/game-mix # kept, to be listened to or measured again after a failure
rm -rf "$recordings"
mkdir -p "$recordings"
record_seconds=${PIGMORA_MIX_SECONDS:-40} # of each game, from its first screen
bytes_per_second=$((44100 * 4))           # the device's 16-bit stereo at the game's rate
music_seconds=$((record_seconds + 20))    # the game may have started before it was seen

recorded_enough() { [ "$(stat -c %s "$1")" -ge "$2" ]; }

record() { # record MODE STEREO: a game's output in MODE.raw, its music alone beside it
  local mode=$1 stereo=$2 dir file target
  dir=$(new_folder)
  sed "s/^Stereo=.*/Stereo=$stereo/" "$here/first-run.ini" >"$dir/Pigmora.ini"
  file=$recordings/$mode.raw
  GAME_ARGS=(--versus-computer=5)
  if start_game "$dir" env SDL_DISKAUDIOFILE="$file" && wait_for_menu "$mode-menu"; then
    press Down Down Return
    if poll 15 shows "$mode-versus" looks_like "$data/Backgrounds/ocean2p.jpg" 5 470 635 470; then
      target=$(($(stat -c %s "$file") + record_seconds * bytes_per_second))
      check "$mode: $record_seconds s of a game recorded" \
        poll $((record_seconds * 3)) recorded_enough "$file" "$target"
    else
      fail "$mode: 2p Versus starts"
    fi
  else
    fail "$mode: the game reaches its menu"
  fi
  stop_game
  GAME_ARGS=()
  check "$mode: the Versus music alone recorded" \
    bash -c "cd '$dir' && '$mix_meter' music $music_seconds $stereo '$recordings/$mode-music.raw' 2>/dev/null"
}

start_xvfb
record mono 0
record stereo 1
check "the mix in the game" "$mix_meter" judge "$recordings"/{mono,mono-music,stereo,stereo-music}.raw
say "the recordings (16-bit stereo at 44100 Hz) are in $recordings"

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
