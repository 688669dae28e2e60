# The Debian packages the program and its tests need, sourced by the scripts.
BUILD_PACKAGES=(build-essential cmake freeglut3-dev libglu1-mesa-dev libgl1-mesa-dev
                libgl1-mesa-dri)
# mirtal-import: assimp reads the models, stb decodes and packs their
# pictures, meshoptimizer simplifies them.
BUILD_PACKAGES+=(libassimp-dev libstb-dev libmeshoptimizer-dev)
TEST_PACKAGES=(libgtest-dev python3 xvfb xauth x11-utils x11-apps xdotool
               clang libclang-rt-14-dev)
# The importer's tests read models made by others, and check them with
# assimp's own command.
TEST_PACKAGES+=(assimp-testmodels assimp-utils)
# ... and sweep Sweet Home 3D's furniture catalogues (820 OBJ models), whose
# japanese maple also measures the pairing of triangles into quads.
TEST_PACKAGES+=(sweethome3d-furniture)
# The Windows build (tools/build_windows.sh): MinGW-w64's 64-bit compilers, and
# dpkg-source to unpack Debian's freeglut source package; python3 writes the zip.
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix dpkg-dev python3)
# The Debian package (tools/package.sh): dpkg-shlibdeps and dpkg-buildflags,
# and lintian to check it.
DEB_PACKAGES=(dpkg-dev lintian)
# The tests of both: the Windows build runs under Wine, with the X libraries
# that Wine's display driver loads (libwine only recommends them).
RELEASE_TEST_PACKAGES=(wine wine64 libxcomposite1 libxcursor1 libxfixes3 libxi6 libxinerama1
                       libxrandr2 libxrender1 libxxf86vm1)
# mirtal-import --windows-zip writes its zip with libzip; the launcher's tests
# open a model of assimp-testmodels, and desktop-file-validate checks the
# desktop entry.
BUILD_PACKAGES+=(libzip-dev)
# The web walk-through's packs are gzip streams written with zlib.
BUILD_PACKAGES+=(zlib1g-dev)
RELEASE_TEST_PACKAGES+=(assimp-testmodels desktop-file-utils)
# The launcher started from the desktop shows its messages with zenity.
RELEASE_TEST_PACKAGES+=(zenity)
# mirtal-record's encoder, which its tests run.
RECORD_TEST_PACKAGES=(ffmpeg)
# The web build (tools/build_web.sh): emscripten compiles the program, and
# dpkg-source unpacks Debian's libglu source package, which it compiles too.
WEB_PACKAGES=(emscripten dpkg-dev)
# ... and the importer, whose libraries it builds from their Debian source
# packages, with stb's and utf8cpp's headers, which those packages' repacks
# leave out.
WEB_PACKAGES+=(libstb-dev libutfcpp-dev)
# The browser tests (tests/web/, the GL layer's among them): Debian's
# Chromium, headless, driven by puppeteer-core from npm. npm comes with the
# machine's Node.js (whose package conflicts with Debian's npm package, which
# apt-get then cannot install).
WEB_TEST_PACKAGES=(chromium)
