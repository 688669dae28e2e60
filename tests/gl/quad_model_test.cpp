// The quad list against the real GL: a quad of a test-made texture covers the
// pixels it should, upright, with its own texture pairs; the list carries one
// normal per quad from vertices 1 to 3 and reserves the four scene names.
#include "app/state.h"
#include "gl_support.h"
#include "scene/quad_model.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

std::array<float, 4> current(GLenum name)
{
    std::array<float, 4> value{};
    glGetFloatv(name, value.data());
    return value;
}

void expectColour(const gl::Picture& picture, int x, int y, int r, int g, int b)
{
    const gl::Rgb p = picture.at(x, y);
    EXPECT_EQ(int(p.r), r) << "at " << x << "," << y;
    EXPECT_EQ(int(p.g), g) << "at " << x << "," << y;
    EXPECT_EQ(int(p.b), b) << "at " << x << "," << y;
}

class QuadModelTest : public testing::Test {
protected:
    ScopedWorkDir dir_;
};

TEST_F(QuadModelTest, QuadCoversItsPixelsWithItsTexture)
{
    gl::makeQuadrantTexture(2001);
    // Listed from the top right corner, counter-clockwise seen from +z, each
    // vertex with its own pair: the picture comes out upright.
    writeFile("data_textura.geo",
              "1\n"
              "door 2001\n"
              "1.5 1.5 0   0.5 1.5 0   0.5 0.5 0   1.5 0.5 0\n"
              "1 1   0 1   0 0   1 0\n");
    loadQuadModel("data_textura.geo");
    gl::orthoView();
    glBindTexture(GL_TEXTURE_2D, 0);
    const gl::Picture picture = gl::drawUnlit(quadListBase);

    // The quad spans pixels 50..150 in x and y; its texels are 50 pixels wide.
    expectColour(picture, 75, 75, 255, 0, 0);
    expectColour(picture, 125, 75, 0, 255, 0);
    expectColour(picture, 75, 125, 0, 0, 255);
    expectColour(picture, 125, 125, 255, 255, 255);
    expectColour(picture, 52, 52, 255, 0, 0);
    expectColour(picture, 148, 148, 255, 255, 255);
    for (int xy : {25, 47, 153, 175}) {
        expectColour(picture, xy, 100, 0, 0, 0);
        expectColour(picture, 100, xy, 0, 0, 0);
    }
    // The list bound the quad's texture; the last pair sent is vertex 4's.
    EXPECT_EQ(gl::integer(GL_TEXTURE_BINDING_2D), 2001);
    EXPECT_EQ(current(GL_CURRENT_TEXTURE_COORDS), (std::array<float, 4>{1, 0, 0, 1}));
    EXPECT_EQ(current(GL_CURRENT_NORMAL), (std::array<float, 4>{0, 0, 1, 0}));
}

TEST_F(QuadModelTest, EachQuadBindsItsTextureAndCarriesTheNormalOfVertices1To3)
{
    gl::makeQuadrantTexture(2003);
    gl::makeQuadrantTexture(2005);
    // The first quad, texture 2003, fills the left half; the second, 2005, is
    // in the plane x = 10 (off screen) but for vertex 4, which is not.
    writeFile("data_textura.geo",
              "2\n"
              "left 2003 0 0 0  1 0 0  1 2 0  0 2 0   0 0 1 0 1 1 0 1\n"
              "bent 2005 10 0 0  10 1 0  10 1 1  11 0 1   0 0 1 0 1 1 0 1\n");
    loadQuadModel("data_textura.geo");
    gl::orthoView();
    const gl::Picture picture = gl::drawUnlit(quadListBase);
    expectColour(picture, 25, 25, 255, 0, 0);
    expectColour(picture, 75, 175, 255, 255, 255);
    EXPECT_EQ(gl::integer(GL_TEXTURE_BINDING_2D), 2005);
    // a = P1 - P2 = (0, -1, 0), b = P2 - P3 = (0, 0, -1): a x b = (1, 0, 0).
    EXPECT_EQ(current(GL_CURRENT_NORMAL), (std::array<float, 4>{1, 0, 0, 0}));
}

TEST_F(QuadModelTest, DegenerateQuadIsDrawnWithAZeroNormal)
{
    gl::makeQuadrantTexture(2002);
    // Vertices 1 and 2 coincide: a triangle over the lower right.
    writeFile("data_textura.geo",
              "1 tri 2002  2 0 0  2 0 0  2 2 0  0 0 0   1 0 1 0 1 1 0 0\n");
    testing::internal::CaptureStderr();
    loadQuadModel("data_textura.geo");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    gl::orthoView();
    glNormal3f(0, 1, 0);
    const gl::Picture picture = gl::drawUnlit(quadListBase);
    expectColour(picture, 180, 20, 0, 255, 0);
    expectColour(picture, 20, 180, 0, 0, 0);
    EXPECT_EQ(current(GL_CURRENT_NORMAL), (std::array<float, 4>{0, 0, 0, 0}));
}

TEST_F(QuadModelTest, ReservesFourNamesAndKeepsMissingFileSilent)
{
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    loadQuadModel("data_textura.geo");  // not there
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_NE(quadListBase, 0u);
    EXPECT_TRUE(glIsList(quadListBase));
    // The three names after it are taken: a new name comes after the block.
    const GLuint next = glGenLists(1);
    EXPECT_TRUE(next < quadListBase || next >= quadListBase + 4) << next;

    gl::orthoView();
    glBindTexture(GL_TEXTURE_2D, 2017);
    const gl::Picture picture = gl::drawUnlit(quadListBase);
    expectColour(picture, 100, 100, 0, 0, 0);
    EXPECT_EQ(gl::integer(GL_TEXTURE_BINDING_2D), 2017);  // an empty list binds nothing
}

TEST_F(QuadModelTest, TruncatedFileDrawsTheQuadsReadInFull)
{
    gl::makeQuadrantTexture(2004);
    writeFile("data_textura.geo",
              "3\n"
              "whole 2004 0 0 0  2 0 0  2 2 0  0 2 0   0 0 1 0 1 1 0 1\n"
              "cut 2009 0 0 0  2 0 0  2 2");
    testing::internal::CaptureStderr();
    loadQuadModel("data_textura.geo");
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("data_textura.geo: quad record 2 of 3"), std::string::npos) << errors;
    gl::orthoView();
    const gl::Picture picture = gl::drawUnlit(quadListBase);
    expectColour(picture, 50, 50, 255, 0, 0);
    expectColour(picture, 150, 150, 255, 255, 255);
    // Nothing of the broken record went into the list.
    EXPECT_EQ(gl::integer(GL_TEXTURE_BINDING_2D), 2004);
}

} // namespace
