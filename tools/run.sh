#!/bin/bash
# Installs what is missing, builds Mirtal and starts the walk-through on the
# default scene in data/ (on the current DISPLAY).
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/packages.sh
bash tools/install_deps.sh "${BUILD_PACKAGES[@]}" libgtest-dev python3
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build build -j"$(nproc)" --target mirtal
if [ -z "${DISPLAY:-}" ]; then
    echo "run.sh: DISPLAY is not set; Mirtal needs an X display to open its window" >&2
fi
cd data
exec ../build/mirtal
