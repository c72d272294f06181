#!/usr/bin/env bash
# Installs what is missing, builds the desktop program, installs it as a portable program
# directory outside the build tree and starts it from there. The directory is ~/Velmora, or
# $VELMORA_HOME when set. Installing again replaces the program files only: the accounts in
# Users/ and the language choice DefName.lng are never touched.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "velmora: no display to show the window on (DISPLAY is not set); run this in a desktop session" >&2
    exit 1
fi

bash scripts/bootstrap.sh
cmake --preset default >/dev/null
cmake --build --preset default --target velmora velmora_data

home="${VELMORA_HOME:-$HOME/Velmora}"
mkdir -p "$home/Languages" "$home/Help"
# install(1) replaces each file by a new one, so even a running copy is no obstacle.
install -m 755 build/default/bin/velmora "$home/velmora"
install -m 644 data/Default.lng "$home/Default.lng"
for language in data/Languages/*.lng; do
    install -m 644 "$language" "$home/Languages/"
done
if [ -d data/Help ]; then
    cp -R data/Help/. "$home/Help/"
fi

echo "Starting $home/velmora"
exec "$home/velmora"
