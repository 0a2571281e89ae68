#!/usr/bin/env bash
# Builds Pigmora for web browsers into build-web/site: index.html and the files beside it,
# all any static web host needs to serve.
#   tools/web.sh           build (installs the [web] packages first)
#   tools/web.sh --serve   build, then serve the page on http://127.0.0.1:PORT/ (8080, or
#                          PIGMORA_WEB_PORT) until interrupted
#   tools/web.sh --bench   build, then print what a busy frame costs in headless Chromium
#                          beside the desktop's render-bench (needs tools/install-deps.sh)
# The art and the sounds are made by the native tools, as for the desktop; the music
# modules are played by the desktop's own module player into WAV and packed as Ogg Vorbis,
# since browsers play no modules.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build-web
serve=false
bench=false
case ${1:-} in
  --serve) serve=true ;;
  --bench) bench=true ;;
  '') ;;
  *) echo "usage: $0 [--serve|--bench]" >&2; exit 2 ;;
esac
tools/install-deps.sh web
jobs=${PIGMORA_WEB_JOBS:-2}
# Debian's Emscripten finds its JavaScript helpers (acorn) there when another node runs it.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
# Ogg Vorbis quality: 4 keeps the tunes clean at about 128 kbit/s.
ogg_quality=4

started=$(date +%s)
cmake -S . -B "$out/native" -DPIGMORA_TESTS=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$out/native" -j"$jobs" --target art audiogen modrender

data=$out/data
rm -rf "$data"
mkdir -p "$data/Sounds"
for dir in Sprites Font Backgrounds; do cp -r "$out/native/data/$dir" "$data/"; done
# One pass of each tune, as long as the module itself says; the page loops it as the
# desktop's mixer loops the module.
modules=$out/modules
rm -rf "$modules"
mkdir -p "$modules"
"$out/native/assets/audiogen/audiogen" "$modules" >"$modules/passes.txt"
cp "$modules"/*.wav "$data/Sounds/"
while read -r _ file seconds _; do
  file=${file%,}
  name=${file%.s3m}
  SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null SDL_DISKAUDIODELAY=0 \
    "$out/native/assets/audiogen/modrender" "$modules/$file" "$modules/$name.wav" "$seconds"
  oggenc -Q -q "$ogg_quality" -o "$data/Sounds/$name.ogg" "$modules/$name.wav"
done < <(grep '\.s3m' "$modules/passes.txt")

emcmake cmake -S . -B "$out/em" -DPIGMORA_TESTS=OFF -DCMAKE_BUILD_TYPE=Release \
  -DPIGMORA_WEB_DATA="$data" >/dev/null
cmake --build "$out/em" -j"$jobs" --target pigmora
site=$out/site
rm -rf "$site"
mkdir -p "$site"
cp "$out/em"/index.{html,js,wasm,data} "$site/"
echo "web.sh: built $site in $(($(date +%s) - started)) s"

if $bench; then
  frames=1000
  cmake --build "$out/native" -j"$jobs" --target render-bench >/dev/null
  "$out/native/tools/render-bench/render-bench" "$out/native/data" "$frames" "$out/bench-shot.png" | head -3
  cmake --build "$out/em" -j"$jobs" --target render-bench >/dev/null
  NODE_PATH=$out/check/node_modules node tools/web-bench.js "$out/em" render-bench.html
fi

if $serve; then
  port=${PIGMORA_WEB_PORT:-8080}
  echo "web.sh: serving on http://127.0.0.1:$port/ (Ctrl+C stops)"
  exec python3 -m http.server "$port" --bind 127.0.0.1 --directory "$site"
fi
