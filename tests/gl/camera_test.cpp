// The camera against the real GL: what each operation loads into the
// model-view and projection matrices, read back with glGetFloatv.
#include "gl_support.h"
#include "math/camera.h"

#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

void expectAxis(const Vector3& v, float x, float y, float z, float tolerance = 1e-6f)
{
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}

// A camera at (0, 0, 10) looking at the origin with y up.
Camera cameraOnZ()
{
    Camera c;
    c.set(0, 0, 10, 0, 0, 0, 0, 1, 0);
    return c;
}

TEST(Camera, DefaultConstructedIsAllZero)
{
    const Camera c;
    EXPECT_EQ(c.eye.x, 0.0f);
    expectAxis(c.u, 0, 0, 0, 0);
    expectAxis(c.v, 0, 0, 0, 0);
    expectAxis(c.n, 0, 0, 0, 0);
    EXPECT_EQ(c.viewAngle, 0.0);
    EXPECT_EQ(c.H, 0.0);
}

TEST(Camera, SetLoadsTheViewingMatrix)
{
    glMatrixMode(GL_PROJECTION);
    const Camera c = cameraOnZ();
    expectAxis(c.u, 1, 0, 0, 0);
    expectAxis(c.v, 0, 1, 0, 0);
    expectAxis(c.n, 0, 0, 1, 0);
    const gl::Matrix expected = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, -10, 1};
    EXPECT_EQ(gl::modelView(), expected);
    // The load leaves the matrix mode at model-view.
    EXPECT_EQ(gl::integer(GL_MATRIX_MODE), GL_MODELVIEW);
}

TEST(Camera, SetMatchesGluLookAt)
{
    Camera c;
    c.set(0, -200, 60, 40, 0, 60, 0, 0, 1);
    const gl::Matrix ours = gl::modelView();
    glLoadIdentity();
    gluLookAt(0, -200, 60, 40, 0, 60, 0, 0, 1);
    EXPECT_LT(gl::maxDifference(ours, gl::modelView()), 1e-4f);
}

TEST(Camera, SlideMovesAlongTheAxesAndReloads)
{
    Camera c = cameraOnZ();
    c.slide(0, 0, -20);
    EXPECT_FLOAT_EQ(c.eye.z, -10.0f);
    EXPECT_FLOAT_EQ(gl::modelView()[14], 10.0f);
    c.slide(20, 0, 0);
    EXPECT_FLOAT_EQ(c.eye.x, 20.0f);
    EXPECT_FLOAT_EQ(gl::modelView()[12], -20.0f);
    c.slide(0, 20, 0);
    EXPECT_FLOAT_EQ(c.eye.y, 20.0f);
    EXPECT_FLOAT_EQ(gl::modelView()[13], -20.0f);
}

TEST(Camera, YawTurnsTheViewToTheRight)
{
    Camera c = cameraOnZ();
    c.yaw(90);
    // Not exact: the degree factor is 3.14159265 / 180.
    expectAxis(c.u, 0, 0, 1);
    expectAxis(c.n, -1, 0, 0);
    expectAxis(c.v, 0, 1, 0, 0);
    const gl::Matrix m = gl::modelView();
    EXPECT_NEAR(m[8], 1.0f, 1e-6);   // u.z
    EXPECT_NEAR(m[2], -1.0f, 1e-6);  // n.x
}

TEST(Camera, PitchTiltsTheViewDown)
{
    Camera c = cameraOnZ();
    c.pitch(90);
    expectAxis(c.n, 0, 1, 0);
    expectAxis(c.v, 0, 0, -1);
    expectAxis(c.u, 1, 0, 0, 0);
    // Looking along -n = -y: the view direction went down.
}

TEST(Camera, RollTipsUpTowardsTheRight)
{
    Camera c = cameraOnZ();
    c.roll(90);
    expectAxis(c.v, 1, 0, 0);
    expectAxis(c.u, 0, -1, 0);
    expectAxis(c.n, 0, 0, 1, 0);
}

TEST(Camera, TurnsUndoWithinFloatPrecision)
{
    Camera c;
    c.set(10, -30, 7, 40, 12, 2, 0, 0, 1);
    const Camera start = c;
    c.roll(37);
    c.roll(-37);
    expectAxis(c.u, start.u.x, start.u.y, start.u.z);
    expectAxis(c.v, start.v.x, start.v.y, start.v.z);
    EXPECT_EQ(c.n.x, start.n.x);
    EXPECT_EQ(c.n.y, start.n.y);
    EXPECT_EQ(c.n.z, start.n.z);
    c.yaw(20);
    c.yaw(-20);
    c.pitch(20);
    c.pitch(-20);
    expectAxis(c.u, start.u.x, start.u.y, start.u.z);
    expectAxis(c.v, start.v.x, start.v.y, start.v.z);
    expectAxis(c.n, start.n.x, start.n.y, start.n.z);
}

TEST(Camera, RotateAxesUsesTheStatedDegreeFactor)
{
    Vector3 a(1, 0, 0), b(0, 1, 0);
    Camera::rotateAxes(a, b, 180);
    // r = float(180 * 3.14159265 / 180) is just short of pi, so sin r > 0.
    const float r = static_cast<float>(180 * (3.14159265 / 180.0));
    EXPECT_EQ(a.x, static_cast<float>(std::cos(double(r))));
    EXPECT_EQ(a.y, static_cast<float>(std::sin(double(r))));
    EXPECT_EQ(b.x, -static_cast<float>(std::sin(double(r))));
}

TEST(Camera, SetShapeLoadsGluPerspective)
{
    Camera c;
    c.setShape(60, 1, 1, 100);
    EXPECT_NEAR(c.H, 1.0 / std::sqrt(3.0), 1e-8);
    EXPECT_EQ(c.W, c.H);
    EXPECT_EQ(gl::integer(GL_MATRIX_MODE), GL_MODELVIEW);
    const gl::Matrix ours = gl::projection();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60, 1, 1, 100);
    EXPECT_EQ(ours, gl::projection());
    glMatrixMode(GL_MODELVIEW);
}

TEST(Camera, EyeEqualToLookReportsThreeTimesAndZeroesTheAxes)
{
    Camera c;
    testing::internal::CaptureStderr();
    c.set(5, 5, 5, 5, 5, 5, 0, 0, 1);
    const std::string message = "\nnormalize() sees vector (0,0,0)!";
    EXPECT_EQ(testing::internal::GetCapturedStderr(), message + message + message);
    expectAxis(c.u, 0, 0, 0, 0);
    expectAxis(c.v, 0, 0, 0, 0);
    expectAxis(c.n, 0, 0, 0, 0);
    const gl::Matrix m = gl::modelView();
    for (int i = 0; i < 15; ++i)
        EXPECT_EQ(m[i], 0.0f) << "element " << i;
    EXPECT_EQ(m[15], 1.0f);
}

TEST(Camera, UpAlongTheViewReportsTwice)
{
    Camera c;
    testing::internal::CaptureStderr();
    c.set(0, 0, 10, 0, 0, 0, 0, 0, 1);
    const std::string message = "\nnormalize() sees vector (0,0,0)!";
    EXPECT_EQ(testing::internal::GetCapturedStderr(), message + message);
    expectAxis(c.u, 0, 0, 0, 0);
    expectAxis(c.v, 0, 0, 0, 0);
    expectAxis(c.n, 0, 0, 1, 0);
}

} // namespace
