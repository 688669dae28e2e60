// The BMP decoder behind Pixmap::loadBmp: uncompressed 24-bit Windows BMP
// from any byte stream into a Pixmap, with no GL and no display, so that unit
// tests, tools and fuzzers call it directly. Entry points: readBmp (a stream
// or a byte buffer), probeBmp (one call for a fuzzer).
//
// What it accepts: 24 bits a pixel, biCompression 0, a width of 1 to
// BmpMaxSide pixels and a height of 0 to BmpMaxSide (a negative height is a
// top-down file), pixel rows at bfOffBits. The result is always bottom row
// first, red first, unpadded; a height of 0 gives an empty picture.
#pragma once

#include "image/pixmap.h"

#include <cstddef>
#include <cstdint>
#include <iosfwd>

// The file header (14 bytes) and the 40-byte info header that every reader
// of the format understands; larger info headers begin with the same fields.
constexpr std::size_t BmpHeaderBytes = 54;

// Largest width or height taken, in pixels: the largest texture a GL is
// likely to accept, and small enough that no size computation overflows.
constexpr std::int64_t BmpMaxSide = 16384;

// Reads one BMP file from `in`, from its first byte, into `pixmap`, and
// writes the reader's messages to `messages`. 1 when the whole picture has
// been read, 0 otherwise. A refused header leaves the pixmap untouched; a
// file that ends inside its pixel rows leaves a whole picture whose missing
// rows are black. An array the pixmap held before is freed when a new one
// replaces it.
int readBmp(std::istream& in, Pixmap& pixmap, std::ostream& messages);

// The same on a file held in memory.
int readBmp(const unsigned char* data, std::size_t size, Pixmap& pixmap,
            std::ostream& messages);

// Reads a file held in memory into a scratch pixmap, discards the messages
// and frees the pixels again; the result is readBmp's. For fuzzing.
int probeBmp(const unsigned char* data, std::size_t size);
