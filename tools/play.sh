#!/usr/bin/env bash
# Builds the game with its art and sounds (and the manual page an install takes), nothing
# else, then starts it from its data folder. The tests and benchmarks are left to
# tools/test.sh, which builds them in the same folder.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh play
# A folder the test command configured keeps its tests; a new one is made without them,
# so that the test libraries need not be installed to play.
if [ -f build/CMakeCache.txt ]; then
  cmake -S . -B build
else
  cmake -S . -B build -DPIGMORA_TESTS=OFF
fi
cmake --build build -j"$(nproc)" --target pigmora art sounds gzipped-docs
cd build/data
exec ../pigmora "$@"
