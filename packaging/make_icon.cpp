// The program's icon: the front of the house on its grass under the sky,
// painted from the default scene's own textures (wall, roof, door, windows,
// grass, sky), each scaled down by averaging. One drawing, laid out on a
// 64 x 64 grid and painted afresh at each of the icon sizes a desktop asks
// for: a PNG at each size for the Linux icon theme, and one Windows .ico
// that holds them all.
//   make_icon DATA_FOLDER OUTPUT_FOLDER
// writes OUTPUT_FOLDER/mirtal-<size>.png for each size and
// OUTPUT_FOLDER/mirtal.ico.
#include "image/bmp_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The sizes, in pixels a side, of the hicolor theme's usual folders and of
// the Windows shell's views (small, medium, large, extra large icons).
constexpr int IconSizes[] = {16, 32, 48, 64, 128, 256};

// The drawing's grid: shapes below are placed in units of a 64 x 64 icon.
constexpr double GridSide = 64;

// The icon's pixels, top row first.
struct Icon {
    explicit Icon(int side) : side(side), pixels(std::size_t(side) * side) {}
    PixelRGB& at(int x, int y) { return pixels[std::size_t(y) * side + x]; }
    const PixelRGB& at(int x, int y) const { return pixels[std::size_t(y) * side + x]; }

    int side;
    std::vector<PixelRGB> pixels;
};

// A part of a texture, as fractions of its width and height measured from
// its top-left corner, as the picture is seen.
struct Area {
    double left = 0, top = 0, right = 1, bottom = 1;
};

// A rectangle of the drawing, in grid units from the icon's top-left corner.
struct Place {
    double left, top, width, height;
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

// Paints `area` of `texture` over the icon's pixels that `place` covers,
// where `inside(u, v)` holds for the pixel's centre (grid units): each
// pixel gets the mean of its own cell of the area.
template <typename Shape>
void paint(Icon& icon, const Texture& texture, const Area& area, const Place& place, Shape inside)
{
    const double scale = icon.side / GridSide;
    const int left = int(std::lround(place.left * scale));
    const int top = int(std::lround(place.top * scale));
    const int width = std::max(1, int(std::lround((place.left + place.width) * scale)) - left);
    const int height = std::max(1, int(std::lround((place.top + place.height) * scale)) - top);
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column) {
            const int x = left + column, y = top + row;
            if (x < icon.side && y < icon.side && inside((x + 0.5) / scale, (y + 0.5) / scale))
                icon.at(x, y) = cellMean(texture.pixmap, area, column, row, width, height);
        }
}

void paintRectangle(Icon& icon, const Texture& texture, const Area& area, const Place& place)
{
    paint(icon, texture, area, place, [](double, double) { return true; });
}

Icon paintIcon(const std::string& data, int side)
{
    Icon icon(side);
    // The sky texture is a sphere map: its lower half holds the clouds
    // seen from below.
    paintRectangle(icon, Texture(data, "ceu.bmp"), {0.2, 0.6, 0.8, 0.85}, {0, 0, 64, 40});
    paintRectangle(icon, Texture(data, "Relva1.bmp"), {}, {0, 40, 64, 24});
    // A hipped roof seen from the front: a trapezoid over the wall whose
    // sides rise one unit inwards for each unit up.
    paint(icon, Texture(data, "Telhado1.bmp"), {}, {3, 16, 58, 13},
          [](double u, double v) { return u + v >= 32 && u - v <= 32; });
    paintRectangle(icon, Texture(data, "Parede1.bmp"), {}, {7, 29, 50, 20});
    const Texture window(data, "Janela1.bmp");
    paintRectangle(icon, window, {}, {12, 33, 10, 9});
    paintRectangle(icon, window, {}, {42, 33, 10, 9});
    paintRectangle(icon, Texture(data, "Porta.bmp"), {}, {28, 35, 8, 14});
    return icon;
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
    appendBigEndian(header, std::uint32_t(icon.side));
    appendBigEndian(header, std::uint32_t(icon.side));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter, no interlace
    appendChunk(png, "IHDR", header);
    std::vector<unsigned char> raw;
    for (int y = 0; y < icon.side; ++y) {
        raw.push_back(0);  // filter type None
        for (int x = 0; x < icon.side; ++x) {
            const PixelRGB& p = icon.at(x, y);
            raw.insert(raw.end(), {p.red, p.green, p.blue});
        }
    }
    appendChunk(png, "IDAT", zlibStored(raw));
    appendChunk(png, "IEND", {});
    return png;
}

