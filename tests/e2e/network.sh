#!/usr/bin/env bash
# network.sh BUILD_DIR: two copies of the real program play "2p Versus" over the loopback
# address in one private X server: a host and a joiner connect, play a few seconds by
# keys, the joiner leaves; both show the end and return to their menus, both exit 0, and
# both keep a replay that checks and ends on the same lines. Then a joiner of another
# version is turned away and told why while the host waits on; a stranger's garbage
# thrown at the waiting host for ten seconds changes nothing; and a host that is killed
# mid-game leaves the joiner back in its menu with its settings intact. A third copy
# watches both games from the first: it keeps them as replays that end on the players' lines,
# and gets its menu back once the host has gone.
set -uo pipefail

build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
use_shots "$build/e2e-network-screens"
# Side by side from the start: a part of a window that another one covered stays black
# in screenshots until the game draws it again.
start_xvfb 2100x600
export SDL_AUDIODRIVER=dummy

# A free port on the loopback address, as the kernel hands one out.
port=$(python3 -c 'import socket; s=socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
versus_points=(5 470 635 470)
# The menu's own points, on its left side: the part of the host's window that the joiner's
# window covered while it opened stays black in screenshots until something is drawn there.
menu_points=(20 460 10 240 5 5 300 470)
playing() { shows "$1" looks_like "$data/Backgrounds/ocean2p.jpg" "${versus_points[@]}"; }
# Which of the two copies the helpers drive: the host's or the joiner's.
as() {
  case $1 in
    host) game_pid=$host_pid window=$host_window ;;
    join) game_pid=$join_pid window=$join_window ;;
    watch) game_pid=$watch_pid window=$watch_window ;;
  esac
}
remember() {
  case $1 in
    host) host_pid=$game_pid host_window=$window ;;
    join) join_pid=$game_pid join_window=$window ;;
    watch) watch_pid=$game_pid watch_window=$window ;;
  esac
  game_pid=""  # so that starting the other copy does not stop this one
}
stop_both() { for pid in ${host_pid:-} ${join_pid:-} ${watch_pid:-}; do kill -9 "$pid" 2>/dev/null; done; }
# What both copies said is kept beside the screenshots, for a failure's story.
keep_logs() { cp "$host_dir/stderr" "$shots/host-stderr.txt"; cp "$join_dir/stderr" "$shots/join-stderr.txt"; cp "$watch_dir/stderr" "$shots/watch-stderr.txt"; } 2>/dev/null
trap 'stop_both; keep_logs; cleanup' EXIT

host_dir=$(new_folder)
join_dir=$(new_folder)
# The watcher comes first (a window opening covers what is drawn beside it until it is drawn
# again), and knocks until the host's game begins.
watch_dir=$(new_folder)
GAME_ARGS=(--watch=127.0.0.1:"$port")
if start_game "$watch_dir" env SDL_VIDEO_WINDOW_POS=1400,0; then remember watch; else fail "the watcher's window opens"; fi
GAME_ARGS=(--host="$port")
if start_game "$host_dir" env SDL_VIDEO_WINDOW_POS=0,0 && wait_for_menu 01-host-menu 30; then remember host; else fail "the host reaches its menu"; exit 1; fi
GAME_ARGS=(--join=127.0.0.1:"$port")
if start_game "$join_dir" env SDL_VIDEO_WINDOW_POS=700,0 && wait_for_menu 02-join-menu 30; then
  remember join
else
  fail "the joiner reaches its menu"
  exit 1
fi
as host; press Down Down Return   # 2p Versus: the host waits
as join; press Down Down Return   # ... and the joiner connects
as host; check "the host's game starts" poll 20 playing 03-host-playing
as join; check "the joiner's game starts" poll 20 playing 04-join-playing
as watch; check "the watcher shows the game" poll 20 playing 04-watch-playing
as join; press Down Left Left Up
as host; press Down Right Up Delete
as join; press Escape             # the joiner leaves: the host wins
as host; check "the host shows the end" poll 15 shows 05-host-end differs_at "$data/Backgrounds/menu.jpg" 620 460
as host; check "the host goes back to its menu" back_to_menu 06-host-menu 20
as join; check "the joiner goes back to its menu" back_to_menu 07-join-menu 20
as host; press Return             # "2p Versus" again on both sides: a rematch
as join; press Return
as join; check "a rematch starts" poll 20 playing 08-join-rematch
as watch; check "the watcher follows the rematch" poll 20 playing 08-watch-rematch
as host; press Escape             # the host leaves this time
as join; check "the joiner shows the end" poll 15 shows 09-join-end differs_at "$data/Backgrounds/menu.jpg" 620 460
as join; check "... and goes back to its menu" back_to_menu 10-join-menu 20
as host; check "the host goes back to its menu" back_to_menu 10-host-menu 20
for side in host join; do
  as $side
  press Up Up Up Return  # from 2p Versus, still highlighted, round to Exit
  wait_for_exit 15
  check "the $side leaves with 0" [ "$exit_code" = 0 ]
