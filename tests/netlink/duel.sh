#!/usr/bin/env bash
# duel.sh BUILD_DIR: two real processes play a whole "2p Versus" game with the computer at
# the keys on both sides, over ENet on the loopback address, through a relay that delays
# (75 ms each way, give or take 20) and drops (5%) their datagrams. Both must end on the
# same lines, and both replays must check. A watcher comes a few seconds in, straight to the
# host's port for watchers: it must catch up, end on the same lines and keep a replay that
# checks.
set -uo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
cd "$work"
free_port() { python3 -c 'import socket; s=socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
host_port=$(free_port)
relay_port=$(free_port)
limit=420  # a generous bound on one game played in real time, not a budget

"$build/tools/udp-relay/udp-relay" "$relay_port" "$host_port" 75 20 5 9 "$limit" >relay.out &
timeout -k 2 "$limit" "$build/tools/net-duel/net-duel" --host="$host_port" --start=42 --level=5 \
  --replay=host.txt >host.end 2>host.err &
host=$!
late=5  # seconds: when the watcher comes, well into the game
(sleep "$late" && exec timeout -k 2 "$limit" "$build/tools/net-duel/net-duel" \
  --watch=127.0.0.1:"$host_port" --replay=watch.txt) >watch.end 2>watch.err &
watcher=$!
timeout -k 2 "$limit" "$build/tools/net-duel/net-duel" --join=127.0.0.1:"$relay_port" --start=42 \
  --level=2 --replay=join.txt >join.end 2>join.err
join_status=$?
wait "$host"
host_status=$?
wait "$watcher"
watch_status=$?
cat host.err join.err watch.err relay.out
failed=0
fail() { echo "FAILED: $*"; failed=1; }
[ "$host_status" = 0 ] || fail "the host's game did not end by the rules (status $host_status)"
[ "$join_status" = 0 ] || fail "the joiner's game did not end by the rules (status $join_status)"
cmp -s host.end join.end || fail "the two sides ended on different lines"
[ "$watch_status" = 0 ] || fail "the watcher did not follow the game to its end (status $watch_status)"
cmp -s host.end watch.end || fail "the watcher ended on other lines than the players"
grep -q "live after [0-9]* ms" watch.err || fail "the watcher never said when it was live"
for side in host join watch; do
  "$build/pigmora" --check-replay "$side.txt" >"$side.check" || fail "the $side's replay does not check"
done
cat host.end
[ "$failed" = 0 ] && echo "duel: both sides and the watcher ended alike"
exit "$failed"
