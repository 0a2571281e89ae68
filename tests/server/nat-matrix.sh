#!/usr/bin/env bash
# nat-matrix.sh BUILD_DIR [MEETINGS]: players behind home routers meet through a Pigmora
# server, all in network namespaces this script makes (root only; exit 77, a skip, where
# namespaces or nftables cannot be had). The internet is a namespace on 198.18.0.0/15 with
# the server at 198.18.0.1; each router has a WAN address there and does NAT with nftables,
# "cone" (masquerade: one mapping per socket) or "symmetric" (masquerade random,fully-random:
# a new mapping per destination); each home is a namespace on 203.0.113.0/24 behind its
# router. Cells: cone/cone (must go direct), cone/symmetric, symmetric/symmetric (must be
# relayed), both homes behind one router (must go direct), and a quick match.
#
# With no MEETINGS, each cell's two net-duel players meet by code (or quick match) and play a
# whole game to the same end lines, both replays checking. With MEETINGS (a benchmark), each
# cell meets that many times without a game and says how many connected, which way, and how
# long the connection took.
set -uo pipefail
build=$(cd "$1" && pwd)
meetings=${2:-}
skip() { echo "nat-matrix: $*; skipped"; exit 77; }
[ "$(id -u)" = 0 ] || skip "namespaces need root"
command -v nft >/dev/null || skip "nft is not installed"
p=pgm$$
work=$(mktemp -d)
cleanup() {
  kill $(jobs -p) 2>/dev/null
  wait 2>/dev/null
  for n in $(ip netns list | awk '{print $1}' | grep "^$p-"); do ip netns del "$n"; done
  rm -rf "$work"
}
trap cleanup EXIT
trap "exit 1" TERM INT
cd "$work"
ns() { ip netns exec "$p-$1" "${@:2}"; }

ip netns add "$p-inet" 2>/dev/null || skip "no network namespace can be made"
ns inet ip link set lo up
ns inet ip addr add 198.18.0.1/32 dev lo
ns inet sysctl -qw net.ipv4.ip_forward=1

# router NAME N KIND: WAN 198.18.N.2, reached from the internet at 198.18.N.1.
router() {
  local r=$1 i=$2 how=masquerade
  [ "$3" = symmetric ] && how="masquerade random,fully-random"
  ip netns add "$p-$r"
  ns "$r" ip link set lo up
  ns "$r" sysctl -qw net.ipv4.ip_forward=1
  ip link add "$p$i-a" type veth peer name "$p$i-b"
  ip link set "$p$i-a" netns "$p-$r"
  ns "$r" ip link set "$p$i-a" name wan
  ip link set "$p$i-b" netns "$p-inet"
  ns inet ip link set "$p$i-b" name "r$i"
  ns "$r" ip addr add "198.18.$i.2/24" dev wan
  ns "$r" ip link set wan up
  ns inet ip addr add "198.18.$i.1/24" dev "r$i"
  ns inet ip link set "r$i" up
  ns "$r" ip route add default via "198.18.$i.1"
  ns "$r" nft -f - <<NFT || skip "nftables cannot make a NAT"
table ip nat {
  chain post {
    type nat hook postrouting priority srcnat; policy accept;
    oifname "wan" $how
  }
}
table ip filter {
  chain forward {
    type filter hook forward priority filter; policy drop;
    ct state established,related accept
    iifname "lan*" accept
  }
}
NFT
}
# home NAME ROUTER K: 203.0.113.(16K+2)/28 behind the router's 203.0.113.(16K+1).
home() {
  local h=$1 r=$2 k=$3
  ip netns add "$p-$h"
  ns "$h" ip link set lo up
  ip link add "$p$k-h" type veth peer name "$p$k-l"
  ip link set "$p$k-h" netns "$p-$h"
  ns "$h" ip link set "$p$k-h" name eth0
  ip link set "$p$k-l" netns "$p-$r"
  ns "$r" ip link set "$p$k-l" name "lan$k"
  ns "$h" ip addr add "203.0.113.$((16 * k + 2))/28" dev eth0
  ns "$h" ip link set eth0 up
  ns "$r" ip addr add "203.0.113.$((16 * k + 1))/28" dev "lan$k"
  ns "$r" ip link set "lan$k" up
  ns "$h" ip route add default via "203.0.113.$((16 * k + 1))"
}

