#!/usr/bin/env bash
# watch.sh BUILD_DIR: a network game between two net-duel players (the computer at both
# keys) is watched, from its second minute, by the real program in a window under a private
# X server: the window shows both boards, follows the game to its end, brings its menu back
# when the players' connection ends, and keeps a replay that checks and ends on the players'
# lines.
set -uo pipefail

build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
use_shots "$build/e2e-watch-screens"
start_xvfb 800x600
export SDL_AUDIODRIVER=dummy

port=$(python3 -c 'import socket; s=socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
versus_points=(5 470 635 470)
playing() { shows "$1" looks_like "$data/Backgrounds/ocean2p.jpg" "${versus_points[@]}"; }
game_limit=420   # a generous bound on one game played in real time, not a budget
second_minute=65 # when the watcher comes: seconds after the players started
duel=("$build/tools/net-duel/net-duel" --start=7 --level=3)
trap 'kill $(jobs -p) 2>/dev/null; cp "$scratch"/players/*.err "$shots/" 2>/dev/null; cleanup' EXIT

mkdir -p "$scratch/players"
cd "$scratch/players" || exit 1
begun=$SECONDS
timeout -k 2 "$game_limit" "${duel[@]}" --host="$port" --replay=host.txt >host.end 2>host.err &
host=$!
timeout -k 2 "$game_limit" "${duel[@]}" --join=127.0.0.1:"$port" >join.end 2>join.err &
joiner=$!
cd - >/dev/null || exit 1

# Not a wait for a state: the moment chosen for the watcher to come, well into the game.
while [ $((SECONDS - begun)) -lt "$second_minute" ] && alive "$host"; do sleep 1; done
check "the players are still at it in the game's second minute" alive "$host"

dir=$(new_folder)
GAME_ARGS=(--watch=127.0.0.1:"$port")
if ! start_game "$dir"; then
  fail "the watcher's window opens"
  exit 1
fi
check "the watcher shows both boards" poll 20 playing 01-watching
wait "$host"
host_status=$?
wait "$joiner"
check "the players' game ended by the rules" [ "$host_status" = 0 ]
check "the watcher shows the end" poll 20 shows 02-end differs_at "$data/Backgrounds/menu.jpg" 620 460
check "... and its menu comes back" back_to_menu 03-menu 30
close_window
wait_for_exit 15
check "the watcher leaves with 0" [ "$exit_code" = 0 ]

replay=$(ls "$dir"/replays/*_versus.txt 2>/dev/null | head -n 1)
check "the watcher keeps the game as a replay" test -s "$replay"
for kept in "$replay" "$scratch/players/host.txt"; do
  (cd "$scratch" && timeout -k 2 60 "$game" --check-replay "$kept" >"$kept.end" 2>&1)
  check "... $(basename "$kept") checks" [ $? = 0 ]
done
check "... and ends on the players' lines" cmp -s "$replay.end" "$scratch/players/host.txt.end"
cp "$replay" "$shots/watcher-replay.txt" 2>/dev/null

echo "watch: $passed passed, $failed failed"
[ "$failed" = 0 ]