// --- ICO: one image a size, each a 32-bit device-independent bitmap (the
// form every Windows version reads), opaque.

void appendLittleEndian(std::vector<unsigned char>& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

// The bitmap of one icon image: its header (whose height counts the colour
// rows and the mask's rows), the BGRA rows bottom up, then the 1-bit
// transparency mask, all clear, in rows padded to 32 bits.
std::vector<unsigned char> encodeIconImage(const Icon& icon)
{
    const std::uint32_t side = std::uint32_t(icon.side);
    const std::uint32_t maskRow = (side + 31) / 32 * 4;
    std::vector<unsigned char> out;
    appendLittleEndian(out, 40, 4);         // header size
    appendLittleEndian(out, side, 4);       // width
    appendLittleEndian(out, 2 * side, 4);   // height: colours and mask
    appendLittleEndian(out, 1, 2);          // planes
    appendLittleEndian(out, 32, 2);         // bits a pixel
    appendLittleEndian(out, 0, 4);          // no compression
    appendLittleEndian(out, side * side * 4 + maskRow * side, 4);
    for (int i = 0; i < 4; ++i)
        appendLittleEndian(out, 0, 4);      // resolution, palette: none
    for (int y = icon.side - 1; y >= 0; --y)
        for (int x = 0; x < icon.side; ++x) {
            const PixelRGB& p = icon.at(x, y);
            out.insert(out.end(), {p.blue, p.green, p.red, 0xFF});
        }
    out.insert(out.end(), std::size_t(maskRow) * side, 0);
    return out;
}

std::vector<unsigned char> encodeIco(const std::vector<Icon>& icons)
{
    std::vector<unsigned char> ico;
    appendLittleEndian(ico, 0, 2);  // reserved
    appendLittleEndian(ico, 1, 2);  // an icon, not a cursor
    appendLittleEndian(ico, std::uint32_t(icons.size()), 2);
    std::vector<unsigned char> images;
    const std::size_t entrySize = 16;
    for (const Icon& icon : icons) {
        const std::vector<unsigned char> image = encodeIconImage(icon);
        ico.push_back(static_cast<unsigned char>(icon.side & 0xFF));  // 256 is written 0
        ico.push_back(static_cast<unsigned char>(icon.side & 0xFF));
        ico.push_back(0);  // no palette
        ico.push_back(0);  // reserved
        appendLittleEndian(ico, 1, 2);   // planes
        appendLittleEndian(ico, 32, 2);  // bits a pixel
        appendLittleEndian(ico, std::uint32_t(image.size()), 4);
        appendLittleEndian(ico, std::uint32_t(6 + entrySize * icons.size() + images.size()), 4);
        images.insert(images.end(), image.begin(), image.end());
    }
    ico.insert(ico.end(), images.begin(), images.end());
    return ico;
}

bool writeFile(const std::string& path, const std::vector<unsigned char>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "make_icon: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_icon DATA_FOLDER OUTPUT_FOLDER\n");
        return 2;
    }
    const std::string data = argv[1], output = argv[2];
    std::vector<Icon> icons;
    for (int side : IconSizes) {
        icons.push_back(paintIcon(data, side));
        if (!writeFile(output + "/mirtal-" + std::to_string(side) + ".png", encodePng(icons.back())))
            return 1;
    }
    return writeFile(output + "/mirtal.ico", encodeIco(icons)) ? 0 : 1;
}
