// An RGB picture in memory, between its BMP file and its GL texture object.
// Entry points: Pixmap::loadBmp (image/bmp.cpp), Pixmap::uploadAsTexture
// (image/textures.cpp).
#pragma once

#include <cstdint>
#include <string>

// A GL texture object name. The program never asks the GL to generate names:
// every texture it uses has a fixed id.
using TextureId = std::int32_t;

// One 24-bit pixel, red first: an array of them is GL_RGB / GL_UNSIGNED_BYTE.
struct PixelRGB {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
};
static_assert(sizeof(PixelRGB) == 3, "PixelRGB must be packed");

// Row-major, packed rows of columnCount pixels; row 0 is the bottom row of the
// picture, which the GL places at t = 0. The pixel array is never freed: every
// pixmap of the program lives until the process ends.
class Pixmap {
public:
    PixelRGB* pixels = nullptr;  // null while empty
    std::int32_t rowCount = 0;     // height
    std::int32_t columnCount = 0;  // width

    // Reads a 24-bit uncompressed BMP file; 1 on success, 0 on failure, with
    // the reader's messages on standard output. The decoding itself, on any
    // stream or bytes in memory, is readBmp (image/bmp_reader.h).
    int loadBmp(const std::string& fileName);

    // Binds textureId and gives it this picture as its level-0 image.
    void uploadAsTexture(TextureId textureId);
};
