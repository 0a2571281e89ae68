#!/usr/bin/env bash
# server-game.sh BUILD_DIR: two copies of the real program meet by invite code through a
# Pigmora server on the loopback address, in one private X server: the host's waiting
# screen has the code, the joiner starts with it, both say how they are connected, they
# play a few seconds by keys, watched through the server by a third copy given the code;
# the joiner leaves; all three return to their menus, exit 0, and keep replays that check
# and end on the same lines. The server named once is remembered in the player's folder,
# and Pigmora.ini says nothing of it.
set -uo pipefail

build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
use_shots "$build/e2e-server-game-screens"
start_xvfb 2100x600
export SDL_AUDIODRIVER=dummy

free_port() { python3 -c 'import socket; s=socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
server_port=$(free_port)
# The host's game port: one free now, given on its command line as a player would.
game_port=$(free_port)
"$build/src/server/pigmora-server" --listen=127.0.0.1 --port="$server_port" >"$scratch/server.out" &
server_pid=$!
versus_points=(5 470 635 470)
playing() { shows "$1" looks_like "$data/Backgrounds/ocean2p.jpg" "${versus_points[@]}"; }
as() { eval "game_pid=\$${1}_pid window=\$${1}_window"; }
remember() {
  eval "${1}_pid=$game_pid ${1}_window=$window"
  game_pid=""
}
stop_all() { for pid in ${host_pid:-} ${join_pid:-} ${watch_pid:-} $server_pid; do kill -9 "$pid" 2>/dev/null; done; }
keep_logs() { for side in host join watch; do eval "cp \"\$${side}_dir/stderr\" \"$shots/$side-stderr.txt\""; done; cp "$scratch/server.out" "$shots/server.txt"; } 2>/dev/null
trap 'stop_all; keep_logs; cleanup' EXIT

host_dir=$(new_folder)
join_dir=$(new_folder)
watch_dir=$(new_folder)
GAME_ARGS=(--server=127.0.0.1:"$server_port" --host="$game_port")
if start_game "$host_dir" env SDL_VIDEO_WINDOW_POS=0,0 && wait_for_menu 01-host-menu 30; then remember host; else fail "the host reaches its menu"; exit 1; fi
as host; press Down Down Return   # 2p Versus: the host registers and waits
check "the host is given an invite code" poll 10 grep -q "invite code [2-9A-Z]\{3\}-[2-9A-Z]\{3\}$" "$host_dir/stderr"
code=$(sed -n 's/.*invite code //p' "$host_dir/stderr" | head -1)
shows 02-host-waiting true
check "the server is remembered in the player's folder" grep -qx "127.0.0.1:$server_port" "$host_dir/PigmoraServer.txt"
GAME_ARGS=(--server=127.0.0.1:"$server_port" --join="$code")
game_pid=""  # the host plays on: starting the joiner must not stop it
if start_game "$join_dir" env SDL_VIDEO_WINDOW_POS=700,0 && wait_for_menu 03-join-menu 30; then
  remember join
else
  fail "the joiner reaches its menu"
  exit 1
fi
GAME_ARGS=()
as join; press Down Down Return   # the joiner meets the host by its code
as host; check "the host's game starts" poll 20 playing 04-host-playing
as join; check "the joiner's game starts" poll 20 playing 05-join-playing
for side in host join; do
  dir=$host_dir; [ $side = join ] && dir=$join_dir
  check "the $side says it is connected directly" grep -q "Connected directly, round trip [0-9]* ms" "$dir/stderr"
done
# A third copy watches through the server with the code, from a folder that knows no server.
GAME_ARGS=(--server=127.0.0.1:"$server_port" --watch="$code")
game_pid=""  # the players play on
if start_game "$watch_dir" env SDL_VIDEO_WINDOW_POS=1400,0; then remember watch; else fail "the watcher's window opens"; fi
GAME_ARGS=()
as watch; check "the watcher by code shows both boards" poll 20 playing 06-watching
as host; press Down Left Left Up
as join; press Escape             # the joiner leaves: the host wins
as host; check "the host goes back to its menu" back_to_menu 07-host-menu 20
as join; check "the joiner goes back to its menu" back_to_menu 08-join-menu 20
for side in host join watch; do
  as $side
  # The watcher waits for a rematch until the host's program goes: then its menu comes back.
  if [ $side = watch ]; then
    check "the watcher's menu comes back once the host has gone" back_to_menu 09-watch-menu 30
    close_window
  else
    press Up Up Up Return
  fi
  wait_for_exit 15
  check "the $side leaves with 0" [ "$exit_code" = 0 ]
done
host_replay=$(ls "$host_dir"/replays/*_versus.txt 2>/dev/null | head -1)
join_replay=$(ls "$join_dir"/replays/*_versus.txt 2>/dev/null | head -1)
watch_replay=$(ls "$watch_dir"/replays/*_versus.txt 2>/dev/null | head -1)
check "all three keep the game as a replay" test -s "$host_replay" -a -s "$join_replay" -a -s "$watch_replay"
for replay in "$host_replay" "$join_replay" "$watch_replay"; do
  (cd "$scratch" && timeout -k 2 60 "$game" --check-replay "$replay" >"$replay.end" 2>&1)
  check "... $(basename "$(dirname "$(dirname "$replay")")")'s checks" [ $? = 0 ]
done
check "... and all end on the same lines" bash -c "cmp -s '$host_replay.end' '$join_replay.end' && cmp -s '$host_replay.end' '$watch_replay.end'"

check "Pigmora.ini names no server" bash -c "! grep -qi '127.0.0.1\|server' '$host_dir/Pigmora.ini'"
echo "server-game: $passed passed, $failed failed"
[ "$failed" = 0 ]
