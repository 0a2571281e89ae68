#!/usr/bin/env bash
# in-own-network.sh PROGRAM...: runs the program in a network namespace of its own with only
# the loopback device up, so that its broadcasts stay on this machine. Beside it, where it
# can, other machines: a second namespace joined by a virtual cable, on this machine's
# network 198.51.100.0/24 as 198.51.100.77 and beyond it as 203.0.113.2; the program finds
# it through PIGMORA_OTHER_MACHINES (its namespace). Where namespaces cannot be made (no
# privilege), says so and exits 77, which CTest counts as skipped.
if ! unshare --net true 2>/dev/null; then
  echo "in-own-network: no network namespace can be made here; skipped"
  exit 77
fi
exec unshare --net bash -c '
ip link set lo up
if ip link add near type veth peer name far 2>/dev/null; then
  # Holds the other machines namespace open while the program runs; killed with it.
  unshare --net sleep 900 &
  holder=$!
  trap "kill $holder" EXIT
  for _ in $(seq 200); do
    [ "$(readlink /proc/$holder/ns/net)" != "$(readlink /proc/self/ns/net)" ] && break
    sleep 0.01
  done
  ip link set far netns "$holder"
  nsenter --net=/proc/$holder/ns/net sh -c "ip link set lo up && ip link set far up &&
    ip addr add 198.51.100.77/24 dev far && ip addr add 203.0.113.2/24 dev far"
  ip addr add 198.51.100.1/24 dev near
  ip link set near up
  ip route add 203.0.113.0/24 dev near
  export PIGMORA_OTHER_MACHINES=/proc/$holder/ns/net
fi
"$@"
' bash "$@"
