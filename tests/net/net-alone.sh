#!/usr/bin/env bash
# Fails when the session library reaches for SDL or for the network itself: it talks only
# through its Transport, so the same sessions run over a simulated link and a real one.
# Usage: net-alone.sh <source folder of the sessions> <libnet.a>
set -euo pipefail
sources=$1
library=$2
status=0
if includes=$(timeout 30 grep -rnE '#\s*include\s*[<"](SDL[^">]*|enet/[^">]*|sys/socket|netinet/[^">]*|arpa/inet)\.h[>"]' "$sources"); then
  echo "the sessions include SDL or socket headers:"
  echo "$includes"
  status=1
fi
undefined=$(timeout 30 nm -u --no-demangle "$library") || {
  echo "nm could not read $library"
  exit 1
}
if symbols=$(grep -E ' ((SDL|IMG|Mix|enet)_|(socket|bind|connect|sendto|recvfrom|send|recv)$)' <<<"$undefined"); then
  echo "libnet references SDL or sockets:"
  echo "$symbols"
  status=1
fi
[ $status -eq 0 ] && echo "sessions alone: $(grep -c . <<<"$undefined") undefined symbols, none of SDL's or the network's"
exit $status
