#!/usr/bin/env bash
# Installs the Debian packages listed in tools/packages.txt that are missing:
#   install-deps.sh play   what building and running the game needs
#   install-deps.sh web    what building the browser page needs (tools/web.sh)
#   install-deps.sh        everything, the tests' tools and the browser's too
# Runs apt-get as root, or through sudo when we are not root.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
case ${1:-all} in
  play) lists=" play " ;;
  web) lists=" play web " ;;
  all) lists=" play test web " ;;
  *) echo "usage: $0 [play|web]" >&2; exit 2 ;;
esac
wanted=()
list=""
while read -r line; do
  case $line in
    '' | '#'*) continue ;;
    '['*']') list=${line:1:-1} ;;
    *) [[ $lists == *" $list "* ]] && wanted+=("$line") ;;
  esac
done < "$here/packages.txt"
missing=()
for pkg in "${wanted[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$pkg" 2>/dev/null || true)
  [ "$status" = "installed" ] || missing+=("$pkg")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing missing packages: ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Need root or sudo to install: ${missing[*]}" >&2; exit 1; }
    sudo_cmd=(sudo)
  fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
  # Debian's nodejs comes without npm; NodeSource's brings its own.
  if [[ $lists == *" test "* ]] && ! command -v npm >/dev/null; then
    "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends npm
  fi
fi

# The browser check drives Chromium through playwright-core, which Debian lacks: the version
# pinned in tests/web/package-lock.json, from npm, into build-web/check.
if [[ $lists == *" test "* ]]; then
  check=$here/../build-web/check
  pinned=$here/../tests/web
  if ! cmp -s "$pinned/package-lock.json" "$check/package-lock.json" || [ ! -d "$check/node_modules" ]; then
    mkdir -p "$check"
    cp "$pinned/package.json" "$pinned/package-lock.json" "$check/"
    (cd "$check" && npm ci --no-audit --no-fund --loglevel=error)
  fi
fi
