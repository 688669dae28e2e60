// Entry point of the GL tests: one real "Mirtal" window, exactly as the
// program opens it, on whatever display the test command started (Mesa's
// software renderer under Xvfb). Every test process gets a fresh window.
#include "app/startup.h"
#include "gl_support.h"

#include <GL/glut.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    // Listing the tests needs no display.
    if (testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    if (!std::getenv("DISPLAY")) {
        std::fprintf(stderr, "gl_tests: no DISPLAY; run them under tests/with_xvfb.sh\n");
        return 1;
    }
    glutInit(&argc, argv);
    createMainWindow();
    // freeglut insists on a display callback before it handles events; the
    // tests draw and read back on their own.
    glutDisplayFunc([] {});
    // Let the window be mapped and configured before anything is drawn.
    gl::pumpEvents();
    return RUN_ALL_TESTS();
}
