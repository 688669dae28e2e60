#!/bin/bash
# Writes the two release artefacts into dist/:
#   mirtal_<version>_amd64.deb                 the Debian package
#   mirtal-<version>-windows-x86_64.zip        the Windows program (tools/build_windows.sh)
# The version is the one in CMakeLists.txt's project().
#   tools/package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/packages.sh
bash tools/install_deps.sh "${BUILD_PACKAGES[@]}" "${DEB_PACKAGES[@]}"

# The Windows program first: the Debian package carries it for
# mirtal-import --windows-zip (build-windows/walk-through/).
bash tools/build_windows.sh

echo "== the Debian package =="
out=build-package
# Built with Debian's own compiler and linker flags (optimisation and
# hardening), as a package built by Debian would be.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
cmake -S . -B "$out" -DMIRTAL_TESTS=OFF -DMIRTAL_WERROR=ON -DCMAKE_BUILD_TYPE=None \
      -DCMAKE_CXX_FLAGS="$cxxflags" \
      -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
      -DMIRTAL_WINDOWS_BUILD="$PWD/build-windows" > /dev/null
cmake --build "$out" -j"$(nproc)"
(cd "$out" && cpack -G DEB > /dev/null)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$out/CMakeCache.txt")
mkdir -p dist
cp "$out/mirtal_${version}_amd64.deb" dist/
ls -l "dist/mirtal_${version}_amd64.deb"
