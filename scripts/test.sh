#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test in the normal and the sanitizer build,
# builds and checks the Debian package, and fuzzes.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/bootstrap.sh
for preset in default sanitize; do
    echo "== $preset build =="
    cmake --preset "$preset"
    cmake --build --preset "$preset"
    ctest --preset "$preset"
done

echo "== package =="
bash scripts/package.sh

echo "== fuzzing =="
bash scripts/fuzz.sh 30
