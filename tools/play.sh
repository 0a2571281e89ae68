#!/usr/bin/env bash
# Builds the game with its art and sounds, then starts it from its data folder.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake -S . -B build
cmake --build build -j"$(nproc)"
cd build/data
exec ../pigmora "$@"
