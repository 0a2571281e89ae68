#!/usr/bin/env bash
# extreme-settings.sh BUILD_DIR: a hand-edited settings file may hold any number. Starts
# the real program once for each extreme value (every numeric setting at 0, 1, -1 and
# the int limits, then odd mixing rates) on SDL's dummy drivers, several runs side by side,
# and asks each to quit (SDL turns SIGTERM into its quit request, which the menu answers
# with the normal shutdown). Every run must end with 0 and leave the player's values in
# the file. In the sanitizer build this is where they watch a whole start-up and shutdown.
set -uo pipefail

build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
source "$here/lib.sh"
trap 'rm -rf "$scratch"' EXIT

export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
# SDL keeps a few small blocks until after the leak check (as in the unit tests).
printf 'leak:libSDL2-2.0.so\nleak:libX11.so\nleak:libmikmod.so\n' >"$scratch/leaks.supp"
export LSAN_OPTIONS=suppressions=$scratch/leaks.supp
unset DISPLAY  # nothing here may touch a real screen saver
run_limit=90  # seconds before a run counts as hung and is killed
side_by_side=8 # runs at a time (each takes well under 100 MB, sanitizers included)

keys=(Frequency Stereo Music Effects Threshold Antialias Fullscreen NumPlays)
declare -A section_of=([Frequency]=Sounds [Stereo]=Sounds [Music]=Sounds [Effects]=Sounds
  [Threshold]=Joystick [Antialias]=Graphics [Fullscreen]=Graphics [NumPlays]=Misc)

write_settings() { # write_settings FILE KEY=VALUE...: each section once, with its keys
  local section assignment
  : >"$1"
  for section in Sounds Joystick Graphics Misc; do
    echo "[$section]" >>"$1"
    for assignment in "${@:2}"; do
      [ "${section_of[${assignment%%=*}]}" = "$section" ] && echo "$assignment" >>"$1"
    done
    echo >>"$1"
  done
}

cases=()
for value in 0 1 -1 2147483647 -2147483648; do
  cases+=("${keys[*]/%/=$value}")
done
for rate in 1 5512 8000 11024 22051 33075 40000 44099 96000 192000; do
  cases+=("Frequency=$rate Stereo=0" "Frequency=$rate Stereo=1")
done

# Ask the game to quit once SDL surely turns SIGTERM into a quit request (a few seconds
# in), and again every few seconds should it still run: a request it answers ends the
# game well within that time.
run_until_quit() { # run_until_quit DIR: writes the exit status to DIR/status
  local dir=$1 pid waited=0
  (cd "$dir" && exec "$game" >"$dir/stdout" 2>"$dir/stderr") &
  pid=$!
  while kill -0 "$pid" 2>/dev/null && [ $waited -lt $run_limit ]; do
    sleep 5
    waited=$((waited + 5))
    kill -TERM "$pid" 2>/dev/null
  done
  kill -9 "$pid" 2>/dev/null && echo "  (still running after $run_limit s; killed)" >>"$dir/stderr"
  wait "$pid"
  echo $? >"$dir/status"
}

dirs=()
monitors=()
for setting in "${cases[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge $side_by_side ]; do wait -n; done
  dir=$(new_folder)
  write_settings "$dir/Pigmora.ini" $setting
  run_until_quit "$dir" &
  dirs+=("$dir")
  monitors+=($!)
done

for i in "${!cases[@]}"; do
  wait "${monitors[i]}"
  dir=${dirs[i]}
  status=$(cat "$dir/status")
  kept=yes
  for assignment in ${cases[i]}; do
    key=${assignment%%=*} value=${assignment#*=}
    if [ "$key" = NumPlays ]; then # the count moves on by one, and stops at the top
      [ "$value" = 2147483647 ] || value=$((value + 1))
    fi
    grep -qx "$key=$value" "$dir/Pigmora.ini" || kept="no: $(grep "^$key=" "$dir/Pigmora.ini")"
  done
  if [ "$status" = 0 ] && [ "$kept" = yes ]; then
    pass "${cases[i]}"
  else
    fail "${cases[i]}: exit status $status, values kept $kept"
    tail -n 20 "$dir/stderr"
  fi
done

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
