#!/usr/bin/env bash
# Installs the Debian packages Velmora needs to build and test, when any is missing.
# Safe to run again: it does nothing when everything is present.
set -euo pipefail

packages=(
    # toolchain
    g++ clang cmake ninja-build pkg-config git
    # libraries
    libssl-dev qt6-base-dev
    # sealed accounts and password strength
    libsodium-dev libzxcvbn-dev
    # command-line tool: argument parsing and JSON
    libcli11-dev nlohmann-json3-dev
    # office export: spreadsheet and word-processor files
    libxlsxwriter-dev libzip-dev
    # tests and benchmarks
    libgtest-dev libgmock-dev libbenchmark-dev libclang-rt-14-dev
    # running the desktop program without a display (tests, screenshots)
    xvfb xauth
    # the desktop program: Qt's window system plugins and a font to draw with
    qt6-qpa-plugins fonts-dejavu-core
    # Qt's own buttons and dialogs in the interface language
    qt6-translations-l10n
    # the installed layout: icon pictures, the tool's manual page, the Debian package and its checks
    librsvg2-bin help2man dpkg-dev file lintian desktop-file-utils appstream
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update
"${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
