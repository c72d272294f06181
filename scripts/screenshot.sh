#!/usr/bin/env bash
# Pictures the account dialog, the main window, the settings dialog and the search window with
# a small demo account under Xvfb, as PNG files in docs/ (or in the directory given).
set -euo pipefail
cd "$(dirname "$0")/.."
output="${1:-docs}"

bash scripts/bootstrap.sh
cmake --preset default >/dev/null
cmake --build --preset default --target velmora-screenshot velmora_data
xvfb-run --auto-servernum --server-args="-screen 0 1280x800x24" \
    env QT_QPA_PLATFORM=xcb build/default/bin/velmora-screenshot "$output"
echo "Wrote the account dialog, the main window (in English and in Russian), the settings dialog and the search window to $output/"
