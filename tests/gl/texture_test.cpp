// The bitmap texture set against the real GL: what loadBitmapTextures leaves
// in each texture object (size, filters, texels), which object is bound, and
// what a missing file or an odd width leaves behind.
#include "app/state.h"
#include "gl_support.h"
#include "image/bmp_writer.h"
#include "image/textures.h"
#include "test_support.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Every slot's picture has a size and texels of its own, so that a texture
// object shows which file it was given. Widths 8 to 24: some of them are not
// multiples of 4.
int widthOf(int slot) { return 8 + slot; }
int heightOf(int slot) { return 4 + 2 * slot; }

std::vector<PixelRGB> pictureOf(int slot)
{
    const int rows = heightOf(slot), columns = widthOf(slot);
    std::vector<PixelRGB> pixels(std::size_t(rows) * columns);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            pixels[std::size_t(r) * columns + c] = {std::uint8_t(13 * slot + c),
                                                   std::uint8_t(9 * r + slot),
                                                   std::uint8_t(200 - 7 * slot)};
    return pixels;
}

std::vector<unsigned char> bytesOf(const std::vector<PixelRGB>& pixels)
{
    const auto* begin = reinterpret_cast<const unsigned char*>(pixels.data());
    return {begin, begin + 3 * pixels.size()};
}

// The bitmap textures in load order: file, pixmap slot and texture id. The
// ids follow the slots but for madeira2 and caminho, which are crossed.
const BitmapTexture Textures[17] = {
    {"Porta.bmp", 0, 2001},     {"muro.bmp", 1, 2002},      {"Porta3.bmp", 2, 2003},
    {"Telhado1.bmp", 3, 2004},  {"Garagem.bmp", 4, 2005},   {"Janela1.bmp", 5, 2006},
    {"Parede1.bmp", 6, 2007},   {"Relva1.bmp", 7, 2008},    {"calcada.bmp", 8, 2009},
    {"cimento.bmp", 9, 2010},   {"alcatrao.bmp", 10, 2011}, {"madeira2.bmp", 11, 2013},
    {"caminho.bmp", 12, 2012},  {"pedra.bmp", 13, 2014},    {"respiradouro.bmp", 14, 2015},
    {"ceu.bmp", 15, 2016},      {"agua.bmp", 16, 2017},
};

// Each file gets the picture of its slot.
void writeTextureFiles(bool withPorta = true)
{
    for (const BitmapTexture& texture : Textures) {
        if (!withPorta && std::string(texture.fileName) == "Porta.bmp")
            continue;
        writeFile(texture.fileName,
                  encodeBmp24(pictureOf(texture.slot), heightOf(texture.slot),
                              widthOf(texture.slot)));
    }
}

GLint level0(GLenum parameter)
{
    GLint value = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, parameter, &value);
    return value;
}

GLint parameter(GLenum name)
{
    GLint value = -1;
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    return value;
}

// The level-0 image of the bound texture, rows packed, bottom row first.
std::vector<unsigned char> texels()
{
    std::vector<unsigned char> bytes(std::size_t(level0(GL_TEXTURE_WIDTH)) *
                                     level0(GL_TEXTURE_HEIGHT) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, bytes.data());
    return bytes;
}

std::string loadCapturingOutput()
{
    testing::internal::CaptureStdout();
    loadBitmapTextures();
    return testing::internal::GetCapturedStdout();
}

TEST(BitmapTextures, GiveEachIdItsPictureWithNearestFiltering)
{
    ScopedWorkDir dir;
    writeTextureFiles();
    const std::string output = loadCapturingOutput();

    // The last upload leaves its texture bound.
    EXPECT_EQ(gl::integer(GL_TEXTURE_BINDING_2D), 2017);

    std::string expectedOutput;
    for (const BitmapTexture& texture : Textures) {
        SCOPED_TRACE(texture.fileName);
        const int slot = texture.slot;
        expectedOutput += "numRows,numCols = " + std::to_string(heightOf(slot)) + "," +
                          std::to_string(widthOf(slot)) + "\n";
        EXPECT_EQ(pixmaps[slot].rowCount, heightOf(slot));
        EXPECT_EQ(pixmaps[slot].columnCount, widthOf(slot));

        glBindTexture(GL_TEXTURE_2D, GLuint(texture.id));
        EXPECT_EQ(level0(GL_TEXTURE_WIDTH), widthOf(slot));
        EXPECT_EQ(level0(GL_TEXTURE_HEIGHT), heightOf(slot));
        EXPECT_EQ(level0(GL_TEXTURE_INTERNAL_FORMAT), GL_RGB);
        EXPECT_EQ(parameter(GL_TEXTURE_MAG_FILTER), GL_NEAREST);
        EXPECT_EQ(parameter(GL_TEXTURE_MIN_FILTER), GL_NEAREST);
        EXPECT_EQ(parameter(GL_TEXTURE_WRAP_S), GL_REPEAT);
        EXPECT_EQ(parameter(GL_TEXTURE_WRAP_T), GL_REPEAT);
        // Row 0 of the file, the bottom of the picture, is the texture's t = 0.
        EXPECT_TRUE(texels() == bytesOf(pictureOf(slot)));
    }
    EXPECT_EQ(output, expectedOutput);

    for (int slot = 17; slot < PixmapSlotCount; ++slot) {
        EXPECT_EQ(pixmaps[slot].pixels, nullptr) << slot;
        EXPECT_EQ(pixmaps[slot].rowCount, 0) << slot;
        EXPECT_EQ(pixmaps[slot].columnCount, 0) << slot;
    }
    // The packed rows of the odd widths went up with alignment 1, and the
    // default is back.
    EXPECT_EQ(gl::integer(GL_UNPACK_ALIGNMENT), 4);
}

