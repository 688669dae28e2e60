// An imported model as the program shows it: a model made by others
// (BoxTextured.glb of assimp-testmodels, a cube with one picture on every
// side) imported into a folder, started there with the program's own
// start-up, and seen through the front view (F3). Where the cube's front
// side stands on the screen, the picture's own colours show, in the shares
// the picture holds them.
#include "app/startup.h"
#include "app/state.h"
#include "app/views.h"
#include "gl_support.h"
#include "import.h"
#include "scene/sky.h"
#include "test_support.h"

#include <GL/glu.h>
#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <gtest/gtest.h>
#include <stb_image.h>

#include <algorithm>
#include <map>
#include <unistd.h>

namespace {

const char* const Box = "/usr/share/assimp/models/glTF2/BoxTextured-glTF-Binary/BoxTextured.glb";

// Colours by kind, the way lighting and nearest sampling keep them: a lit
// texel is its colour times a factor, so the order of its channels stays.
enum class Kind { Grey, Green, Blue, Other };

Kind kindOf(int r, int g, int b)
{
    const int high = std::max({r, g, b}), low = std::min({r, g, b});
    if (high - low < 24)
        return Kind::Grey;
    if (g > r + 24 && g >= b)
        return Kind::Green;
    if (b > r + 24 && b > g)
        return Kind::Blue;
    return Kind::Other;
}

// The shares of each kind among the texels of the cube's picture, read from
// the model file by assimp and stb.
std::map<Kind, double> pictureShares()
{
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(Box, 0);
    std::map<Kind, double> shares;
    if (!scene || scene->mNumTextures != 1 || scene->mTextures[0]->mHeight != 0) {
        ADD_FAILURE() << "BoxTextured.glb: one embedded picture expected";
        return shares;
    }
    const aiTexture* texture = scene->mTextures[0];
    int w = 0, h = 0, n = 0;
    unsigned char* pixels = stbi_load_from_memory(reinterpret_cast<unsigned char*>(texture->pcData),
                                                  int(texture->mWidth), &w, &h, &n, 3);
    if (!pixels) {
        ADD_FAILURE() << "the picture does not decode";
        return shares;
    }
    for (int i = 0; i < w * h; ++i)
        shares[kindOf(pixels[3 * i], pixels[3 * i + 1], pixels[3 * i + 2])] += 1.0 / (w * h);
    stbi_image_free(pixels);
    return shares;
}

TEST(ImportView, FrontViewShowsTheCubesPictureWhereTheCubeStands)
{
    ScopedWorkDir dir;
    ImportSettings settings;
    settings.modelPath = Box;
    settings.outputPath = dir.path() + "/scene";
    testing::internal::CaptureStdout();
    importModel(settings);
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(chdir("scene"), 0);

    testing::internal::CaptureStdout();  // the bitmap reader's lines
    initScene();
    testing::internal::GetCapturedStdout();
    reshape(640, 480);
    showFunctionKeyView(3);  // from (-200, 100, 20) towards (0, 100, 0)
    stepSun();
    displayScene();
    glFinish();
    const gl::Picture frame = gl::readBackBuffer();

    // The 1 m cube fills the house's footprint along x: its front side,
    // facing -x, is the square x = 0, y 25..175, z 0.2..150.2 (world).
    const gl::Matrix view = gl::lookAt(Point3(-200, 100, 20), Point3(0, 100, 0));
    const gl::Matrix projection = gl::projection();
    const std::array<GLint, 4> viewport = gl::viewport();
    double view64[16], projection64[16];
    std::copy(view.begin(), view.end(), view64);
    std::copy(projection.begin(), projection.end(), projection64);
    double x0 = 1e9, x1 = -1e9, y0 = 1e9, y1 = -1e9;
    for (double y : {25.0, 175.0})
        for (double z : {0.2, 150.2}) {
            double sx = 0, sy = 0, sz = 0;
            ASSERT_TRUE(gluProject(0, y, z, view64, projection64, viewport.data(), &sx, &sy, &sz));
            x0 = std::min(x0, sx), x1 = std::max(x1, sx), y0 = std::min(y0, sy), y1 = std::max(y1, sy);
        }
    // Inside the side, clear of its edges and of the window's.
    const int left = std::max(0, int(x0 + 0.15 * (x1 - x0))), right = std::min(639, int(x1 - 0.15 * (x1 - x0)));
    const int bottom = std::max(0, int(y0 + 0.15 * (y1 - y0))), top = std::min(479, int(y1 - 0.15 * (y1 - y0)));
    ASSERT_GT(right - left, 100);
    ASSERT_GT(top - bottom, 100);

    std::map<Kind, double> seen;
    const double count = double(right - left + 1) * (top - bottom + 1);
    for (int y = bottom; y <= top; ++y)
        for (int x = left; x <= right; ++x) {
            const gl::Rgb c = frame.at(x, y);
            seen[kindOf(c.r, c.g, c.b)] += 1 / count;
        }
    const std::map<Kind, double> picture = pictureShares();
    for (Kind kind : {Kind::Grey, Kind::Green, Kind::Blue}) {
        SCOPED_TRACE("kind " + std::to_string(int(kind)));
        ASSERT_GT(picture.count(kind) ? picture.at(kind) : 0, 0.1);  // the picture holds each
        // The middle of the side (the lower part of the picture, as the top
        // is out of view) shows each kind the picture holds; the shares
        // differ, as less of the picture's grey frame is in view.
        EXPECT_GT(seen[kind], 0.05);
    }
    EXPECT_LT(seen[Kind::Other], 0.05);

    // Below the cube: the lawn, green; above it and to the sides: sky.
    const gl::Rgb lawn = frame.at(320, 10);
    EXPECT_EQ(kindOf(lawn.r, lawn.g, lawn.b), Kind::Green);
    ASSERT_EQ(chdir(".."), 0);
}

} // namespace
