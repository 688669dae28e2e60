#!/bin/bash
# Installs what is missing, builds Mirtal with warnings as errors, and runs
# every test headless: unit tests, GL tests on Mesa's software renderer and
# end-to-end tests of the real binary, each GL or end-to-end test under an
# Xvfb of its own (tests/with_xvfb.sh). Then the browser version
# (tools/build_web.sh) and its tests in headless Chromium beside the native
# program (tests/web/). Then the same suite again in a build with
# AddressSanitizer and UndefinedBehaviorSanitizer, a bounded run of the
# fuzzers of the file readers, and one of the whole importer on mutated
# models. Last, the release artefacts
# (tools/package.sh): the two Debian packages, unpacked and run, and the
# Windows build, run under Wine; then all of them built again in another
# folder from the tree as git archive gives it, git off the PATH, which must
# give the same bytes.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/packages.sh
bash tools/install_deps.sh "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}" \
    "${DEB_PACKAGES[@]}" "${RELEASE_TEST_PACKAGES[@]}" \
    "${RECORD_TEST_PACKAGES[@]}" "${WEB_TEST_PACKAGES[@]}"

jobs=$(nproc)

echo "== build and test =="
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIRTAL_WERROR=ON > /dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

echo "== the browser version, and its tests in headless Chromium =="
bash tools/build_web.sh
# puppeteer-core at the version package-lock.json holds, from npm; it drives
# Debian's Chromium and downloads no browser.
npm ci --prefix tests/web --no-audit --no-fund --loglevel=error
tests/with_xvfb.sh node --test tests/web/

echo "== build and test with AddressSanitizer and UndefinedBehaviorSanitizer =="
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DMIRTAL_WERROR=ON \
      -DMIRTAL_SANITIZE=ON > /dev/null
cmake --build build-sanitize -j"$jobs"
# Mesa's driver keeps its allocations until exit and is unloaded before the
# report at exit could name it, so there is no leak check at exit: the leak
# test of the start-up path checks while the driver is loaded.
ASAN_OPTIONS=detect_leaks=1:leak_check_at_exit=0 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-sanitize --output-on-failure -j"$jobs"

echo "== fuzz the file readers =="
bash tools/run_fuzzers.sh 20

# The release build's importer: the sanitizers' takes ten times as long to
# write a scene, and replays the kept cases in its suite.
echo "== fuzz the importer =="
python3 tests/fuzz/fuzz_import.py --binary build/tools/import/mirtal-import --seconds 90

echo "== the Debian packages, and the Windows build under Wine =="
bash tools/package.sh
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/CMakeCache.txt)
tests/with_xvfb.sh python3 tests/release/test_deb.py --deb "dist/mirtal_${version}_amd64.deb" \
    --data-deb "dist/mirtal-data_${version}_all.deb"
tests/with_xvfb.sh python3 tests/release/test_wine.py \
    --zip "dist/mirtal-${version}-windows-x86_64.zip" --linux-binary build/mirtal --data data \
    --wineprefix build-windows/wineprefix --importer build/tools/import/mirtal-import

echo "== the release artefacts again, from a source archive in another folder, without git =="
python3 tests/release/test_reproducible.py --sums dist/SHA256SUMS
