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
source "$here/lib.sh"  # makes $scratch, removed at exit

export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
# SDL keeps a few small blocks until after the leak check (as in the unit tests).
printf 'leak:libSDL2-2.0.so\nleak:libX11.so\nleak:libmikmod.so\n' >"$scratch/leaks.supp"
export LSAN_OPTIONS=suppressions=$scratch/leaks.supp
unset DISPLAY  # nothing here may touch a real screen saver
# Only a hang is cut short: a busy machine may take minutes over a run, and every wait
# below is for a state, polled, with this bound (seconds) on each.
hang_limit=${PIGMORA_HANG_LIMIT:-900}
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

wait_until() { # wait_until PID COMMAND...: polls until COMMAND holds or PID ends; 1 on a hang
  local deadline=$((SECONDS + hang_limit))
  until "${@:2}"; do
    alive "$1" || return 0
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.2
  done
}
run_until_quit() { # run_until_quit DIR: writes the exit status to DIR/status, its time to DIR/seconds
  local dir=$1 pid started=$SECONDS
  (cd "$dir" && exec "$game" >"$dir/stdout" 2>"$dir/stderr") &
  pid=$!
  # The request goes once it would reach the game's quit (catches_sigterm); then the run
  # must end by itself.
  if wait_until "$pid" catches_sigterm "$pid"; then
    kill -TERM "$pid" 2>/dev/null
    wait_until "$pid" false
  fi
  if alive "$pid"; then
    kill -9 "$pid"
    echo "  (still running after $hang_limit s of waiting; killed)" >>"$dir/stderr"
  fi
  wait "$pid"
  echo $? >"$dir/status"
  echo $((SECONDS - started)) >"$dir/seconds"
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

slowest=$(cat "${dirs[@]/%//seconds}" | sort -n | tail -n 1)
echo "$passed passed, $failed failed; the slowest run took $slowest s, all $SECONDS s"
[ "$failed" = 0 ]
