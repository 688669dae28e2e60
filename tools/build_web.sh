#!/bin/bash
# Builds the walk-through for the browser: the program compiled to
# WebAssembly with Debian's emscripten over the platform layer in web/ and
# GLU from Debian's libglu source package, and its page; and the importer
# for the browser (web/importer/) over zlib, meshoptimizer and assimp from
# their Debian source packages.
#   tools/build_web.sh
# Everything is built in build-web/; the web runtime, index.html, mirtal.js
# and mirtal.wasm, is left in build-web/runtime/, the importer,
# mirtal-import.js and mirtal-import.wasm, in build-web/importer/. The
# libraries' sources are fetched and built once, kept in build-web/libglu
# and build-web/libs, so that later runs only rebuild the project. The same
# tree gives the same files wherever it lies: no build path and no time
# goes into them.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/packages.sh
bash tools/install_deps.sh "${WEB_PACKAGES[@]}"

jobs=$(nproc)
out=$PWD/build-web
glu=$out/libglu
# emcc's optimizing steps run in node, whose modules Debian keeps there.
export NODE_PATH=/usr/share/nodejs

if [ ! -f "$glu/source/src/libutil/quad.c" ]; then
    echo "== GLU, from Debian's libglu source package =="
    rm -rf "$glu"
    # A mirror may lack the package's Debian diff (packaging only, for this
    # 1.0-format package): the upstream tarball, checked against the .dsc,
    # is then enough.
    bash tools/fetch_debian_source.sh libglu "$glu" ||
        echo "build_web: only part of libglu's source package could be fetched" >&2
    dsc=$(ls "$glu"/download/libglu_*.dsc)
    if ls "$glu"/download/libglu_*.diff.gz > /dev/null 2>&1; then
        dpkg-source --no-check -x "$dsc" "$glu/source" > /dev/null
    else
        tarball=$(ls "$glu"/download/libglu_*.orig.tar.*)
        sum=$(awk -v file="$(basename "$tarball")" \
                  '/^Checksums-Sha256:/ { s = 1; next } /^[^ ]/ { s = 0 }
                   s && $3 == file { print $1 }' "$dsc")
        echo "$sum  $tarball" | sha256sum --check --quiet
        mkdir -p "$glu/source"
        tar -xf "$tarball" -C "$glu/source" --strip-components=1
    fi
fi

echo "== the program for the browser =="
emcmake cmake -S web -B "$out/program" -DCMAKE_BUILD_TYPE=Release -DMIRTAL_WERROR=ON \
        -DMIRTAL_GLU_SOURCE="$glu/source" -DMIRTAL_RUNTIME_DIR="$out/runtime" > /dev/null
cmake --build "$out/program" -j"$jobs"
ls -l "$out/runtime"

# ------------------------------------------------------------ the importer
# mirtal-import's libraries, each from Debian's source package, unpacked
# into build-web/libs/PACKAGE/source and built once with emscripten into
# build-web/libs/prefix (a stamp there says which are built, and with which
# flags: other flags build them again).
libs=$out/libs
prefix=$libs/prefix
# Exceptions on everywhere: assimp throws on a bad file, the importer
# catches. No build path goes into the libraries (-ffile-prefix-map).
lib_flags="-O2 -g0 -fexceptions -ffile-prefix-map=$libs=libs"
# Their configure checks run their probes in node (CMake's try_run); the
# node here rejects the flag CMake passes it, so it is named outright and
# told not to fetch the probe's wasm (as the module's loader does).
export NODE_OPTIONS=--no-experimental-fetch
emulator=(-DCMAKE_CROSSCOMPILING_EMULATOR="$(command -v node)")

# debian_source PACKAGE: its source package fetched and unpacked (with
# Debian's patches applied) into $libs/PACKAGE/source, once.
debian_source() {
    local dir=$libs/$1
    if [ ! -f "$dir/source/debian/control" ]; then
        rm -rf "$dir"
        bash tools/fetch_debian_source.sh "$1" "$dir"
        dpkg-source --no-check -x "$dir"/download/"$1"_*.dsc "$dir/source" > /dev/null
    fi
}
# built NAME [OPTION...]: whether NAME is built with these flags and
# options; mark_built NAME [OPTION...].
built() { [ "$(cat "$prefix/.built-$1" 2>/dev/null)" = "$lib_flags ${*:2}" ]; }
mark_built() { echo "$lib_flags ${*:2}" > "$prefix/.built-$1"; }
mkdir -p "$prefix/include" "$prefix/lib/pkgconfig"

if ! built zlib; then
    echo "== zlib and minizip, from Debian's zlib source package =="
    debian_source zlib
    src=$libs/zlib/source
    # zlib's CMake wants a Windows resource file that Debian's repack drops.
    (cd "$src" && make distclean > /dev/null 2>&1 || true
     CFLAGS="$lib_flags" emconfigure ./configure --static --prefix="$prefix" > /dev/null &&
     emmake make -j"$jobs" libz.a > /dev/null && emmake make install > /dev/null)
    # minizip (contrib/minizip, which assimp reads zipped formats with):
    # its four sources, as Debian's libminizip has them.
    mkdir -p "$prefix/include/minizip" "$libs/zlib/minizip"
    for file in ioapi mztools unzip zip; do
        emcc $lib_flags -I"$src" -c "$src/contrib/minizip/$file.c" -o "$libs/zlib/minizip/$file.o"
        cp "$src/contrib/minizip/$file.h" "$prefix/include/minizip/"
    done
    cp "$src/contrib/minizip/crypt.h" "$prefix/include/minizip/"
    rm -f "$prefix/lib/libminizip.a"
    emar rcsD "$prefix/lib/libminizip.a" "$libs"/zlib/minizip/*.o
    printf '%s\n' "prefix=$prefix" 'libdir=${prefix}/lib' 'includedir=${prefix}/include/minizip' \
        '' 'Name: minizip' 'Description: zip files' 'Version: 1.2.13' \
        'Libs: -L${libdir} -lminizip -lz' 'Cflags: -I${includedir}' \
        > "$prefix/lib/pkgconfig/minizip.pc"
    mark_built zlib
fi

if ! built meshoptimizer; then
    echo "== meshoptimizer, from Debian's source package =="
    debian_source meshoptimizer
    emcmake cmake -S "$libs/meshoptimizer/source" -B "$libs/meshoptimizer/build" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS="$lib_flags" \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DMESHOPT_BUILD_SHARED_LIBS=OFF "${emulator[@]}" > /dev/null
    cmake --build "$libs/meshoptimizer/build" -j"$jobs" > /dev/null
    cmake --install "$libs/meshoptimizer/build" > /dev/null
    mark_built meshoptimizer
fi

# assimp's options: all its importers, as Debian builds them, and no
# exporter; no commit of git's in it (its build asks git for one, and would
# find this tree's).
assimp_options=(-DBUILD_SHARED_LIBS=OFF -DASSIMP_NO_EXPORT=ON -DASSIMP_BUILD_TESTS=OFF
                -DASSIMP_BUILD_ASSIMP_TOOLS=OFF -DASSIMP_BUILD_ZLIB=OFF -DASSIMP_WARNINGS_AS_ERRORS=OFF
                -DASSIMP_BUILD_DOCS=OFF -DASSIMP_INSTALL_PDB=OFF -DASSIMP_IGNORE_GIT_HASH=ON)
if ! built assimp "${assimp_options[@]}"; then
    echo "== assimp, from Debian's source package =="
    debian_source assimp
    src=$libs/assimp/source
    # Debian builds glTF's Draco decompression with its libdraco, which
    # its patch makes required: without it here, glTF files compressed with
    # Draco are refused, as assimp refuses them when built without Draco.
    if grep -q "find_package(draco" "$src/code/CMakeLists.txt"; then
        patch -R -s -p1 -d "$src" < "$src/debian/patches/use-system-libdraco.patch"
    fi
    # stb and utf8cpp, which the repack removes, from libstb-dev and
    # libutfcpp-dev: their headers alone, linked into the prefix (an
    # emscripten build sees no host include folder). assimp's own copy of
    # stb_image (PNG only) stays private to it (ASSIMP_USE_STB_IMAGE_STATIC),
    # the importer's is whole.
    ln -sfn /usr/include/stb "$prefix/include/stb"
    ln -sf /usr/include/utf8cpp/utf8.h "$prefix/include/utf8.h"
    ln -sfn /usr/include/utf8cpp/utf8 "$prefix/include/utf8"
    assimp_flags="$lib_flags -I$prefix/include -DASSIMP_USE_STB_IMAGE_STATIC"
    PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig emcmake cmake -S "$src" -B "$libs/assimp/build" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS="$assimp_flags" \
        -DCMAKE_CXX_FLAGS="$assimp_flags" \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_FIND_ROOT_PATH="$prefix" \
        -DZLIB_ROOT="$prefix" "${assimp_options[@]}" "${emulator[@]}" > /dev/null
    cmake --build "$libs/assimp/build" -j"$jobs" > /dev/null
    cmake --install "$libs/assimp/build" > /dev/null
    mark_built assimp "${assimp_options[@]}"
fi

echo "== the importer for the browser =="
emcmake cmake -S web/importer -B "$out/importer-build" -DCMAKE_BUILD_TYPE=Release \
        -DMIRTAL_WERROR=ON -DMIRTAL_IMPORT_PREFIX="$prefix" -DMIRTAL_IMPORTER_DIR="$out/importer" \
        > /dev/null
cmake --build "$out/importer-build" -j"$jobs"
ls -l "$out/importer"

echo "== the importer's page, one file =="
python3 web/import_page/assemble.py --importer "$out/importer" --run-import web/importer/run_import.js \
        --runtime "$out/runtime" --out "$out/runtime/importer.html"
ls -l "$out/runtime/importer.html"
