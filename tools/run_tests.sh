#!/bin/bash
# Installs what is missing, builds Mirtal with warnings as errors, and runs
# every test headless: unit tests, GL tests on Mesa under a private Xvfb, and
# end-to-end tests of the real binary.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/packages.sh
bash tools/install_deps.sh "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"

jobs=$(nproc)
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIRTAL_WERROR=ON > /dev/null
cmake --build build -j"$jobs"
tests/with_xvfb.sh ctest --test-dir build --output-on-failure -j"$jobs"
