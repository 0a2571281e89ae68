#!/usr/bin/env bash
# Fails when the rules reach for SDL: an SDL header included under src/game, or an SDL,
# SDL_image or SDL_mixer symbol that libgame.a leaves for the linker to find.
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