TEST(BitmapTextures, AMissingFileLeavesItsTextureEmptyAndTheRestLoaded)
{
    ScopedWorkDir dir;
    writeTextureFiles(false);
    const std::string output = loadCapturingOutput();
    EXPECT_EQ(output.rfind(" can't open file: Porta.bmp\nnumRows,numCols = ", 0), 0u) << output;

    EXPECT_EQ(pixmaps[0].pixels, nullptr);
    glBindTexture(GL_TEXTURE_2D, 2001);
    EXPECT_EQ(level0(GL_TEXTURE_WIDTH), 0);
    EXPECT_EQ(level0(GL_TEXTURE_HEIGHT), 0);
    EXPECT_EQ(parameter(GL_TEXTURE_MIN_FILTER), GL_NEAREST);
    for (const BitmapTexture& texture : Textures) {
        if (texture.id == 2001)
            continue;
        SCOPED_TRACE(texture.fileName);
        glBindTexture(GL_TEXTURE_2D, GLuint(texture.id));
        EXPECT_EQ(level0(GL_TEXTURE_WIDTH), widthOf(texture.slot));
        EXPECT_EQ(level0(GL_TEXTURE_HEIGHT), heightOf(texture.slot));
    }
}

TEST(BitmapTextures, APictureWithNoPixelsGetsItsSizeAndNoData)
{
    // An empty pixmap, and the one a failed allocation leaves: the size of
    // the file and no pixels.
    Pixmap empty;
    empty.uploadAsTexture(3001);
    EXPECT_EQ(gl::integer(GL_TEXTURE_BINDING_2D), 3001);
    EXPECT_EQ(level0(GL_TEXTURE_WIDTH), 0);
    EXPECT_EQ(level0(GL_TEXTURE_HEIGHT), 0);

    Pixmap unallocated;
    unallocated.rowCount = 32;
    unallocated.columnCount = 64;
    unallocated.uploadAsTexture(3002);
    EXPECT_EQ(level0(GL_TEXTURE_WIDTH), 64);
    EXPECT_EQ(level0(GL_TEXTURE_HEIGHT), 32);
}

TEST(BitmapTextures, OddWidthsUploadPackedRowsAndRestoreTheUnpackAlignment)
{
    for (int width : {1, 2, 3, 5, 6, 7}) {
        SCOPED_TRACE(width);
        std::vector<PixelRGB> pixels(std::size_t(width) * 3);
        for (std::size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = {std::uint8_t(i + 1), std::uint8_t(100 + i), std::uint8_t(250 - i)};
        Pixmap pixmap;
        pixmap.pixels = pixels.data();
        pixmap.rowCount = 3;
        pixmap.columnCount = width;
        for (GLint alignment : {4, 8, 2}) {
            glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
            pixmap.uploadAsTexture(3003);
            EXPECT_EQ(gl::integer(GL_UNPACK_ALIGNMENT), alignment);
            EXPECT_TRUE(texels() == bytesOf(pixels));
        }
    }
    // A width that is a multiple of 4 needs no change: rows of 12 bytes.
    std::vector<PixelRGB> four(8, PixelRGB{1, 2, 3});
    Pixmap pixmap;
    pixmap.pixels = four.data();
    pixmap.rowCount = 2;
    pixmap.columnCount = 4;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    pixmap.uploadAsTexture(3004);
    EXPECT_TRUE(texels() == bytesOf(four));
    EXPECT_EQ(gl::integer(GL_UNPACK_ALIGNMENT), 4);
}

} // namespace
