#!/bin/bash
# Cross-compiles Mirtal for 64-bit Windows with MinGW-w64, linked statically
# against freeglut built from Debian's own freeglut source package, and
# writes dist/mirtal-<version>-windows-x86_64.zip: one folder,
# mirtal-<version>/, that holds mirtal.exe (with its icon and version
# information), the default scene's files, the read-me texts and the licence.
#   tools/build_windows.sh
# Everything is built in build-windows/ (the program: build-windows/mirtal.exe;
# for mirtal-import --windows-zip: build-windows/walk-through/mirtal.exe).
# The freeglut build is kept there, so that later runs only rebuild Mirtal.
# The same commit gives the same zip (tools/release_env.sh): build paths are
# mapped to '.', the linker writes no time stamp, and the zip is written in
# a fixed order with fixed times and modes (tools/write_zip.py).
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/release_env.sh
source tools/packages.sh
bash tools/install_deps.sh "${BUILD_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}"

jobs=$(nproc)
out=$PWD/build-windows
# Nothing of where the tree lies goes into the objects (file names in
# assertions, debug information).
prefix_map="-ffile-prefix-map=$PWD=."

toolchain=$PWD/tools/windows/mingw-w64-x86_64.cmake
freeglut=$out/freeglut
freeglut_config=$freeglut/install/lib/cmake/FreeGLUT

if [ ! -f "$freeglut_config/FreeGLUTConfig.cmake" ]; then
    echo "== freeglut for Windows, from Debian's freeglut source package =="
    rm -rf "$freeglut"
    bash tools/fetch_debian_source.sh freeglut "$freeglut"
    # apt has checked the files against the signed archive index already.
    mkdir -p "$freeglut/source"
    dpkg-source --no-check -x "$freeglut"/download/freeglut_*.dsc "$freeglut/source/freeglut" > /dev/null

    # The static library only, named glut and with GL/glut.h, as the
    # program includes it. Its own warnings go to the log with the rest.
    if ! { cmake -S "$freeglut/source/freeglut" -B "$freeglut/build" \
                 -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
                 -DCMAKE_INSTALL_PREFIX="$freeglut/install" -DCMAKE_C_FLAGS="$prefix_map" \
                 -DFREEGLUT_BUILD_SHARED_LIBS=OFF -DFREEGLUT_BUILD_STATIC_LIBS=ON \
                 -DFREEGLUT_BUILD_DEMOS=OFF -DFREEGLUT_REPLACE_GLUT=ON &&
           cmake --build "$freeglut/build" -j"$jobs" &&
           cmake --install "$freeglut/build"; } > "$freeglut/build.log" 2>&1; then
        cat "$freeglut/build.log" >&2
        exit 1
    fi
fi

echo "== the icon painter, for this machine =="
# It paints the exe's icon from the scene's textures during the cross build.
cmake -S . -B "$out/host" -DMIRTAL_TESTS=OFF -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build "$out/host" -j"$jobs" --target make_icon

echo "== mirtal.exe =="
cmake -S . -B "$out" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_CXX_FLAGS="$prefix_map" -DCMAKE_EXE_LINKER_FLAGS="-Wl,--no-insert-timestamp" \
      -DMIRTAL_MAKE_ICON="$out/host/packaging/make_icon" \
      -DFreeGLUT_DIR="$freeglut_config" -DMIRTAL_TESTS=OFF -DMIRTAL_WERROR=ON > /dev/null
cmake --build "$out" -j"$jobs" --target mirtal
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$out/CMakeCache.txt")
stage=$out/stage/mirtal-$version
rm -rf "$out/stage"
(umask 022 && cmake --install "$out" --prefix "$stage" --strip > /dev/null)

# The program that mirtal-import --windows-zip puts beside an imported
# scene, found there by the importer of a source tree: the release zip's
# own, the very file (tools/package.sh puts it in the .deb).
mkdir -p "$out/walk-through"
cp "$stage/mirtal.exe" "$out/walk-through/"

mkdir -p dist
python3 tools/write_zip.py "$stage" "dist/mirtal-$version-windows-x86_64.zip"
ls -l "$out/mirtal.exe" "dist/mirtal-$version-windows-x86_64.zip"
