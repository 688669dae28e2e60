// Canvas and field storage, relief shading and the two file encodings.
#include "image_canvas.h"

#include <cmath>
#include <cstdint>
#include <fstream>

Canvas::Canvas(int width, int height, Colour fill)
    : width_(width), height_(height), pixels_(std::size_t(width) * std::size_t(height), fill)
{
}

Field::Field(int width, int height, double fill)
    : width_(width), height_(height), values_(std::size_t(width) * std::size_t(height), fill)
{
}

Field shadeFromHeight(const Field& height)
{
    // Light direction (towards the light): up-left and above, normalised.
    constexpr double lx = -0.5, ly = 0.5, lz = 0.70710678118654752;
    Field shade(height.width(), height.height());
    for (int y = 0; y < height.height(); ++y)
        for (int x = 0; x < height.width(); ++x) {
            const double dx = 0.5 * (height.wrapped(x + 1, y) - height.wrapped(x - 1, y));
            const double dy = 0.5 * (height.wrapped(x, y + 1) - height.wrapped(x, y - 1));
            // Normal (-dx, -dy, 1) / length; the sqrt is exactly rounded, so
            // the result is the same on every build.
            const double length = std::sqrt(dx * dx + dy * dy + 1);
            const double lit = (-dx * lx - dy * ly + lz) / length;
            shade.at(x, y) = lit / lz;
        }
    return shade;
}

namespace {

unsigned char toByte(double v)
{
    if (!(v > 0))
        return 0;
    if (v >= 1)
        return 255;
    return static_cast<unsigned char>(std::floor(v * 255 + 0.5));
}

void putUInt16(std::vector<unsigned char>& out, std::uint16_t v)
{
    out.push_back(static_cast<unsigned char>(v & 0xFF));
    out.push_back(static_cast<unsigned char>(v >> 8));
}

void putUInt32(std::vector<unsigned char>& out, std::uint32_t v)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<unsigned char>((v >> shift) & 0xFF));
}

} // namespace

std::vector<unsigned char> encodeBmp(const Canvas& canvas)
{
    const std::uint32_t width = std::uint32_t(canvas.width());
    const std::uint32_t height = std::uint32_t(canvas.height());
    const std::uint32_t rowBytes = (3 * width + 3) / 4 * 4;
    const std::uint32_t imageBytes = rowBytes * height;

    std::vector<unsigned char> out;
    out.reserve(54 + imageBytes);
    out.push_back('B');
    out.push_back('M');
    putUInt32(out, 54 + imageBytes); // bfSize
    putUInt16(out, 0);               // bfReserved1
    putUInt16(out, 0);               // bfReserved2
    putUInt32(out, 54);              // bfOffBits
    putUInt32(out, 40);              // biSize
    putUInt32(out, width);           // biWidth
    putUInt32(out, height);          // biHeight: positive, bottom-up
    putUInt16(out, 1);               // biPlanes
    putUInt16(out, 24);              // biBitCount
    putUInt32(out, 0);               // biCompression: none
    putUInt32(out, imageBytes);      // biSizeImage
    putUInt32(out, 2835);            // biXPelsPerMeter (72 dpi)
    putUInt32(out, 2835);            // biYPelsPerMeter
    putUInt32(out, 0);               // biClrUsed
    putUInt32(out, 0);               // biClrImportant
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            const Colour& c = canvas.at(x, y);
            out.push_back(toByte(c.b));
            out.push_back(toByte(c.g));
            out.push_back(toByte(c.r));
        }
        for (std::uint32_t pad = 3 * width; pad < rowBytes; ++pad)
            out.push_back(0);
    }
    return out;
}

std::vector<unsigned char> encodeRaw(const Canvas& canvas)
{
    std::vector<unsigned char> out;
    out.reserve(std::size_t(canvas.width()) * std::size_t(canvas.height()) * 3);
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x) {
            const Colour& c = canvas.at(x, y);
            out.push_back(toByte(c.r));
            out.push_back(toByte(c.g));
            out.push_back(toByte(c.b));
        }
    return out;
}

bool writeBytes(const std::string& path, const std::vector<unsigned char>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}
