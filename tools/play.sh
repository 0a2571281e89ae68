#!/usr/bin/env bash
# Builds the game with its art and sounds (and the manual page an install takes), nothing
# else, then starts it from its data folder. The tests and benchmarks are left to
# tools/test.sh, which builds them in the same folder.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh play
# A folder the test command configured keeps its tests and settings; a new one is made
# without the tests, so that their libraries need not be installed to play, and without
# debug information, which a player does not need and which slows the first build.
if [ -f build/CMakeCache.txt ]; then
  cmake -S . -B build
else
  cmake -S . -B build -DPIGMORA_TESTS=OFF -DCMAKE_BUILD_TYPE=Release
fi
cmake --build build -j"$(nproc)" --target pigmora art sounds gzipped-docs
cd build/data
exec ../pigmora "$@"
