// Writes 24-bit uncompressed BMP files in memory, for the tests and tools
// that make pictures for the reader (the program itself writes no files).
// Entry point: encodeBmp24.
#pragma once

#include "image/pixmap.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// How the header of an encoded file departs from the plain 54-byte one.
struct BmpLayout {
    std::uint16_t bitCount = 24;
    std::uint32_t compression = 0;
    bool topDown = false;               // negative biHeight, first row on top
    std::uint32_t infoHeaderBytes = 40; // biSize, at least 40; the bytes past 40 are zero
    std::uint32_t gapBytes = 0;         // filler (a colour table) before the rows
    unsigned char padValue = 0;         // what the row padding holds
};

// A file holding `pixels` (rowCount x columnCount, row 0 at the bottom, as in
// a Pixmap), with the pixel rows at 14 + infoHeaderBytes + gapBytes.
inline std::vector<unsigned char> encodeBmp24(const PixelRGB* pixels, std::int32_t rowCount,
                                              std::int32_t columnCount,
                                              const BmpLayout& layout = {})
{
    const std::size_t rowBytes = (3 * std::size_t(columnCount) + 3) / 4 * 4;
    const std::uint32_t offBits = 14 + layout.infoHeaderBytes + layout.gapBytes;
    const std::size_t size = offBits + rowBytes * std::size_t(rowCount);
    std::vector<unsigned char> file(offBits, 0);
    auto put16 = [&](std::size_t at, std::uint32_t v) {
        file[at] = static_cast<unsigned char>(v);
        file[at + 1] = static_cast<unsigned char>(v >> 8);
    };
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        put16(at, v & 0xffff);
        put16(at + 2, v >> 16);
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, std::uint32_t(size));
    put32(10, offBits);
    put32(14, layout.infoHeaderBytes);
    put32(18, std::uint32_t(columnCount));
    put32(22, layout.topDown ? std::uint32_t(-rowCount) : std::uint32_t(rowCount));
    put16(26, 1);
    put16(28, layout.bitCount);
    put32(30, layout.compression);
    put32(34, std::uint32_t(rowBytes * std::size_t(rowCount)));
    put32(38, 2835);  // 72 dots an inch, in dots a metre
    put32(42, 2835);
    for (std::uint32_t i = 0; i < layout.gapBytes; ++i)
        file[14 + layout.infoHeaderBytes + i] = static_cast<unsigned char>(i);
    file.reserve(size);
    for (std::int32_t fileRow = 0; fileRow < rowCount; ++fileRow) {
        const std::int32_t r = layout.topDown ? rowCount - 1 - fileRow : fileRow;
        const PixelRGB* row = pixels + std::size_t(r) * std::size_t(columnCount);
        for (std::int32_t c = 0; c < columnCount; ++c) {
            file.push_back(row[c].blue);
            file.push_back(row[c].green);
            file.push_back(row[c].red);
        }
        for (std::size_t pad = 3 * std::size_t(columnCount); pad < rowBytes; ++pad)
            file.push_back(layout.padValue);
    }
    return file;
}

inline std::vector<unsigned char> encodeBmp24(const std::vector<PixelRGB>& pixels,
                                              std::int32_t rowCount, std::int32_t columnCount,
                                              const BmpLayout& layout = {})
{
    return encodeBmp24(pixels.data(), rowCount, columnCount, layout);
}
