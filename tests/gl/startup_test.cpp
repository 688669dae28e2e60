// Start-up and the frame's fixed state, read back from the real GL: what
// initScene leaves behind, what reshape loads, and the first frame's view.
#include "app/startup.h"
#include "app/state.h"
#include "gl_support.h"
#include "test_support.h"

#include <GL/glu.h>
#include <gtest/gtest.h>

namespace {

// initScene run in an empty working directory: no texture or scene file, so
// only the fixed state and the camera are of interest here.
class StartupTest : public testing::Test {
protected:
    void SetUp() override
    {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        initScene();
        initOutput_ = testing::internal::GetCapturedStdout();
        initErrors_ = testing::internal::GetCapturedStderr();
    }

    ScopedWorkDir dir_;
    std::string initOutput_;
    std::string initErrors_;
};

gl::Matrix perspective(double fovy, double aspect, double zNear, double zFar)
{
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPerspective(fovy, aspect, zNear, zFar);
    const gl::Matrix m = gl::projection();
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    return m;
}

TEST_F(StartupTest, EnablesTheFixedState)
{
    EXPECT_TRUE(gl::enabled(GL_DEPTH_TEST));
    EXPECT_TRUE(gl::enabled(GL_TEXTURE_2D));
    EXPECT_TRUE(gl::enabled(GL_NORMALIZE));
    EXPECT_TRUE(gl::enabled(GL_LIGHTING));
    EXPECT_TRUE(gl::enabled(GL_LIGHT0));
    EXPECT_TRUE(gl::enabled(GL_LIGHT1));
    // Both sides of every polygon are drawn.
    EXPECT_FALSE(gl::enabled(GL_CULL_FACE));
    EXPECT_EQ(gl::integer(GL_CULL_FACE_MODE), GL_BACK);
    // Sphere-map generation is chosen but off until the sky is drawn.
    EXPECT_FALSE(gl::enabled(GL_TEXTURE_GEN_S));
    EXPECT_FALSE(gl::enabled(GL_TEXTURE_GEN_T));
    GLint mode = 0;
    glGetTexGeniv(GL_S, GL_TEXTURE_GEN_MODE, &mode);
    EXPECT_EQ(mode, GL_SPHERE_MAP);
    glGetTexGeniv(GL_T, GL_TEXTURE_GEN_MODE, &mode);
    EXPECT_EQ(mode, GL_SPHERE_MAP);
    EXPECT_NE(quadric, nullptr);
}

TEST_F(StartupTest, GivesBothLightsTheLightColour)
{
    const std::array<float, 4> colour = {0.9f, 0.9f, 0.6f, 0.0f};
    for (GLenum light : {GL_LIGHT0, GL_LIGHT1}) {
        EXPECT_EQ(gl::light(light, GL_DIFFUSE), colour);
        EXPECT_EQ(gl::light(light, GL_SPECULAR), colour);
    }
}

TEST_F(StartupTest, SetsTheDefaultTextureObjectsParameters)
{
    glBindTexture(GL_TEXTURE_2D, 0);
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &value);
    EXPECT_EQ(value, GL_REPEAT);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &value);
    EXPECT_EQ(value, GL_REPEAT);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &value);
    EXPECT_EQ(value, GL_LINEAR);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
    EXPECT_EQ(value, GL_NEAREST_MIPMAP_NEAREST);
}

TEST_F(StartupTest, PlacesTheCameraAndGivesItItsShape)
{
    EXPECT_EQ(camera.eye.x, 0.0f);
    EXPECT_EQ(camera.eye.y, -200.0f);
    EXPECT_EQ(camera.eye.z, 60.0f);
    EXPECT_EQ(camera.viewAngle, 120.0);
    EXPECT_EQ(camera.aspect, double(1.3333334f));
    EXPECT_EQ(camera.nearDist, double(0.1f));
    EXPECT_EQ(camera.farDist, 15000.0);
    EXPECT_EQ(gl::projection(), perspective(120, double(1.3333334f), double(0.1f), 15000));
    // eyePoint and lookPoint keep their start values.
    EXPECT_EQ(eyePoint.x, -400.0f);
    EXPECT_EQ(eyePoint.y, 300.0f);
    EXPECT_EQ(eyePoint.z, 200.0f);
    EXPECT_EQ(lookPoint.x, 0.0f);
    EXPECT_EQ(initErrors_, "");
}

TEST_F(StartupTest, FirstFrameLooksFromTheStartThroughReshapesProjection)
{
    reshape(640, 480);
    EXPECT_EQ(gl::projection(), perspective(70, 640.0 / 480.0, 0.1, 100000));
    const gl::Matrix view = gl::modelView();
    EXPECT_LT(gl::maxDifference(view, gl::lookAt({0, -200, 60}, {40, 0, 60})), 1e-4f);
    displayScene();
    // The frame leaves the camera's matrix in force.
    EXPECT_EQ(gl::modelView(), view);
    EXPECT_EQ(gl::integer(GL_MATRIX_MODE), GL_MODELVIEW);
}

TEST(Reshape, LoadsViewportAndProjection)
{
    reshape(800, 400);
    EXPECT_EQ(gl::viewport(), (std::array<GLint, 4>{0, 0, 800, 400}));
    EXPECT_EQ(gl::projection(), perspective(70, 2.0, 0.1, 100000));
    EXPECT_EQ(gl::integer(GL_MATRIX_MODE), GL_MODELVIEW);
}

TEST(Reshape, IgnoresAZeroSizeAndLeavesTheModelViewAlone)
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1, 2, 3);
    const gl::Matrix view = gl::modelView();
    reshape(640, 480);
    const gl::Matrix projection = gl::projection();
    for (auto size : {std::pair{0, 0}, std::pair{0, 300}, std::pair{300, 0}}) {
        reshape(size.first, size.second);
        EXPECT_EQ(gl::viewport(), (std::array<GLint, 4>{0, 0, 640, 480}));
        EXPECT_EQ(gl::projection(), projection);
    }
    // Restored after a minimise: the whole window again.
    reshape(320, 240);
    EXPECT_EQ(gl::viewport(), (std::array<GLint, 4>{0, 0, 320, 240}));
    EXPECT_EQ(gl::modelView(), view);
}

TEST(Window, HasTheStatedModeAndSize)
{
    EXPECT_EQ(glutGet(GLUT_WINDOW_WIDTH), 640);
    EXPECT_EQ(glutGet(GLUT_WINDOW_HEIGHT), 480);
    EXPECT_EQ(glutGet(GLUT_WINDOW_DOUBLEBUFFER), 1);
    EXPECT_GT(glutGet(GLUT_WINDOW_DEPTH_SIZE), 0);
    EXPECT_EQ(glutGet(GLUT_WINDOW_RGBA), 1);
}

} // namespace
