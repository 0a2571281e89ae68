#!/usr/bin/env bash
# web.sh BUILD_DIR SOURCE_DIR: the browser page that tools/web.sh built (SOURCE_DIR/build-web)
# in Debian's headless Chromium, checked against the desktop program of BUILD_DIR: its menu
# screen, drawn under Xvfb, is the picture the page's menu must match. Exit 77 when Chromium
# cannot start here.
set -uo pipefail
build=$(cd "$1" && pwd)
source_dir=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
site=$source_dir/build-web/site
driver=$source_dir/build-web/check/node_modules/playwright-core
chromium=${PIGMORA_CHROMIUM:-/usr/bin/chromium}

if [ ! -x "$chromium" ]; then
  echo "skipped: no Chromium at $chromium (Debian package chromium)"
  exit 77
fi
[ -f "$site/index.html" ] || { echo "no page in $site: run tools/web.sh first"; exit 1; }
[ -d "$driver" ] || { echo "no playwright-core in $driver: run tools/install-deps.sh"; exit 1; }

source "$source_dir/tests/e2e/lib.sh"
use_shots "$build/web-screens"
start_xvfb
dir=$(new_folder)
start_game "$dir" || exit 1
wait_for_menu desktop-menu || { echo "the desktop program showed no menu"; exit 1; }
stop_game

NODE_PATH=$source_dir/build-web/check/node_modules \
  node "$here/web-check.js" "$site" "$source_dir/tests/game/recordings" "$shots/desktop-menu.png" "$shots"
