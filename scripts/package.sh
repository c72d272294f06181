#!/usr/bin/env bash
# Builds the release configuration and writes the Debian package of the installed layout to
# build/package/velmora_<version>_amd64.deb; then checks what it installs with desktop-file-validate,
# appstreamcli and lintian (errors fail, warnings are listed).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/bootstrap.sh
build=build/package-release
# The hardening Debian builds its own packages with, so lintian finds the same. Warnings are the
# default build's business: at -O3 g++ 12 reports false ones in the standard library.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DBUILD_TESTING=OFF -DVELMORA_BENCHMARKS=OFF -DVELMORA_WERROR=OFF \
    -DCMAKE_POSITION_INDEPENDENT_CODE=ON \
    "-DCMAKE_CXX_FLAGS=-D_FORTIFY_SOURCE=2 -fstack-protector-strong -fstack-clash-protection -fcf-protection" \
    "-DCMAKE_EXE_LINKER_FLAGS=-pie -Wl,-z,relro -Wl,-z,now" >/dev/null
cmake --build "$build"
(cd "$build" && cpack -B "$PWD/../package" >/dev/null)
deb=$(ls build/package/velmora_*_amd64.deb)
echo "Wrote $deb"

# What the package installs, unpacked, for the validators.
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
desktop-file-validate "$unpacked"/usr/share/applications/*.desktop
appstreamcli validate --no-net --pedantic "$unpacked"/usr/share/metainfo/*.metainfo.xml

# Lintian's errors fail the package; its warnings are shown to be looked at.
lintian --no-tag-display-limit "$deb" | tee "$unpacked/lintian.log" || true
if grep -q '^E:' "$unpacked/lintian.log"; then
    echo "package: lintian reported errors" >&2
    exit 1
fi
