#!/bin/bash
# Installs what is missing, builds Mirtal and starts the walk-through on the
# default scene in data/, or on the scene in FOLDER (one that mirtal-import
# wrote, say), on the current DISPLAY.
#   tools/run.sh [FOLDER]
set -euo pipefail
scene=data
if [ $# -gt 0 ]; then
    scene=$(readlink -f "$1")
    [ -d "$scene" ] || { echo "run.sh: $1: not a folder" >&2; exit 2; }
fi
cd "$(dirname "$0")/.."
source tools/packages.sh
bash tools/install_deps.sh "${BUILD_PACKAGES[@]}" libgtest-dev python3
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build build -j"$(nproc)" --target mirtal
if [ -z "${DISPLAY:-}" ]; then
    echo "run.sh: DISPLAY is not set; Mirtal needs an X display to open its window" >&2
fi
program=$PWD/build/mirtal
cd "$scene"
exec "$program"
