#!/usr/bin/env bash
# The benchmark's command line: help, refusals with status 2, and the last line's shape.
# Usage: net-bench-options.sh <net-bench>
set -u
bench=$1
fail() {
  echo "net-bench: $*"
  exit 1
}
timeout 10 "$bench" --help | grep -q -- '--games' || fail "--help does not mention --games"
for args in "--frobnicate" "--games" "--games 0" "--games ten" "extra"; do
  # shellcheck disable=SC2086
  timeout 10 "$bench" $args > /dev/null 2>&1
  status=$?
  [ $status -eq 2 ] || fail "\"$args\" ended with status $status, not 2"
done
last=$(timeout 300 "$bench" --games 1 | tail -n 1)
[[ $last =~ ^desyncs:\ [0-9]+\ in\ [0-9]+\ games$ ]] || fail "last line \"$last\""
echo "net-bench options: $last"
