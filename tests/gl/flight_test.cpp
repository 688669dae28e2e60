// The flight frame on the real GL: its clear colour and fixed state, the
// camera placed from the path in every frame (so that key moves and preset
// views last one frame only), the still camera after the end, and the
// flight mode's special keys, which change nothing.
#include "app/keys.h"
#include "app/state.h"
#include "app/views.h"
#include "flight/flight.h"
#include "gl_support.h"

#include <GL/freeglut.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <climits>

namespace {

bool same(const Point3& a, const Point3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

class FlightTest : public testing::Test {
protected:
    void SetUp() override
    {
        savedParam_ = flightParam;
        savedEye_ = eyePoint;
        savedLook_ = lookPoint;
        flightParam = -620;
        eyePoint = Point3(-400, 300, 200);
        lookPoint = Point3(0, 0, 0);
        if (!quadric)
            quadric = gluNewQuadric();
        glDisable(GL_DEPTH_TEST);
        glCullFace(GL_FRONT);
        glMatrixMode(GL_PROJECTION);
    }
    void TearDown() override
    {
        flightParam = savedParam_;
        eyePoint = savedEye_;
        lookPoint = savedLook_;
    }

    float savedParam_ = 0;
    Point3 savedEye_, savedLook_;
};

TEST_F(FlightTest, OneFrameStepsThePathAndLooksFromIt)
{
    displayFlight();
    EXPECT_EQ(flightParam, -610.0f);
    EXPECT_EQ(eyePoint.x, -610.0f);
    EXPECT_TRUE(same(lookPoint, Point3(40, 40, 20)));
    EXPECT_TRUE(same(camera.eye, eyePoint));
    EXPECT_LT(gl::maxDifference(gl::modelView(), gl::lookAt(eyePoint, lookPoint)), 1e-3f);

    EXPECT_EQ(gl::integer(GL_MATRIX_MODE), GL_MODELVIEW);
    EXPECT_TRUE(gl::enabled(GL_DEPTH_TEST));
    EXPECT_EQ(gl::integer(GL_CULL_FACE_MODE), GL_BACK);
    // Both sides of every polygon are still drawn.
    EXPECT_FALSE(gl::enabled(GL_CULL_FACE));

    std::array<float, 4> clear{};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear.data());
    EXPECT_EQ(clear, (std::array<float, 4>{0.2f, 0.4f, 0.2f, 1.0f}));
}

TEST_F(FlightTest, EveryCallIsOneStep)
{
    for (int i = 1; i <= 30; ++i)
        displayFlight();
    EXPECT_EQ(flightParam, -320.0f);
}

TEST_F(FlightTest, KeyMovesAndViewsLastOneFrame)
{
    flightParam = 390;  // segment C
    displayFlight();
    keyboard('w', 0, 0);
    keyboard('d', 0, 0);
    EXPECT_FALSE(same(camera.eye, eyePoint));
    displayFlight();
    EXPECT_TRUE(same(camera.eye, Point3(250, 160, 20)));
    EXPECT_LT(gl::maxDifference(gl::modelView(), gl::lookAt(eyePoint, lookPoint)), 1e-3f);

    showMenuView(5);  // "Garagem "
    showFunctionKeyView(9);
    displayFlight();
    EXPECT_EQ(flightParam, 420.0f);
    EXPECT_TRUE(same(camera.eye, Point3(250, 170, 20)));
    EXPECT_TRUE(same(lookPoint, Point3(52, 142, 20)));
}

TEST_F(FlightTest, AfterTheEndTheCameraStandsAtTheLastEyeLookingAtTheDefault)
{
    flightParam = 1600;
    showFunctionKeyView(3);  // eyePoint (-200, 100, 20)
    for (int i = 0; i < 3; ++i) {
        displayFlight();
        EXPECT_TRUE(same(camera.eye, Point3(-200, 100, 20)));
        EXPECT_TRUE(same(lookPoint, Point3(40, 40, 20)));
        EXPECT_LT(gl::maxDifference(gl::modelView(),
                                    gl::lookAt(Point3(-200, 100, 20), Point3(40, 40, 20))),
                  1e-3f);
    }
    EXPECT_EQ(flightParam, 1630.0f);
}

TEST_F(FlightTest, SpecialKeysChangeNothingWhileFlying)
{
    displayFlight();
    const Point3 eye = camera.eye;
    const gl::Matrix matrix = gl::modelView();
    for (int key : {GLUT_KEY_F1, GLUT_KEY_F3, GLUT_KEY_F9, GLUT_KEY_F12, GLUT_KEY_LEFT,
                    GLUT_KEY_UP, GLUT_KEY_RIGHT, GLUT_KEY_DOWN, GLUT_KEY_HOME, 0, -1,
                    INT_MIN, INT_MAX})
        flightSpecialKeys(key, 10, 10);
    EXPECT_TRUE(same(camera.eye, eye));
    EXPECT_EQ(gl::modelView(), matrix);
    EXPECT_EQ(flightParam, -610.0f);
    EXPECT_TRUE(same(lookPoint, Point3(40, 40, 20)));
}

} // namespace
