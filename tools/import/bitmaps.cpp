// The model's looks in 15 bitmaps: each picture in a bitmap of its own while
// there are ids enough, the rest packed into one atlas (faces cut where their
// texture coordinates cross a repeat, so that nothing of a neighbour shows),
// and the flat colours as texels of one palette bitmap. Entry points:
// decodePicture(), makeBitmaps(), modelTextureIds(), bitmapFileName().
#include "import.h"

#include "image/textures.h"

#include <stb_image.h>
#include <stb_image_resize.h>
#include <stb_rect_pack.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <tuple>

namespace {

constexpr int SkyId = 2016, LawnId = 2008;
constexpr int SmallestSide = 4;  // rows of 3-byte pixels stay a multiple of 4 bytes

bool readFile(const std::string& path, std::vector<unsigned char>& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// The power of two nearest to `side` (in ratio), within the limits.
int powerOfTwoSide(int side, int largest)
{
    int best = SmallestSide;
    while (best < largest && double(best) * 1.5 < side)
        best *= 2;
    return best;
}

Picture resized(const Picture& in, int width, int height)
{
    if (in.width == width && in.height == height)
        return in;
    Picture out;
    out.width = width;
    out.height = height;
    out.pixels.resize(std::size_t(width) * std::size_t(height));
    stbir_resize_uint8(reinterpret_cast<const unsigned char*>(in.pixels.data()), in.width,
                       in.height, 0, reinterpret_cast<unsigned char*>(out.pixels.data()), width,
                       height, 0, 3);
    return out;
}

// A corner of a piece of a quad, for cutting.
struct Corner {
    Point3d p;
    double s, t;
};

Corner lerp(const Corner& a, const Corner& b, double f)
{
    return {{a.p.x + (b.p.x - a.p.x) * f, a.p.y + (b.p.y - a.p.y) * f, a.p.z + (b.p.z - a.p.z) * f},
            a.s + (b.s - a.s) * f,
            a.t + (b.t - a.t) * f};
}

// Keeps the part of a convex polygon where sign * (coordinate - limit) >= 0,
// the coordinate being s (along = true) or t.
std::vector<Corner> clip(const std::vector<Corner>& in, bool alongS, double limit, double sign)
{
    std::vector<Corner> out;
    const std::size_t n = in.size();
    for (std::size_t i = 0; i < n; ++i) {
        const Corner& a = in[i];
        const Corner& b = in[(i + 1) % n];
        const double da = sign * ((alongS ? a.s : a.t) - limit);
        const double db = sign * ((alongS ? b.s : b.t) - limit);
        if (da >= 0)
            out.push_back(a);
        if ((da >= 0) != (db >= 0))
            out.push_back(lerp(a, b, da / (da - db)));
    }
    return out;
}

double area(const std::vector<Corner>& polygon)
{
    Point3d sum{};
    for (std::size_t i = 1; i + 1 < polygon.size(); ++i) {
        const Point3d u{polygon[i].p.x - polygon[0].p.x, polygon[i].p.y - polygon[0].p.y,
                       polygon[i].p.z - polygon[0].p.z};
        const Point3d v{polygon[i + 1].p.x - polygon[0].p.x, polygon[i + 1].p.y - polygon[0].p.y,
                       polygon[i + 1].p.z - polygon[0].p.z};
        sum = {sum.x + u.y * v.z - u.z * v.y, sum.y + u.z * v.x - u.x * v.z,
               sum.z + u.x * v.y - u.y * v.x};
    }
    return std::sqrt(sum.x * sum.x + sum.y * sum.y + sum.z * sum.z) / 2;
}

// The repeats [i0, i1] x [j0, j1] that a quad's coordinates cover; a
// coordinate on a whole number belongs to the repeat it closes.
struct CellRange {
    long i0, i1, j0, j1;
    long count() const { return (i1 - i0 + 1) * (j1 - j0 + 1); }
};

CellRange cellsOf(const WorldQuad& q)
{
    const double s0 = *std::min_element(q.s, q.s + 4), s1 = *std::max_element(q.s, q.s + 4);
    const double t0 = *std::min_element(q.t, q.t + 4), t1 = *std::max_element(q.t, q.t + 4);
    constexpr double Slack = 1e-6;
    CellRange r{long(std::floor(s0 + Slack)), long(std::ceil(s1 - Slack)) - 1,
                long(std::floor(t0 + Slack)), long(std::ceil(t1 - Slack)) - 1};
    r.i1 = std::max(r.i1, r.i0);
    r.j1 = std::max(r.j1, r.j0);
    return r;
}

// Where a picture lies in the atlas, in texels.
struct AtlasPlace {
    int x = 0, y = 0, width = 0, height = 0;
};

// The quad cut at every whole s and t it crosses, each piece's coordinates
// moved into the picture's place in the atlas: s in [i, i + 1] maps onto
// the texel centres x + 0.5 .. x + width - 0.5, so that nearest filtering
// never reaches a neighbour's texel. Pieces are convex polygons, given back
// as fans of quads (a triangle repeating its last corner).
void cutIntoAtlas(const WorldQuad& q, const AtlasPlace& place, int atlasWidth, int atlasHeight,
                  std::vector<WorldQuad>& out)
{
    std::vector<Corner> polygon;
    for (int k = 0; k < 4; ++k) {
        const Corner c{q.corner[k], q.s[k], q.t[k]};
        if (polygon.empty() || c.p.x != polygon.back().p.x || c.p.y != polygon.back().p.y ||
            c.p.z != polygon.back().p.z)
            polygon.push_back(c);
    }
    const double whole = area(polygon);
    const CellRange cells = cellsOf(q);
    const bool single = cells.count() == 1;
    for (long j = cells.j0; j <= cells.j1; ++j)
        for (long i = cells.i0; i <= cells.i1; ++i) {
            std::vector<Corner> piece = polygon;
            if (!single) {
                piece = clip(piece, true, double(i), 1);
                piece = clip(piece, true, double(i + 1), -1);
                piece = clip(piece, false, double(j), 1);
                piece = clip(piece, false, double(j + 1), -1);
                if (piece.size() < 3 || area(piece) <= 1e-9 * whole)
                    continue;
            }
            for (Corner& c : piece) {
                const double u = std::clamp(c.s - double(i), 0.0, 1.0);
                const double v = std::clamp(c.t - double(j), 0.0, 1.0);
                c.s = (place.x + 0.5 + u * (place.width - 1)) / atlasWidth;
                c.t = (place.y + 0.5 + v * (place.height - 1)) / atlasHeight;
            }
            for (std::size_t first = 1; first + 1 < piece.size(); first += 2) {
                WorldQuad part = q;
                const Corner* corners[4] = {&piece[0], &piece[first], &piece[first + 1],
                                            &piece[std::min(first + 2, piece.size() - 1)]};
                for (int k = 0; k < 4; ++k) {
                    part.corner[k] = corners[k]->p;
                    part.s[k] = corners[k]->s;
                    part.t[k] = corners[k]->t;
                }
                out.push_back(part);
            }
        }
}

} // namespace

std::vector<int> modelTextureIds()
{
    std::vector<int> ids;
    for (const BitmapTexture& texture : BitmapTextureTable)
        if (texture.id != SkyId && texture.id != LawnId)
            ids.push_back(texture.id);
    std::sort(ids.begin(), ids.end());
    return ids;
}

const char* bitmapFileName(int id)
{
    for (const BitmapTexture& texture : BitmapTextureTable)
        if (texture.id == id)
            return texture.fileName;
    return "";
}

bool decodePicture(const SourcePicture& source, Picture& picture, std::string& why)
{
    if (!source.texels.empty()) {
        picture.width = source.width;
        picture.height = source.height;
        picture.pixels = source.texels;
        return true;
    }
    std::vector<unsigned char> bytes = source.encoded;
    std::error_code error;
    if (!source.path.empty() && !std::filesystem::exists(source.path, error)) {
        why = "is not found (looked for as " + source.path + ")";
        return false;
    }
    if (!source.path.empty() && !readFile(source.path, bytes)) {
        why = "cannot be opened (" + std::string(std::strerror(errno)) + ")";
        return false;
    }
    if (bytes.empty() || bytes.size() > std::size_t(1) << 30) {
        why = bytes.empty() ? "is empty" : "is too large";
        return false;
    }
    int width = 0, height = 0, channels = 0;
    unsigned char* data =
        stbi_load_from_memory(bytes.data(), int(bytes.size()), &width, &height, &channels, 3);
    if (!data) {
        // stb names no reason for some broken pictures.
        const char* reason = stbi_failure_reason();
        why = std::string("cannot be decoded (") +
              (reason && *reason ? reason : "not a picture stb reads") + ")";
        return false;
    }
    // stb gives the top row first; the bitmaps hold the bottom row first.
    picture.width = width;
    picture.height = height;
    picture.pixels.resize(std::size_t(width) * std::size_t(height));
    for (int y = 0; y < height; ++y)
        std::copy_n(reinterpret_cast<const PixelRGB*>(data) + std::size_t(height - 1 - y) * width,
                    width, picture.pixels.begin() + std::ptrdiff_t(std::size_t(y) * width));
    stbi_image_free(data);
    return true;
}

std::vector<SceneBitmap> makeBitmaps(const SourceModel& model, std::vector<WorldQuad>& quads,
                                     const ImportSettings& settings, BitmapReport& report)
{
    const int largest = settings.maxBitmapSide;

    // A look: a picture under its material's tint. A picture that cannot be
    // read leaves its quads in their material's flat colour.
    std::map<std::tuple<int, int, int, int>, int> lookIds;
    std::vector<int> lookPicture;
    auto lookOf = [&](int material) {
        const SourceMaterial& m = model.materials[std::size_t(material)];
        const auto key = std::make_tuple(m.picture, m.tint.red, m.tint.green, m.tint.blue);
        const auto [it, added] = lookIds.emplace(key, int(lookPicture.size()));
        if (added)
            lookPicture.push_back(m.picture);
        return it->second;
    };
    std::map<int, Picture> decoded;
    std::map<int, bool> unreadable;
    std::map<int, Picture> pictures;  // by look
    for (WorldQuad& q : quads) {
        if (!q.textured)
            continue;
        const int index = model.materials[std::size_t(q.material)].picture;
        if (!decoded.count(index) && !unreadable.count(index)) {
            Picture picture;
            std::string why;
            const SourcePicture& source = model.pictures[std::size_t(index)];
            if (decodePicture(source, picture, why) && picture.width > 0 && picture.height > 0) {
                decoded[index] = resized(picture, powerOfTwoSide(picture.width, largest),
                                         powerOfTwoSide(picture.height, largest));
            } else {
                unreadable[index] = true;
                // A picture that the search found is named by the file found.
                const std::string found = source.foundAs.empty() ? "" : " (found as " + source.path + ")";
                report.warnings.push_back("texture " + source.name + found + " " + why +
                                          "; its material's flat colour is used instead");
            }
        }
        if (unreadable.count(index)) {
            q.textured = false;
            q.colour = model.materials[std::size_t(q.material)].colour;
            continue;
        }
        const int look = lookOf(q.material);
        if (!pictures.count(look)) {
            Picture tinted = decoded[index];
            const PixelRGB tint = model.materials[std::size_t(q.material)].tint;
            for (PixelRGB& p : tinted.pixels)
                p = {std::uint8_t((p.red * tint.red + 127) / 255), std::uint8_t((p.green * tint.green + 127) / 255),
                     std::uint8_t((p.blue * tint.blue + 127) / 255)};
            pictures[look] = std::move(tinted);
        }
    }

    // More flat colours than a palette of largest x largest texels holds
    // (vertex colours of a scanned model, a small --max-texture): each
    // channel keeps fewer bits until they fit.
    std::map<std::tuple<int, int, int>, int> palette;
    for (int dropBits = 0; dropBits <= 8; ++dropBits) {
        const int mask = (0xff << dropBits) & 0xff, half = dropBits > 0 ? 1 << (dropBits - 1) : 0;
        palette.clear();
        for (WorldQuad& q : quads)
            if (!q.textured) {
                if (dropBits > 0)
                    q.colour = {std::uint8_t((q.colour.red & mask) | half),
                                std::uint8_t((q.colour.green & mask) | half),
                                std::uint8_t((q.colour.blue & mask) | half)};
                palette.emplace(std::make_tuple(q.colour.red, q.colour.green, q.colour.blue), 0);
            }
        if (palette.size() <= std::size_t(largest) * std::size_t(largest))
            break;
    }

    // Pictures that repeat most keep a bitmap of their own, where GL_REPEAT
    // repeats them; the rest share the atlas, where a repeat costs a cut.
    std::map<int, long> repeats;
    for (const WorldQuad& q : quads)
        if (q.textured)
            repeats[lookOf(q.material)] += cellsOf(q).count();
    std::vector<int> order;
    for (const auto& entry : pictures)
        order.push_back(entry.first);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return repeats[a] > repeats[b]; });

    const std::vector<int> ids = modelTextureIds();
    const std::size_t free = ids.size() - (palette.empty() ? 0 : 1);
    const std::size_t own = order.size() <= free ? order.size() : free - 1;
    std::vector<SceneBitmap> bitmaps;
    std::map<int, int> ownId;
    for (std::size_t k = 0; k < own; ++k) {
        SceneBitmap bitmap;
        bitmap.id = ids[bitmaps.size()];
        bitmap.picture = pictures[order[k]];
        bitmap.contents = "picture " + model.pictures[std::size_t(lookPicture[std::size_t(order[k])])].name;
        ownId[order[k]] = bitmap.id;
        bitmaps.push_back(std::move(bitmap));
    }

    // The atlas: the other pictures packed into one bitmap of at most
    // largest x largest, all halved until they fit.
    std::map<int, AtlasPlace> places;
    int atlasWidth = 0, atlasHeight = 0, atlasId = 0;
    if (own < order.size()) {
        report.atlasPictures = order.size() - own;
        for (int shrink = 1;; shrink *= 2) {
            std::vector<stbrp_rect> rects;
            for (std::size_t k = own; k < order.size(); ++k) {
                const Picture& p = pictures[order[k]];
                stbrp_rect r{};
                r.id = int(k);
                r.w = std::max(SmallestSide, p.width / shrink);
                r.h = std::max(SmallestSide, p.height / shrink);
                rects.push_back(r);
            }
            std::vector<stbrp_node> nodes(static_cast<std::size_t>(largest));
            stbrp_context context;
            stbrp_init_target(&context, largest, largest, nodes.data(), int(nodes.size()));
            if (!stbrp_pack_rects(&context, rects.data(), int(rects.size()))) {
                const bool smallest = std::all_of(rects.begin(), rects.end(), [](const stbrp_rect& r) {
                    return r.w == SmallestSide && r.h == SmallestSide;
                });
                if (smallest)
                    throw ImportError("has too many pictures for bitmaps of " +
                                      std::to_string(largest) + " texels a side (--max-texture)");
                continue;
            }
            int usedWidth = 0, usedHeight = 0;
            for (const stbrp_rect& r : rects) {
                places[order[std::size_t(r.id)]] = {r.x, r.y, r.w, r.h};
                usedWidth = std::max(usedWidth, r.x + r.w);
                usedHeight = std::max(usedHeight, r.y + r.h);
            }
            atlasWidth = atlasHeight = SmallestSide;
            while (atlasWidth < usedWidth)
                atlasWidth *= 2;
            while (atlasHeight < usedHeight)
                atlasHeight *= 2;
            break;
        }
        SceneBitmap atlas;
        atlas.id = atlasId = ids[bitmaps.size()];
        atlas.picture.width = atlasWidth;
        atlas.picture.height = atlasHeight;
        atlas.picture.pixels.assign(std::size_t(atlasWidth) * std::size_t(atlasHeight), PixelRGB{});
        for (const auto& [index, place] : places) {
            const Picture p = resized(pictures[index], place.width, place.height);
            for (int y = 0; y < place.height; ++y)
                std::copy_n(p.pixels.begin() + std::ptrdiff_t(std::size_t(y) * place.width), place.width,
                            atlas.picture.pixels.begin() +
                                std::ptrdiff_t(std::size_t(place.y + y) * atlasWidth + place.x));
        }
        atlas.contents = "atlas of " + std::to_string(places.size()) + " pictures";
        bitmaps.push_back(std::move(atlas));
    }

    // The palette: one texel a colour, in a square power of two.
    int paletteId = 0, paletteSide = SmallestSide;
    if (!palette.empty()) {
        while (std::size_t(paletteSide) * std::size_t(paletteSide) < palette.size())
            paletteSide *= 2;
        SceneBitmap bitmap;
        bitmap.id = paletteId = ids[bitmaps.size()];
        bitmap.picture.width = bitmap.picture.height = paletteSide;
        bitmap.picture.pixels.assign(std::size_t(paletteSide) * std::size_t(paletteSide), PixelRGB{});
        int next = 0;
        for (auto& [colour, texel] : palette) {
            texel = next++;
            bitmap.picture.pixels[std::size_t(texel)] = {std::uint8_t(std::get<0>(colour)),
                                                         std::uint8_t(std::get<1>(colour)),
                                                         std::uint8_t(std::get<2>(colour))};
        }
        bitmap.contents = "palette of " + std::to_string(palette.size()) + " colours";
        bitmaps.push_back(std::move(bitmap));
    }

    std::vector<WorldQuad> out;
    out.reserve(quads.size());
    for (WorldQuad& q : quads) {
        if (!q.textured) {
            const int texel = palette[std::make_tuple(q.colour.red, q.colour.green, q.colour.blue)];
            q.texture = paletteId;
            for (int k = 0; k < 4; ++k) {
                q.s[k] = (texel % paletteSide + 0.5) / paletteSide;
                q.t[k] = (texel / paletteSide + 0.5) / paletteSide;
            }
            out.push_back(q);
            continue;
        }
        const int index = lookOf(q.material);
        if (ownId.count(index)) {
            q.texture = ownId[index];
            out.push_back(q);
            continue;
        }
        q.texture = atlasId;
        const std::size_t before = out.size();
        cutIntoAtlas(q, places[index], atlasWidth, atlasHeight, out);
        if (out.size() - before > 1)
            ++report.facesCut;
    }
    quads = std::move(out);
    return bitmaps;
}
