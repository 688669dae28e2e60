// Canvas and field storage, relief shading and the two file encodings.
#include "image_canvas.h"

#include "image/bmp_writer.h"

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

} // namespace

std::vector<unsigned char> encodeBmp(const Canvas& canvas)
{
    // The program's own BMP writer, which the importer also uses: one
    // layout for every bitmap the project writes.
    std::vector<PixelRGB> pixels;
    pixels.reserve(std::size_t(canvas.width()) * std::size_t(canvas.height()));
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x) {
            const Colour& c = canvas.at(x, y);
            pixels.push_back({toByte(c.r), toByte(c.g), toByte(c.b)});
        }
    return encodeBmp24(pixels, canvas.height(), canvas.width());
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
