// Sky, sun and lights against the real GL: the sky list's texture and its
// sphere-map coordinates, the sun's 240-step cycle, the light positions in
// eye coordinates, the scene material, and the matrices left as found.
#include "app/startup.h"
#include "app/state.h"
#include "gl_support.h"
#include "scene/sky.h"
#include "test_support.h"

#include <GL/glu.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

namespace {

// initScene in an empty working directory: the fixed state, the quadric and
// the three (mostly empty) scene lists, with the bitmap reader's complaints
// about the missing files kept off the test log.
class SkyTest : public testing::Test {
protected:
    void SetUp() override
    {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        initScene();
        testing::internal::GetCapturedStdout();
        testing::internal::GetCapturedStderr();
    }

    ScopedWorkDir dir_;
};

void makeSolidTexture(GLuint id, unsigned char r, unsigned char g, unsigned char b)
{
    std::vector<unsigned char> texels(4 * 4 * 3);
    for (std::size_t i = 0; i < texels.size(); i += 3) {
        texels[i] = r;
        texels[i + 1] = g;
        texels[i + 2] = b;
    }
    glBindTexture(GL_TEXTURE_2D, id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 4, 4, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
}

// Eye coordinates of a point given in the current model-view frame m.
std::array<double, 4> transform(const gl::Matrix& m, const std::array<double, 4>& p)
{
    std::array<double, 4> out{};
    for (int row = 0; row < 4; ++row)
        for (int k = 0; k < 4; ++k)
            out[row] += double(m[4 * k + row]) * p[k];  // column-major
    return out;
}

TEST_F(SkyTest, ListNumbersFollowTheQuadBlock)
{
    EXPECT_EQ(terrainList, quadListBase + 1);
    EXPECT_EQ(skyList, quadListBase + 2);
    EXPECT_TRUE(glIsList(skyList));
}

TEST_F(SkyTest, SkyListBindsTheSkyTextureWithSphereMapOnlyInside)
{
    // An 8 x 8 sky whose texel (i, j) is (32i + 16, 32j + 16, 128).
    std::vector<unsigned char> texels;
    for (int j = 0; j < 8; ++j)
        for (int i = 0; i < 8; ++i)
            texels.insert(texels.end(), {static_cast<unsigned char>(32 * i + 16),
                                         static_cast<unsigned char>(32 * j + 16), 128});
    glBindTexture(GL_TEXTURE_2D, 2016);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 8, 8, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    glBindTexture(GL_TEXTURE_2D, 2001);
    ASSERT_FALSE(gl::enabled(GL_TEXTURE_GEN_S));
    ASSERT_FALSE(gl::enabled(GL_TEXTURE_GEN_T));

    // From the sphere's centre down the eye's -z axis, 90 degrees wide.
    constexpr int Side = 400;
    glViewport(0, 0, Side, Side);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(90, 1, 1, 10000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glColor3f(1, 1, 1);
    glEnable(GL_TEXTURE_2D);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glCallList(skyList);

    EXPECT_EQ(gl::integer(GL_TEXTURE_BINDING_2D), 2016);
    EXPECT_FALSE(gl::enabled(GL_TEXTURE_GEN_S));
    EXPECT_FALSE(gl::enabled(GL_TEXTURE_GEN_T));

    // Seen from the centre, the sphere's outward normal d at a pixel is the
    // direction of that pixel, so the sphere map gives r = -d and
    // s = -dx / m + 1/2, t = -dy / m + 1/2, m = 2 sqrt(2 - 2 dz). The
    // sphere's own coordinates (slice and stack fractions) would differ.
    const gl::Picture picture = gl::readBackBuffer();
    int checked = 0;
    for (int py = 5; py < Side; py += 10)
        for (int px = 5; px < Side; px += 10) {
            const double ex = (px + 0.5) / (Side / 2.0) - 1, ey = (py + 0.5) / (Side / 2.0) - 1;
            const double length = std::sqrt(ex * ex + ey * ey + 1);
            const double dx = ex / length, dy = ey / length, dz = -1 / length;
            const double m = 2 * std::sqrt(2 - 2 * dz);
            const double s = (-dx / m + 0.5) * 8, t = (-dy / m + 0.5) * 8;
            // Only pixels well inside one texel: vertex coordinates are
            // interpolated across the sphere's facets.
            if (std::fabs(s - std::floor(s) - 0.5) > 0.3 || std::fabs(t - std::floor(t) - 0.5) > 0.3)
                continue;
            const gl::Rgb p = picture.at(px, py);
            EXPECT_EQ(int(p.r), 32 * int(std::floor(s)) + 16) << px << "," << py;
            EXPECT_EQ(int(p.g), 32 * int(std::floor(t)) + 16) << px << "," << py;
            ++checked;
        }
    EXPECT_GT(checked, 200);
}

TEST_F(SkyTest, SkySurroundsTheViewerWithItsTexture)
{
    makeSolidTexture(2016, 40, 80, 220);
    makeSolidTexture(2001, 255, 0, 0);
    reshape(640, 480);
    glLoadIdentity();
    gluLookAt(0, 0, 0, 1, 0.3, 0.2, 0, 0, 1);
    glDisable(GL_LIGHTING);
    glColor3f(1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glBindTexture(GL_TEXTURE_2D, 2001);
    drawSceneLists();
    EXPECT_FALSE(gl::enabled(GL_TEXTURE_2D));  // texturing is off after the lists
    const gl::Picture picture = gl::readBackBuffer();
    for (int y = 10; y < 480; y += 94)
        for (int x = 10; x < 640; x += 125) {
            const gl::Rgb p = picture.at(x, y);
            EXPECT_EQ(int(p.r), 40) << x << "," << y;
            EXPECT_EQ(int(p.g), 80) << x << "," << y;
            EXPECT_EQ(int(p.b), 220) << x << "," << y;
        }
}

int redisplays = 0;

TEST_F(SkyTest, SunCycleTakes240Steps)
{
    ASSERT_EQ(sunParam, 0.0f);
    float previous = 0;
    for (int step = 1; step <= 239; ++step) {
        stepSun();
        EXPECT_GT(sunParam, previous) << step;
        EXPECT_LT(sunParam, 12.0f) << step;
        previous = sunParam;
        if (step == 1) {
            EXPECT_EQ(sunParam, 0.05f);
            EXPECT_FLOAT_EQ(sunPos.y, float(1380 * std::sin(0.75 * M_PI / 180)));
        }
        if (step == 120) {
            // Near the top: the float sum is 6 plus a few millionths.
            EXPECT_NEAR(sunParam, 6.0f, 1e-5);
            EXPECT_NEAR(sunPos.y, 1380, 1e-3);
            EXPECT_NEAR(sunPos.z, 0, 1e-2);
        }
    }
    // The 239th value falls 0.75 degrees short of the far horizon.
    EXPECT_NEAR(sunParam, 11.95f, 1e-4);
    EXPECT_NEAR(sunPos.y, 1380 * std::sin(179.25 * M_PI / 180), 1e-2);
    EXPECT_NEAR(sunPos.z, 1380 * std::cos(179.25 * M_PI / 180), 1e-2);

    // The float sum at the 240th step lies just above 12, so the pass starts
    // again at the near horizon in the same step.
    EXPECT_GT(sunParam + 1.0f / 20, 12.0f);
    stepSun();
    EXPECT_EQ(sunParam, 0.0f);
    EXPECT_EQ(sunPos.y, 0.0f);
    EXPECT_EQ(sunPos.z, 1380.0f);
    EXPECT_EQ(sunPos.x, 0.0f);  // x plays no part

    // At exactly 6 the sun stands straight above the origin in the model's y
    // direction.
    sunParam = 6.0f - 1.0f / 20;
    stepSun();
    ASSERT_EQ(sunParam, 6.0f);
    EXPECT_EQ(sunPos.y, 1380.0f);
    EXPECT_NEAR(sunPos.z, 0, 1e-6);

    // Exactly 12 is not past the end: from the float whose sum with the
    // step rounds to 12, the step stays at 12.
    sunParam = 11.9f;
    while (sunParam + 1.0f / 20 < 12.0f)
        sunParam = std::nextafter(sunParam, 13.0f);
    ASSERT_EQ(sunParam + 1.0f / 20, 12.0f);
    stepSun();
    EXPECT_EQ(sunParam, 12.0f);
}

TEST_F(SkyTest, StepSunAsksForOneRedisplay)
{
    glutDisplayFunc([] { ++redisplays; });
    gl::pumpEvents();
    redisplays = 0;
    gl::pumpEvents();
    EXPECT_EQ(redisplays, 0);
    stepSun();
    gl::pumpEvents();
    EXPECT_EQ(redisplays, 1);
}

TEST_F(SkyTest, SunAndLightsPlaceBothLightsInEyeCoordinates)
{
    for (int i = 0; i < 40; ++i)
        stepSun();  // 30 degrees up the sky
    eyePoint = Point3(-400, 300, 200);
    camera.set(0, -200, 60, 40, 0, 60, 0, 0, 1);
    const gl::Matrix view = gl::modelView();
    GLint depth = gl::integer(GL_MODELVIEW_STACK_DEPTH);

    drawSunAndLights();

    // Matrix and mode as found.
    EXPECT_EQ(gl::modelView(), view);
    EXPECT_EQ(gl::integer(GL_MATRIX_MODE), GL_MODELVIEW);
    EXPECT_EQ(gl::integer(GL_MODELVIEW_STACK_DEPTH), depth);

    // Light 0: the sun's centre (0, y, z) plus (10, 10, 10), turned 90 degrees
    // about x into the z-up world, then seen through the camera.
    const double y = sunPos.y, z = sunPos.z;
    EXPECT_NEAR(y, 690, 1e-2);
    const std::array<double, 4> expected = transform(view, {10, -(z + 10), y + 10, 1});
    const std::array<float, 4> light0 = gl::light(GL_LIGHT0, GL_POSITION);
    for (int k = 0; k < 4; ++k)
        EXPECT_NEAR(light0[k], expected[k], 1e-2) << k;

    // Light 1: eyePoint's numbers taken as eye coordinates, positional.
    EXPECT_EQ(gl::light(GL_LIGHT1, GL_POSITION), (std::array<float, 4>{-400, 300, 200, 1}));

    // The scene's material after the sun.
    const std::array<float, 4> white = {1, 1, 1, 1};
    EXPECT_EQ(gl::material(GL_AMBIENT), white);
    EXPECT_EQ(gl::material(GL_DIFFUSE), white);
    EXPECT_EQ(gl::material(GL_SPECULAR), white);
    EXPECT_EQ(gl::material(GL_EMISSION), (std::array<float, 4>{0.5f, 0.5f, 0.5f, 0}));
    EXPECT_EQ(gl::material(GL_SHININESS)[0], 100.0f);

    // Wherever the camera goes, light 1 stays with the viewer.
    camera.set(500, 500, 10, 0, 0, 0, 0, 0, 1);
    eyePoint = Point3(1, 2, 3);
    drawSunAndLights();
    EXPECT_EQ(gl::light(GL_LIGHT1, GL_POSITION), (std::array<float, 4>{1, 2, 3, 1}));
}

TEST_F(SkyTest, SunIsDrawnOverheadAtMidday)
{
    for (int i = 0; i < 120; ++i)
        stepSun();
    reshape(640, 480);
    // Looking straight up the world's z axis from the origin.
    glLoadIdentity();
    gluLookAt(0, 0, 0, 0, 0, 1, 0, 1, 0);
    glDisable(GL_TEXTURE_2D);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawSunAndLights();
    const gl::Picture picture = gl::readBackBuffer();
    // The sun's own emission and light: yellowish white.
    const gl::Rgb centre = picture.at(320, 240);
    EXPECT_GE(int(centre.r), 220);
    EXPECT_GE(int(centre.g), 220);
    EXPECT_GE(int(centre.b), 150);
    // 20 units across at 1380: a few pixels wide, nothing beside it.
    for (const auto& at : {std::array<int, 2>{340, 240}, {300, 240}, {320, 260}, {320, 220}}) {
        const gl::Rgb p = picture.at(at[0], at[1]);
        EXPECT_EQ(int(p.r) + int(p.g) + int(p.b), 0) << at[0] << "," << at[1];
    }
}

} // namespace
