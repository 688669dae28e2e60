// The program's desktop icon: the front of the house on its grass under the
// sky, painted from the default scene's own textures (wall, roof, door,
// windows, grass, sky), each scaled down by averaging, and written as a
// 64 x 64 PNG.
//   make_icon DATA_FOLDER OUTPUT.png
#include "image/bmp_reader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int IconSide = 64;

// The icon's pixels, top row first.
using Icon = std::array<std::array<PixelRGB, IconSide>, IconSide>;

// A part of a texture, as fractions of its width and height measured from
// its top-left corner, as the picture is seen.
struct Area {
    double left = 0, top = 0, right = 1, bottom = 1;
};

// A texture read from the scene's folder; its pixels go with it.
struct Texture {
    Texture(const std::string& folder, const char* name)
    {
        std::ifstream in(folder + "/" + name, std::ios::binary);
        std::ostringstream messages;
        if (!in || !readBmp(in, pixmap, messages)) {
            std::fprintf(stderr, "make_icon: cannot read %s/%s\n", folder.c_str(), name);
            std::exit(1);
        }
    }
    ~Texture() { delete[] pixmap.pixels; }
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    Pixmap pixmap;
};

// The mean colour of the texels of `area` that fall in the cell (column,
// row) of a grid of columns x rows cells laid over it.
PixelRGB cellMean(const Pixmap& texture, const Area& area, int column, int row, int columns,
                  int rows)
{
    const double width = texture.columnCount, height = texture.rowCount;
    const double spanX = (area.right - area.left) / columns;
    const double spanY = (area.bottom - area.top) / rows;
    const int x0 = int(width * (area.left + column * spanX));
    const int x1 = std::max(x0 + 1, int(width * (area.left + (column + 1) * spanX)));
    const int y0 = int(height * (area.top + row * spanY));
    const int y1 = std::max(y0 + 1, int(height * (area.top + (row + 1) * spanY)));
    std::uint64_t red = 0, green = 0, blue = 0, count = 0;
    for (int y = y0; y < y1 && y < texture.rowCount; ++y) {
        // Pixmap rows run bottom up; y counts from the top.
        const PixelRGB* line = texture.pixels + std::size_t(texture.rowCount - 1 - y) * texture.columnCount;
        for (int x = x0; x < x1 && x < texture.columnCount; ++x, ++count) {
            red += line[x].red;
            green += line[x].green;
            blue += line[x].blue;
        }
    }
    if (count == 0)
        return {};
    return {std::uint8_t(red / count), std::uint8_t(green / count), std::uint8_t(blue / count)};
}

// Paints `area` of `texture` over the icon's rectangle from (left, top),
// width x height pixels, where `inside(x, y)` holds (icon coordinates).
template <typename Shape>
void paint(Icon& icon, const Texture& texture, const Area& area, int left, int top, int width,
           int height, Shape inside)
{
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column)
            if (inside(left + column, top + row))
                icon[top + row][left + column] =
                    cellMean(texture.pixmap, area, column, row, width, height);
}

void paintRectangle(Icon& icon, const Texture& texture, const Area& area, int left, int top,
                    int width, int height)
{
    paint(icon, texture, area, left, top, width, height, [](int, int) { return true; });
}

// --- PNG: 8-bit RGB, no interlace, the pixel data in stored deflate blocks.

std::uint32_t crc32(const unsigned char* data, std::size_t size, std::uint32_t crc = 0)
{
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void appendBigEndian(std::vector<unsigned char>& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<unsigned char>(value >> shift));
}

void appendChunk(std::vector<unsigned char>& png, const char* type,
                 const std::vector<unsigned char>& data)
{
    appendBigEndian(png, std::uint32_t(data.size()));
    std::vector<unsigned char> typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    png.insert(png.end(), typed.begin(), typed.end());
    appendBigEndian(png, crc32(typed.data(), typed.size()));
}

// A zlib stream of stored (uncompressed) deflate blocks.
std::vector<unsigned char> zlibStored(const std::vector<unsigned char>& raw)
{
    std::vector<unsigned char> out = {0x78, 0x01};
    constexpr std::size_t MaxBlock = 65535;
    std::size_t at = 0;
    do {
        const std::size_t size = std::min(MaxBlock, raw.size() - at);
        const bool last = at + size == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back(static_cast<unsigned char>(size));
        out.push_back(static_cast<unsigned char>(size >> 8));
        out.push_back(static_cast<unsigned char>(~size));
        out.push_back(static_cast<unsigned char>(~size >> 8));
        out.insert(out.end(), raw.begin() + at, raw.begin() + at + size);
        at += size;
    } while (at < raw.size());
    std::uint32_t a = 1, b = 0;
    for (unsigned char byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    appendBigEndian(out, b << 16 | a);
    return out;
}

std::vector<unsigned char> encodePng(const Icon& icon)
{
    std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<unsigned char> header;
    appendBigEndian(header, IconSide);
    appendBigEndian(header, IconSide);
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter, no interlace
    appendChunk(png, "IHDR", header);
    std::vector<unsigned char> raw;
    for (const auto& row : icon) {
        raw.push_back(0);  // filter type None
        for (const PixelRGB& p : row)
            raw.insert(raw.end(), {p.red, p.green, p.blue});
    }
    appendChunk(png, "IDAT", zlibStored(raw));
    appendChunk(png, "IEND", {});
    return png;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_icon DATA_FOLDER OUTPUT.png\n");
        return 2;
    }
    const std::string data = argv[1];
    Icon icon{};

    // The sky texture is a sphere map: its lower half holds the clouds
    // seen from below.
    paintRectangle(icon, Texture(data, "ceu.bmp"), {0.2, 0.6, 0.8, 0.85}, 0, 0, 64, 40);
    paintRectangle(icon, Texture(data, "Relva1.bmp"), {}, 0, 40, 64, 24);
    // A hipped roof seen from the front: a trapezoid over the wall.
    paint(icon, Texture(data, "Telhado1.bmp"), {}, 3, 16, 58, 13, [](int x, int y) {
        const int inset = (28 - y);  // one pixel in on each side per row up
        return x >= 3 + inset && x <= 60 - inset;
    });
    paintRectangle(icon, Texture(data, "Parede1.bmp"), {}, 7, 29, 50, 20);
    const Texture window(data, "Janela1.bmp");
    paintRectangle(icon, window, {}, 12, 33, 10, 9);
    paintRectangle(icon, window, {}, 42, 33, 10, 9);
    paintRectangle(icon, Texture(data, "Porta.bmp"), {}, 28, 35, 8, 14);

    const std::vector<unsigned char> png = encodePng(icon);
    std::ofstream out(argv[2], std::ios::binary);
    out.write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
    if (!out) {
        std::fprintf(stderr, "make_icon: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
