#!/usr/bin/env bash
# check-package.sh [BUILD_DIR]: builds the Debian package and checks it as Debian would:
# lintian (no errors), then the desktop entry and the AppStream metainfo it carries; and the
# server's package: lintian, and its systemd unit as systemd reads it.
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

server_deb=$build/pigmora-server_${version}_$(dpkg --print-architecture).deb
[ -f "$server_deb" ] || { echo "check-package: $server_deb was not written" >&2; exit 1; }
server=$(mktemp -d)
trap 'rm -rf "$contents" "$server"' EXIT
dpkg-deb -x "$server_deb" "$server/root"
lintian --fail-on error,warning "$server_deb"
# The unit as installed, but pointing at the program where it was unpacked, so that systemd
# checks it runs without the package being installed on this machine.
mkdir "$server/units"
sed "s|^ExecStart=/|ExecStart=$server/root/|" "$server/root/lib/systemd/system/pigmora-server.service" \
  >"$server/units/pigmora-server.service"
MANPATH="$server/root/usr/share/man" systemd-analyze verify "$server/units/pigmora-server.service"
echo "check-package: $server_deb passes lintian and systemd-analyze verify"
