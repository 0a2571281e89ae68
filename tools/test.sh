#!/usr/bin/env bash
# Builds everything and runs every test: first the normal build (the one the game runs
# from, with the whole-program tests), then the unit tests again under the address and
# undefined-behaviour sanitizers. The Debian package is built and checked after the normal
# build's tests. The page for web browsers is built before, for the browser check among them.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
jobs=$(nproc)

# The browser page first: the normal build's test "web" plays it in Chromium.
PIGMORA_WEB_JOBS=$(nproc) tools/web.sh

cmake -S . -B build -DPIGMORA_WERROR=ON -DPIGMORA_TESTS=ON
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs" --timeout 900)
tools/check-package.sh build

cmake -S . -B build/sanitize -DPIGMORA_SANITIZE=ON -DPIGMORA_SLOW_TESTS=OFF -DPIGMORA_WERROR=ON
cmake --build build/sanitize -j"$jobs"
(cd build/sanitize && ctest --output-on-failure -j"$jobs" --timeout 900)
