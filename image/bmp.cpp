// BMP reader: Pixmap::loadBmp opens the file by name and hands the stream to
// readBmp, which reads the 54 header bytes in one call, checks them, skips to
// the pixel rows and reads them one row per call, blue-green-red to
// red-green-blue. Entry points: Pixmap::loadBmp, readBmp, probeBmp.
#include "image/bmp_reader.h"

#include <algorithm>
#include <fstream>
#include <iostream>
#include <istream>
#include <new>
#include <ostream>
#include <streambuf>
#include <vector>

namespace {

// Byte positions of the header fields that are used; every other field
// (signature, sizes, planes, densities, palette counts) is ignored.
constexpr std::size_t OffBitsAt = 10;      // bfOffBits: where the pixel rows start
constexpr std::size_t WidthAt = 18;        // biWidth, pixels
constexpr std::size_t HeightAt = 22;       // biHeight, pixels; negative when top-down
constexpr std::size_t BitCountAt = 28;     // biBitCount
constexpr std::size_t CompressionAt = 30;  // biCompression: 0 is uncompressed

// Little-endian fields: the first byte is the least significant.
std::uint16_t readUInt16LE(const unsigned char* bytes)
{
    return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}

std::uint32_t readUInt32LE(const unsigned char* bytes)
{
    return std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 |
           std::uint32_t(bytes[2]) << 16 | std::uint32_t(bytes[3]) << 24;
}

std::int32_t readInt32LE(const unsigned char* bytes)
{
    const std::uint32_t u = readUInt32LE(bytes);
    return u <= 0x7fffffffu ? std::int32_t(u) : -std::int32_t(~u) - 1;
}

// Bytes in memory seen as an input stream.
class MemoryBuffer : public std::streambuf {
public:
    MemoryBuffer(const unsigned char* data, std::size_t size)
    {
        char* begin = const_cast<char*>(reinterpret_cast<const char*>(data));
        setg(begin, begin, begin + size);
    }
};

// An output stream buffer that drops everything.
class NullBuffer : public std::streambuf {
protected:
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

} // namespace

int readBmp(std::istream& in, Pixmap& pixmap, std::ostream& messages)
{
    unsigned char header[BmpHeaderBytes];
    in.read(reinterpret_cast<char*>(header), sizeof header);
    if (in.gcount() != std::streamsize(sizeof header)) {
        messages << "not a BMP file: it ends inside its " << BmpHeaderBytes
                 << " header bytes\n";
        return 0;
    }
    const std::uint32_t offBits = readUInt32LE(header + OffBitsAt);
    const std::int32_t width = readInt32LE(header + WidthAt);
    const std::int32_t height = readInt32LE(header + HeightAt);
    const std::uint16_t bitCount = readUInt16LE(header + BitCountAt);
    const std::uint32_t compression = readUInt32LE(header + CompressionAt);

    if (bitCount != 24) {
        messages << "not a 24 bit/pixelimage!\n";
        return 0;
    }
    if (compression != 0) {
        messages << "not an uncompressed image (biCompression " << compression << ")!\n";
        return 0;
    }
    // 64-bit, so that neither the top-down height's sign nor a product of
    // two sides can overflow.
    const bool topDown = height < 0;
    const std::int64_t rows = topDown ? -std::int64_t(height) : std::int64_t(height);
    const std::int64_t columns = width;
    // A height of 0 is a picture with no rows: it reads as an empty picture
    // of its width, and becomes an empty texture.
    if (columns < 1 || columns > BmpMaxSide || rows > BmpMaxSide) {
        messages << "bad image size " << width << " x " << height << ": width must be 1 to "
                 << BmpMaxSide << " pixels, height 0 to " << BmpMaxSide << "\n";
        return 0;
    }
    // The rows start at bfOffBits, after whatever lies between: a larger
    // info header, bit masks, a colour table, a gap.
    if (offBits < BmpHeaderBytes) {
        messages << "bad pixel data offset " << offBits << ": inside the headers\n";
        return 0;
    }
    const std::streamsize gap = std::streamsize(offBits - BmpHeaderBytes);
    in.ignore(gap);
    if (in.gcount() != gap) {
        messages << "bad pixel data offset " << offBits << ": past the end of the file\n";
        return 0;
    }

    pixmap.rowCount = std::int32_t(rows);
    pixmap.columnCount = std::int32_t(columns);
    messages << "numRows,numCols = " << pixmap.rowCount << "," << pixmap.columnCount
             << std::endl;

    delete[] pixmap.pixels;
    // Each pixel is constructed black, so that rows a short file lacks are black.
    pixmap.pixels = new (std::nothrow) PixelRGB[std::size_t(rows * columns)];
    if (!pixmap.pixels)
        return 0;

    // A row in the file is 3 bytes a pixel, padded to a multiple of 4 bytes.
    const std::size_t pixelBytes = 3 * std::size_t(columns);
    const std::size_t rowBytes = (pixelBytes + 3) / 4 * 4;
    std::vector<unsigned char> row(rowBytes);
    for (std::int64_t fileRow = 0; fileRow < rows; ++fileRow) {
        in.read(reinterpret_cast<char*>(row.data()), std::streamsize(rowBytes));
        const std::size_t got = std::size_t(in.gcount());
        // Pixmap row 0 is the bottom of the picture, which a top-down file
        // stores last.
        const std::int64_t pixmapRow = topDown ? rows - 1 - fileRow : fileRow;
        PixelRGB* out = pixmap.pixels + std::size_t(pixmapRow * columns);
        const std::size_t whole = std::min(got, pixelBytes) / 3;
        for (std::size_t c = 0; c < whole; ++c) {
            out[c].red = row[3 * c + 2];
            out[c].green = row[3 * c + 1];
            out[c].blue = row[3 * c];
        }
        // The padding of the last row may be missing: the picture is whole.
        if (got < pixelBytes) {
            messages << "file ends before its last pixel row: " << fileRow << " of "
                     << rows << " rows read, the rest left black\n";
            return 0;
        }
    }
    return 1;
}

int readBmp(const unsigned char* data, std::size_t size, Pixmap& pixmap,
            std::ostream& messages)
{
    MemoryBuffer buffer(data, size);
    std::istream in(&buffer);
    return readBmp(in, pixmap, messages);
}

int probeBmp(const unsigned char* data, std::size_t size)
{
    Pixmap scratch;
    NullBuffer sink;
    std::ostream messages(&sink);
    const int result = readBmp(data, size, scratch, messages);
    delete[] scratch.pixels;
    return result;
}

int Pixmap::loadBmp(const std::string& fileName)
{
    std::ifstream file(fileName, std::ios::binary);
    if (!file.is_open()) {
        std::cout << " can't open file: " << fileName << '\n';
        return 0;
    }
    return readBmp(file, *this, std::cout);
}
