// Whole normal-mode frames of a small scene made by the test: a textured wall
// in front of the start camera and a grass patch on the ground. Frame after
// frame the wall keeps its own bitmap and the grass its raw image; no bitmap
// texture object is changed by the terrain.
#include "app/startup.h"
#include "app/state.h"
#include "scene/sky.h"
#include "gl_support.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The model is y up; the world z up: model (x, y, z) is world (x, -z, y).
// The wall stands at world y = 100, in front of the start camera at
// (0, -200, 60); the patch lies on the ground (world z = 0) between them.
const char* const WallModel =
    "1\n"
    "wall 2001\n"
    "-400 -100 -100   400 -100 -100   400 300 -100   -400 300 -100\n"
    "0 0   1 0   1 1   0 1\n";

std::string groundPatch()
{
    std::string text = "1\n2 1 1 0\n";
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            text += "0 " + std::to_string(-100 + 200 * c) + " 0 " + std::to_string(190 - 140 * r) +
                    "\n";
    return text + "69\n";
}

std::vector<unsigned char> solid(std::size_t bytes, unsigned char r, unsigned char g,
                                 unsigned char b)
{
    std::vector<unsigned char> data(bytes);
    for (std::size_t i = 0; i + 2 < bytes; i += 3) {
        data[i] = r;
        data[i + 1] = g;
        data[i + 2] = b;
    }
    return data;
}

// The frame just shown. displayScene ends with the swap; Mesa's software
// swap copies the back buffer to the window and leaves it as it was, while
// its front buffer is not read back from the window.
gl::Picture readFrame()
{
    glFinish();
    return gl::readBackBuffer();
}

std::vector<unsigned char> textureImage(GLuint id)
{
    glBindTexture(GL_TEXTURE_2D, id);
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    std::vector<unsigned char> bytes(std::size_t(width) * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (!bytes.empty())
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, bytes.data());
    return bytes;
}

TEST(SceneFrame, WallKeepsItsBitmapFrameAfterFrame)
{
    ScopedWorkDir dir;
    writeFile("data_textura.geo", WallModel);
    writeFile("data_terreno.geo", groundPatch());
    writeFile("Relva1.raw", solid(RawImageBytes, 0, 200, 0));
    testing::internal::CaptureStdout();  // the missing bitmaps' messages
    initScene();
    testing::internal::GetCapturedStdout();

    // The wall's bitmap, given by the test in place of a BMP file.
    const std::vector<unsigned char> red = solid(4 * 4 * 3, 255, 0, 0);
    glBindTexture(GL_TEXTURE_2D, 2001);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 4, 4, 0, GL_RGB, GL_UNSIGNED_BYTE, red.data());

    reshape(640, 480);
    // Until the first idle step the sun stands at the origin, in view; one
    // step puts it near the horizon behind the camera.
    stepSun();
    std::vector<gl::Picture> frames;
    for (int frame = 0; frame < 4; ++frame) {
        displayScene();
        frames.push_back(readFrame());
    }

    for (std::size_t f = 0; f < frames.size(); ++f) {
        SCOPED_TRACE("frame " + std::to_string(f + 1));
        // The wall ahead: its red bitmap, lit (emission 0.5 at least).
        const gl::Rgb wall = frames[f].at(320, 300);
        EXPECT_GE(int(wall.r), 128);
        EXPECT_EQ(int(wall.g), 0);
        EXPECT_EQ(int(wall.b), 0);
        // The ground below: grass.
        const gl::Rgb ground = frames[f].at(320, 20);
        EXPECT_EQ(int(ground.r), 0);
        EXPECT_GE(int(ground.g), 100);
        EXPECT_EQ(int(ground.b), 0);
        // Nothing moves between these frames: every frame is the first one.
        if (f > 0) {
            EXPECT_EQ(frames[f].bytes, frames[0].bytes);
        }
    }
    EXPECT_EQ(textureImage(2001), red);
    GLint filter = 0;
    glBindTexture(GL_TEXTURE_2D, 2001);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    EXPECT_EQ(filter, GL_NEAREST);
}

} // namespace