# cell NAME HOST_KIND GUEST_KIND WAY EXPECTED N: homes N and N+1 behind routers N and N+1
# (or both behind router N when GUEST_KIND is "same").
cells=()
cell() {
  local name=$1 hk=$2 gk=$3 n=$4
  router "r$n" "$n" "$hk"
  home "h$n" "r$n" "$n"
  if [ "$gk" = same ]; then
    home "h$((n + 1))" "r$n" "$((n + 1))"
  else
    router "r$((n + 1))" "$((n + 1))" "$gk"
    home "h$((n + 1))" "r$((n + 1))" "$((n + 1))"
  fi
}
cell cone-cone cone cone 1
cell cone-symmetric cone symmetric 3
cell symmetric-symmetric symmetric symmetric 5
cell one-router cone same 7
cell quick cone cone 9
# name, host's home, guest's home, way, the path it must take ("" for either)
matrix="cone-cone:1:2:code:direct cone-symmetric:3:4:code: symmetric-symmetric:5:6:code:relayed
one-router:7:8:code:direct quick:9:10:quick:"

# Started as a job of its own (not through a function, whose subshell would outlive a kill).
ip netns exec "$p-inet" "$build/src/server/pigmora-server" --listen=198.18.0.1 >server.out &
for _ in $(seq 100); do grep -q listening server.out && break; sleep 0.1; done
server=198.18.0.1:24644
limit=300  # a generous bound on one game played in real time, not a budget
duel="$build/tools/net-duel/net-duel"
failed=0
fail() { echo "FAILED: $*"; failed=1; }
await() { for _ in $(seq 100); do grep -q "$2" "$1" 2>/dev/null && return 0; sleep 0.1; done; return 1; }

# meet NAME HOST_HOME GUEST_HOME WAY TAG [net-duel options]: one meeting, both sides in the
# background; the host's code passed on as soon as it is printed.
meet() {
  local name=$1 hh=$2 gh=$3 way=$4 tag=$5
  shift 5
  if [ "$way" = code ]; then
    timeout -k 2 $limit ip netns exec "$p-h$hh" "$duel" --server=$server --host "$@" \
      --replay="$name-$tag-host.txt" >"$name-$tag-host.out" 2>"$name-$tag-host.err" &
    await "$name-$tag-host.out" '^code: ' || { fail "$name: the host was given no code"; return; }
    local code
    code=$(sed -n 's/^code: //p' "$name-$tag-host.out")
    timeout -k 2 $limit ip netns exec "$p-h$gh" "$duel" --server=$server --join="$code" "$@" $guest \
      --replay="$name-$tag-guest.txt" >"$name-$tag-guest.out" 2>"$name-$tag-guest.err" &
  else
    timeout -k 2 $limit ip netns exec "$p-h$hh" "$duel" --server=$server --quick "$@" \
      --replay="$name-$tag-host.txt" >"$name-$tag-host.out" 2>"$name-$tag-host.err" &
    sleep 0.3  # not a wait for a state: only so that the first is likelier to wait first
    timeout -k 2 $limit ip netns exec "$p-h$gh" "$duel" --server=$server --quick "$@" $guest \
      --replay="$name-$tag-guest.txt" >"$name-$tag-guest.out" 2>"$name-$tag-guest.err" &
  fi
}

guest=""
if [ -z "$meetings" ]; then
  # A strong player against a weak one: a game of about a minute.
  guest=--level=1
  for entry in $matrix; do
    IFS=: read -r name hh gh way _ <<<"$entry"
    meet "$name" "$hh" "$gh" "$way" game --start=42 --level=5
  done
  wait $(jobs -p | tail -n +2)
  for entry in $matrix; do
    IFS=: read -r name _ _ _ want <<<"$entry"
    for side in host guest; do
      grep -v '^code:\|^path:' "$name-game-$side.out" >"$name-$side.end"
      "$build/pigmora" --check-replay "$name-game-$side.txt" >/dev/null ||
        fail "$name: the $side's replay does not check"
    done
    path=$(sed -n 's/^path: //p' "$name-game-host.out")
    [ -s "$name-host.end" ] || fail "$name: no game was played"
    cmp -s "$name-host.end" "$name-guest.end" || fail "$name: the two sides ended on different lines"
    [ -z "$want" ] || [ "$path" = "$want" ] || fail "$name: went ${path:-nowhere}, not $want"
    echo "$name: ${path:-no path}; $(grep -h 'connected after' "$name-game-guest.err")"
  done
else
  for entry in $matrix; do
    IFS=: read -r name hh gh way _ <<<"$entry"
    for i in $(seq "$meetings"); do
      meet "$name" "$hh" "$gh" "$way" "$i" --meet-only
      wait $(jobs -p | tail -n +2)
    done
    connected=$(cat "$name"-*-guest.out | grep -c '^path:')
    direct=$(cat "$name"-*-guest.out | grep -c '^path: direct')
    times=$(sed -n 's/.*connected after \([0-9]*\) ms.*/\1/p' "$name"-*-guest.err | sort -n)
    echo "$name: connected $connected of $meetings ($direct direct); connection ms: median" \
      "$(echo "$times" | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'), most $(echo "$times" | tail -1)"
  done
fi
cat server.out
[ "$failed" = 0 ] && echo "nat-matrix: every cell played"
exit "$failed"