done
as watch; check "the host gone, the watcher's menu comes back" back_to_menu 10-watch-menu 30
close_window
wait_for_exit 15
check "... and the watcher leaves with 0" [ "$exit_code" = 0 ]
for game_number in 1 2; do
  host_replay=$(ls "$host_dir"/replays/*_versus.txt 2>/dev/null | sed -n "${game_number}p")
  join_replay=$(ls "$join_dir"/replays/*_versus.txt 2>/dev/null | sed -n "${game_number}p")
  check "both keep network game $game_number as a replay" test -s "$host_replay" -a -s "$join_replay"
  for replay in "$host_replay" "$join_replay"; do
    (cd "$scratch" && timeout -k 2 60 "$game" --check-replay "$replay" >"$replay.end" 2>&1)
    check "... $(basename "$(dirname "$(dirname "$replay")")")'s checks" [ $? = 0 ]
  done
  check "... and both end on the same lines" cmp -s "$host_replay.end" "$join_replay.end"
  watch_replay=$(ls "$watch_dir"/replays/*_versus.txt 2>/dev/null | sed -n "${game_number}p")
  check "the watcher keeps network game $game_number as a replay" test -s "$watch_replay"
  (cd "$scratch" && timeout -k 2 60 "$game" --check-replay "$watch_replay" >"$watch_replay.end" 2>&1)
  check "... that checks" [ $? = 0 ]
  check "... and ends on the players' lines" cmp -s "$host_replay.end" "$watch_replay.end"
  cp "$host_replay" "$shots/host-replay-$game_number.txt"; cp "$join_replay" "$shots/join-replay-$game_number.txt"
done
check "the rematch has new rows" bash -c "! cmp -s <(grep '^rows' '$shots/host-replay-1.txt') <(grep '^rows' '$shots/host-replay-2.txt')"

# -- another version knocks: it is told which versions met; the host waits on --------
GAME_ARGS=(--host="$port")
if start_game "$host_dir" env SDL_VIDEO_WINDOW_POS=0,0 && wait_for_menu 11-host-menu 30; then remember host; else fail "the host starts again"; exit 1; fi
as host; press Down Down Return
check "the host waits again" poll 10 shows 12-host-waiting differs_at "$shots/11-host-menu.png" 230 308
timeout -k 2 30 "$build/tools/net-duel/net-duel" --join=127.0.0.1:"$port" --version=9.9 \
  >/dev/null 2>"$scratch/other-version.err"
check "another version is refused" [ $? = 3 ]
check "... and told the host's version" grep -q "The other player has Pigmora $version; you have 9.9" "$scratch/other-version.err"
check "the host does not go back to its menu" shows 13-host-waiting differs_at "$shots/11-host-menu.png" 230 308
check "... and names the other version as it waits" poll 10 grep -q "The other player has Pigmora 9.9; you have $version" "$host_dir/stderr"
# That it still waits shows when the next joiner, after the flood, gets in without a key here.

# -- a stranger's garbage at the waiting host's port ------------------------------------
rss() { sed -n 's/^VmRSS:[[:space:]]*\([0-9]*\).*/\1/p' "/proc/$host_pid/status"; }
before=$(rss)
sent=$(timeout -k 2 60 python3 "$here/flood.py" "$port" 10)
after=$(rss)
say "$sent datagrams in 10 s; the host's memory $before kB before, $after kB after"
check "the host lives through the flood" alive "$host_pid"
check "... its memory not running away" [ $((after - before)) -lt 16384 ]
remember host  # starting the joiner must not stop it
GAME_ARGS=(--join=127.0.0.1:"$port")
if start_game "$join_dir" env SDL_VIDEO_WINDOW_POS=700,0 && wait_for_menu 14-join-menu 30; then
  remember join
else
  fail "the joiner starts again"
  exit 1
fi
GAME_ARGS=()
as join; press Down Down Return
check "a second game starts after the flood" poll 20 playing 15-join-playing
ms() { echo $(($(date +%s%N) / 1000000)); }
kill -9 "$host_pid"
killed_at=$(ms)
as join
# Ten seconds of silence, then the notice stays up, saying so, until the player presses a
# key. When the game gave up is read off its own words, watched closely.
lost=""
while [ -z "$lost" ] && [ $(($(ms) - killed_at)) -lt 30000 ]; do
  grep -q "connection lost" "$join_dir/stderr" && lost=$(($(ms) - killed_at)) || sleep 0.05
done
say "the connection was given up ${lost:-never} ms after the host died"
check "... within 11 s" [ "${lost:-99999}" -le 11000 ]
check "... saying how long the silence lasted" grep -q "connection lost after 10 s of silence" "$join_dir/stderr"
# Without a key the end stays: well past the results lock it is still not the menu.
while [ $(($(ms) - killed_at)) -lt $((${lost:-0} + 3000)) ]; do sleep 0.1; done
check "the lost connection stays on screen until a key" not at_menu 16-join-lost
check "... and a key brings the menu back" back_to_menu 17-join-menu 20
press Up Up Up Return
wait_for_exit 15
check "... and leaves with 0" [ "$exit_code" = 0 ]
check "... its settings intact" bash -c "grep -q '^NumPlays=' '$join_dir/Pigmora.ini' && [ \$(wc -c <'$join_dir/Pigmora.ini') -gt 100 ]"

echo "network: $passed passed, $failed failed"
[ "$failed" = 0 ]
