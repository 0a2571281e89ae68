#!/usr/bin/env bash
# check-package.sh [BUILD_DIR]: builds the Debian package and checks it as Debian would:
# lintian (no errors), then the desktop entry and the AppStream metainfo it carries.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cmake --build "$build" --target package -j"$(nproc)"
version=$(sed -n 's/^project(Pigmora VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
deb=$build/pigmora_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { echo "check-package: $deb was not written" >&2; exit 1; }
contents=$(mktemp -d)
trap 'rm -rf "$contents"' EXIT
dpkg-deb -x "$deb" "$contents"

lintian --fail-on error "$deb"
desktop-file-validate "$contents/usr/share/applications/pigmora.desktop"
appstreamcli validate --no-net "$contents"/usr/share/metainfo/*.metainfo.xml
echo "check-package: $deb passes lintian, desktop-file-validate and appstreamcli"
