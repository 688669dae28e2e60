// The swap-interval request on Mesa's software renderer under Xvfb, whose
// GLX extension string names no swap control: nothing is asked, and the
// window draws and swaps on as before (a swap-interval call that the server
// refuses would be an X error, which ends the process).
#include "app/swap_interval.h"
#include "gl_support.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>

TEST(SwapInterval, NothingIsAskedWhereNoSwapControlIsNamed)
{
    EXPECT_STREQ(requestSwapInterval(), "none");

    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glutSwapBuffers();
    glFinish();
    gl::pumpEvents();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
