#!/usr/bin/env bash
# Fails when the rules reach for SDL or above themselves: an SDL header included under
# src/game, a header of ours from anywhere but the rules and the byte form beneath them, or
# an SDL, SDL_image or SDL_mixer symbol that libgame.a leaves for the linker to find.
# Usage: rules-without-sdl.sh <source folder of the rules> <libgame.a>
set -euo pipefail
sources=$1
library=$2
status=0
if includes=$(timeout 30 grep -rnE '#\s*include\s*[<"](SDL|SDL_[a-z]+)\.h[>"]' "$sources"); then
  echo "the rules include SDL:"
  echo "$includes"
  status=1
fi
below=$sources/../bytes
while read -r line; do
  header=${line##*#include \"}
  header=${header%\"*}
  if [ ! -f "$sources/$header" ] && [ ! -f "$below/$header" ]; then
    echo "the rules include a header from above them: $line"
    status=1
  fi
done < <(timeout 30 grep -rhE '^#\s*include\s*"' "$sources")
undefined=$(timeout 30 nm -u --no-demangle "$library") || {
  echo "nm could not read $library"
  exit 1
}
if symbols=$(grep -E ' (SDL|IMG|Mix)_' <<<"$undefined"); then
  echo "libgame references SDL:"
  echo "$symbols"
  status=1
fi
[ $status -eq 0 ] && echo "rules without SDL: $(grep -c . <<<"$undefined") undefined symbols, none of SDL's"
exit $status
