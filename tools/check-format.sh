#!/usr/bin/env bash
# Fails when any C++ source of ours is not formatted the house way (.clang-format).
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -d '' files < <(find src assets tests tools -type f \( -name '*.cpp' -o -name '*.h' \) -print0)
[ ${#files[@]} -eq 0 ] && exit 0
clang-format --dry-run --Werror "${files[@]}"
echo "format: ${#files[@]} files clean"
