#!/usr/bin/env bash
# run-fuzz.sh FUZZER CORPUS SECONDS: a bounded fuzzing run in a scratch folder, so the
# fuzzer's findings and the settings file it may touch never land in the source tree.
set -euo pipefail
fuzzer=$1 corpus=$2 seconds=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$corpus" "$work/corpus"
cd "$work"
"$fuzzer" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 corpus 2>&1 | tail -n 20
