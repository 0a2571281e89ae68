#!/usr/bin/env bash
# hostile.sh BUILD_DIR: the program as a careless packager or a hostile user runs it, on
# SDL's dummy drivers (a private X server only holds the screen saver). Nothing may hang,
# run unseen, lose the player's file or fail without a word.
set -uo pipefail

build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
# In the sanitizer build: SDL (and the D-Bus library it asks about the screen saver) keep
# a few small blocks until after the leak check, as in the unit tests, which would
# otherwise turn every exit status into the leak checker's.
printf 'leak:libSDL2-2.0.so\nleak:libX11.so\nleak:libmikmod.so\nleak:libdbus-1.so\n' >"$scratch/leaks.supp"
export LSAN_OPTIONS=suppressions=$scratch/leaks.supp

# start_unseen FOLDER [BLOCKS]: runs the game there, waits until SIGTERM would reach SDL. With
# BLOCKS the game may write no file larger than that (ulimit -f); its output then goes
# through pipes, which no such limit stops.
start_unseen() {
  local deadline=$((SECONDS + 20))
  stop_game
  if [ $# -gt 1 ]; then
    (cd "$1" && ulimit -f "$2" && exec "$game") > >(exec cat >"$1/stdout") 2> >(exec cat >"$1/stderr") &
  else
    (cd "$1" && exec "$game" >"$1/stdout" 2>"$1/stderr") &
  fi
  game_pid=$!
  until catches_sigterm "$game_pid"; do
    alive "$game_pid" && [ $SECONDS -lt $deadline ] || { say "SDL did not start within 20 s"; return 1; }
    sleep 0.05
  done
}

# -- answers that cannot be written -----------------------------------------------------------
for option in --version --help; do
  timeout -k 2 10 "$game" "$option" >/dev/full 2>"$scratch/err"
  check "$option into a full disk ends with 1" [ $? = 1 ]
  check "... saying why" grep -qx 'pigmora: write error: No space left on device' "$scratch/err"
done

# -- no display: a failed start, not a game nobody can see -------------------------------------
for display in unset ":9999"; do
  dir=$(new_folder)
  unset=(-u DISPLAY)
  [ $display = unset ] || unset=(DISPLAY=$display)
  (cd "$dir" && exec env -u SDL_VIDEODRIVER "${unset[@]}" SDL_AUDIODRIVER=dummy \
    timeout -k 2 20 "$game" >"$dir/stdout" 2>/dev/null)
  check "DISPLAY $display: the start fails with 255" [ $? = 255 ]
  check "... naming the display" grep -q "^Could not initialize SDL: .*${display/unset/DISPLAY is not set}" "$dir/stdout"
  check "... and leaving the settings alone" [ ! -e "$dir/Pigmora.ini" ]
done

export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
unset DISPLAY # no real screen saver is touched

# -- a quit request during the start-up pictures -----------------------------------------------
dir=$(new_folder)
if start_unseen "$dir"; then
  kill -TERM "$game_pid"
  wait_for_exit 20
  check "SIGTERM during the start-up pictures ends the game with 0" [ "$exit_code" = 0 ]
  check "... saving the settings" [ -s "$dir/Pigmora.ini" ]
else
  fail "the game starts"
fi

# -- a limit on file size: a write past it fails (EFBIG) rather than killing the game ----------
arrives() { # arrives FILE PATTERN: a line reaches the file, which a pipe may fill after the exit
  local deadline=$((SECONDS + 10))
  until grep -q "$2" "$1"; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.05
  done
}
dir=$(new_folder)
if start_unseen "$dir" 0; then
  kill -TERM "$game_pid"
  wait_for_exit 20
  check "no file may grow (ulimit -f 0): SIGTERM still ends the game with 0" [ "$exit_code" = 0 ]
  check "... saying in one line that the settings were not saved" \
    arrives "$dir/stderr" '^Pigmora.ini: the settings were not saved: '
  check "... and leaving no unfinished file" [ ! -e "$dir/Pigmora.ini.new" ]
else
  fail "the game starts under a limit on file size"
fi

# -- settings files the game must not block on, swallow or write over ---------------------------
for kind in fifo huge; do
  dir=$(new_folder)
  if [ $kind = fifo ]; then mkfifo "$dir/Pigmora.ini"; else truncate -s 64G "$dir/Pigmora.ini"; fi
  before=$(stat -c '%F %s %i' "$dir/Pigmora.ini")
  if start_unseen "$dir"; then
    kill -TERM "$game_pid"
    wait_for_exit 20
    check "a $kind settings file: the game starts and ends with 0" [ "$exit_code" = 0 ]
    check "... saying why it plays on defaults" grep -q '^Pigmora.ini: .*playing with the default settings' "$dir/stderr"
    check "... and leaving the file as it was" [ "$(stat -c '%F %s %i' "$dir/Pigmora.ini")" = "$before" ]
  else
    fail "a $kind settings file: the game starts"
  fi
done

# -- a closed terminal puts the screen saver back ---------------------------------------------------
start_xvfb
timeout_before=$(screen_saver_timeout)
dir=$(new_folder)
if start_unseen "$dir"; then
  deadline=$((SECONDS + 20))
  until [ "$(screen_saver_timeout)" = 32767 ] || [ $SECONDS -ge $deadline ]; do sleep 0.1; done
  kill -HUP "$game_pid"
  wait_for_exit 20
  check "SIGHUP ends the game with 0" [ "$exit_code" = 0 ]
  check "... and puts the screen saver back" [ "$(screen_saver_timeout)" = "$timeout_before" ]
else
  fail "the game starts under X"
fi
unset DISPLAY

# -- the installed launcher without a usable home ---------------------------------------------------
prefix=$scratch/prefix
if timeout 120 cmake --install "$build" --prefix "$prefix" >"$scratch/install.log" 2>&1; then
  mkdir -p "$scratch/cwd" "$scratch/home"
  for home in unset relative; do
    (cd "$scratch/cwd" && if [ $home = unset ]; then exec env -u HOME -u XDG_DATA_HOME timeout 20 "$prefix/bin/pigmora" --version
    else HOME=home exec env -u XDG_DATA_HOME timeout 20 "$prefix/bin/pigmora" --version; fi) >/dev/null 2>"$scratch/err"
    check "the launcher with HOME $home ends with 1" [ $? = 1 ]
    check "... saying so" grep -q '^pigmora: HOME is not set' "$scratch/err"
  done
  check "... making no folder for the settings" [ -z "$(ls -A "$scratch/cwd")" ]
  (cd "$scratch/cwd" && HOME=$scratch/home XDG_DATA_HOME=data exec timeout 20 "$prefix/bin/pigmora" --version >/dev/null)
  check "a relative XDG_DATA_HOME is ignored for the one under HOME" [ -d "$scratch/home/.local/share/pigmora" ]
  check "... leaving the current folder alone" [ -z "$(ls -A "$scratch/cwd")" ]
else
  fail "cmake --install"
  cat "$scratch/install.log"
fi

echo "hostile: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
