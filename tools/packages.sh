# The Debian packages the program and its tests need, sourced by the scripts.
BUILD_PACKAGES=(build-essential cmake freeglut3-dev libglu1-mesa-dev libgl1-mesa-dev
                libgl1-mesa-dri)
TEST_PACKAGES=(libgtest-dev python3 xvfb xauth x11-utils x11-apps xdotool
               clang libclang-rt-14-dev)
