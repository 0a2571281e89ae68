#!/usr/bin/env bash
# meet-through-server.sh BUILD_DIR: a Pigmora server on the loopback address and two pairs
# of net-duel players with the computer at the keys: one pair meets by invite code and finds
# its direct way, the other meets by quick match and plays through the server's relay. Each
# pair plays a whole game to the same end lines, with replays that check; two watchers with
# the code (one asking before the game is shown) follow the first pair through the server to
# the same end; then the server stops within 2 s of SIGTERM.
set -uo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
cd "$work"
free_port() { python3 -c 'import socket; s=socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
port=$(free_port)
limit=300  # a generous bound on one game played in real time, not a budget
duel="$build/tools/net-duel/net-duel"
failed=0
fail() { echo "FAILED: $*"; failed=1; }
# Polls FILE for a line matching PATTERN for up to 10 s.
await() { for _ in $(seq 100); do grep -q "$2" "$1" 2>/dev/null && return 0; sleep 0.1; done; return 1; }

"$build/src/server/pigmora-server" --listen=127.0.0.1 --port="$port" >server.out &
server=$!
await server.out listening || fail "the server did not start"
run() { timeout -k 2 "$limit" "$duel" --server=127.0.0.1:"$port" "$@"; }
run --host --start=42 --level=5 --replay=code-host.txt >code-host.out 2>code-host.err &
await code-host.out '^code: [2-9A-HJKMNP-Z]\{3\}-[2-9A-HJKMNP-Z]\{3\}$' || fail "the host was given no code"
code=$(sed -n 's/^code: //p' code-host.out | tr 'A-Z' 'a-z' | tr -d -)
run --watch="$code" --replay=early-watch.txt >early-watch.out 2>early-watch.err &
run --join="$code" --start=42 --level=1 --replay=code-join.txt >code-join.out 2>code-join.err &
await server.out 'a game is shown' || fail "the host did not show its game"
run --watch="$code" --replay=watch.txt >watch.out 2>watch.err &
run --quick --relayed --start=9 --level=5 --replay=quick-host.txt >quick-host.out 2>quick-host.err &
await server.out 'waits for a quick match' || fail "the quick waiter did not get in line"
run --quick --relayed --start=9 --level=1 --replay=quick-join.txt >quick-join.out 2>quick-join.err &
wait $(jobs -p | grep -v "^$server$")
cat ./*.err
for pair in code:direct quick:relayed; do
  name=${pair%:*}
  for side in host join; do
    grep -qx "path: ${pair#*:}" $name-$side.out || fail "$name $side did not connect ${pair#*:}"
    grep -v '^code:\|^path:' $name-$side.out >$name-$side.end
    "$build/pigmora" --check-replay $name-$side.txt >/dev/null || fail "the $name $side's replay does not check"
  done
  [ -s $name-host.end ] || fail "the $name pair's game has no end"
  cmp -s $name-host.end $name-join.end || fail "the $name pair ended on different lines"
done
for watcher in early-watch watch; do
  grep -q '^net-duel: live after [0-9]* ms$' $watcher.err || fail "the $watcher did not go live"
  cmp -s $watcher.out code-host.end || fail "the $watcher did not see the host's end"
  "$build/pigmora" --check-replay $watcher.txt >/dev/null || fail "the $watcher's replay does not check"
done
kill -TERM $server
for _ in $(seq 20); do kill -0 $server 2>/dev/null || break; sleep 0.1; done
kill -0 $server 2>/dev/null && fail "the server still runs 2 s after SIGTERM"
cat server.out
grep -q '[0-9]\{1,3\}\.[0-9]\{1,3\}\.[0-9]\{1,3\}\.[0-9]\{1,3\}' server.out && fail "the log names an address"
[ "$failed" = 0 ] && echo "meet-through-server: both pairs ended alike"
exit "$failed"
