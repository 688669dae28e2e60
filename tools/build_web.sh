#!/bin/bash
# Builds the walk-through for the browser: the program compiled to
# WebAssembly with Debian's emscripten over the platform layer in web/ and
# GLU from Debian's libglu source package, and its page.
#   tools/build_web.sh
# Everything is built in build-web/; the web runtime, index.html, mirtal.js
# and mirtal.wasm, is left in build-web/runtime/. GLU's source is fetched
# and kept in build-web/libglu, so that later runs only rebuild the program.
# The same tree gives the same three files wherever it lies: no build path
# and no time goes into them.
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

echo "== the importer's page, one file =="
python3 web/import_page/assemble.py --importer "$out/importer" --run-import web/importer/run_import.js \
        --runtime "$out/runtime" --out "$out/runtime/importer.html"
ls -l "$out/runtime/importer.html"
