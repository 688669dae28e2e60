#!/bin/bash
# Writes the release artefacts into dist/, with their checksums:
#   mirtal_<version>_amd64.deb                 the program's Debian package
#   mirtal-data_<version>_all.deb              the default scene's Debian package
#   mirtal-<version>-windows-x86_64.zip        the Windows program (tools/build_windows.sh)
#   mirtal-<version>-web.zip                   the walk-through for a web server: one
#                                              folder, mirtal-<version>-web/, with
#                                              index.html, mirtal.js, mirtal.wasm and
#                                              scene.pack (tools/build_web.sh's runtime),
#                                              and importer.html, the importer's page
#   mirtal-<version>.html                      the default scene's walk-through as one
#                                              HTML file, to open from the disk
#   SHA256SUMS                                 sha256sum -c checks the five
# The version is the one in CMakeLists.txt's project(). The same commit gives
# the same bytes, wherever and whenever it is built: every time stamp is
# SOURCE_DATE_EPOCH (the last commit's time unless set; tools/release_env.sh).
#   tools/package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/release_env.sh
source tools/packages.sh
bash tools/install_deps.sh "${BUILD_PACKAGES[@]}" "${DEB_PACKAGES[@]}"

# The Windows program first: the mirtal package carries it for
# mirtal-import --windows-zip (build-windows/walk-through/).
bash tools/build_windows.sh
# And the web runtime: the mirtal package carries it for mirtal-import --web
# (build-web/runtime/), and the web artefacts below are made of it.
bash tools/build_web.sh

echo "== the Debian packages =="
out=build-package
# Built with Debian's own compiler and linker flags (optimisation,
# hardening, and build paths mapped to '.'), as a package built by Debian
# would be.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
cmake -S . -B "$out" -DMIRTAL_TESTS=OFF -DMIRTAL_WERROR=ON -DCMAKE_BUILD_TYPE=None \
      -DCMAKE_CXX_FLAGS="$cxxflags" \
      -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
      -DMIRTAL_WINDOWS_BUILD="$PWD/build-windows" -DMIRTAL_WEB_BUILD="$PWD/build-web" > /dev/null
cmake --build "$out" -j"$(nproc)"
# Installed files carry the modes install() gives them, whatever the umask.
(cd "$out" && umask 022 && cpack -G DEB > /dev/null)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$out/CMakeCache.txt")
debs=("mirtal_${version}_amd64.deb" "mirtal-data_${version}_all.deb")
mkdir -p dist
for deb in "${debs[@]}"; do
    cp "$out/$deb" dist/
done

echo "== the web walk-through of the default scene =="
# Written by the importer's own writer, from the runtime and the scene as
# they are; the folder is zipped as the Windows program's is.
web=mirtal-${version}-web
rm -rf "$out/web"
mkdir -p "$out/web"
(umask 022 && "$out/tools/import/mirtal-web-pack" --runtime build-web/runtime data \
    --html "dist/mirtal-${version}.html" --folder "$out/web/$web" > /dev/null &&
    install -m 0644 build-web/runtime/importer.html "$out/web/$web/")
python3 tools/write_zip.py "$out/web/$web" "dist/$web.zip"
ls -l "dist/$web.zip" "dist/mirtal-${version}.html"

(cd dist && sha256sum "${debs[@]}" "mirtal-${version}-windows-x86_64.zip" "$web.zip" \
    "mirtal-${version}.html" > SHA256SUMS)
echo "== dist/SHA256SUMS (SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH) =="
cat dist/SHA256SUMS
