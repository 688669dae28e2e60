// The default scene in data/: the generator makes exactly the committed
// files, every file reads with the program's own readers without a message,
// the model names only the bitmap textures, the terrain holds only curved
// patches (flat ground is quads), and no two surfaces share a plane
// over the same area (which would flicker as the depth test picks between
// them from frame to frame).
#include "image/bmp_reader.h"
#include "image/textures.h"
#include "scene/quad_model_file.h"
#include "scene/terrain.h"
#include "scene/terrain_file.h"
#include "scene_files.h"
#include "default_scene.h"
#include "textures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <set>
#include <sstream>

namespace {

std::string dataPath(const std::string& name) { return defaultScenePath(name); }

std::set<std::string> fileNamesIn(const std::string& directory)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        names.insert(entry.path().filename().string());
    return names;
}

TEST(DefaultScene, GeneratorMakesTheCommittedFilesByteForByte)
{
    ScopedWorkDir dir;
    makeTextures(dir.path());
    makeSceneFiles(dir.path());

    const std::set<std::string> made = fileNamesIn(dir.path());
    ASSERT_EQ(made, fileNamesIn(std::string(MIRTAL_SOURCE_DIR) + "/data"))
        << "data/ holds other files than make_data writes";
    for (const std::string& name : made)
        EXPECT_TRUE(readFile(dir.path() + "/" + name) == readFile(dataPath(name)))
            << name << " differs from what make_data writes: run make_data data";
}

TEST(DefaultScene, BitmapsAre24BitPowerOfTwoPicturesThatReadWithoutComplaint)
{
    for (const BitmapTexture& texture : BitmapTextureTable) {
        SCOPED_TRACE(texture.fileName);
        const std::vector<unsigned char> file = readFile(dataPath(texture.fileName));
        Pixmap pixmap;
        std::ostringstream messages;
        ASSERT_EQ(readBmp(file.data(), file.size(), pixmap, messages), 1);
        // The only line the reader writes for a good file.
        EXPECT_EQ(messages.str(), "numRows,numCols = " + std::to_string(pixmap.rowCount) + "," +
                                      std::to_string(pixmap.columnCount) + "\n");
        for (int side : {pixmap.rowCount, pixmap.columnCount})
            EXPECT_TRUE(side >= 64 && (side & (side - 1)) == 0) << side;
        delete[] pixmap.pixels;
    }
}

TEST(DefaultScene, RawTexturesHoldOneWhole256By256Image)
{
    for (const RawTextureEntry& raw : RawTextureTable)
        EXPECT_EQ(readFile(dataPath(raw.fileName)).size(), 196608u) << raw.fileName;
}

TEST(DefaultScene, QuadModelReadsInFullAndNamesOnlyBitmapTextures)
{
    testing::internal::CaptureStderr();
    const std::string text = defaultSceneText("data_textura.geo");
    const std::vector<QuadRecord> quads = parseQuadModel(text, "data_textura.geo");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    std::istringstream in(text);
    double count = 0;
    in >> count;
    EXPECT_EQ(double(quads.size()), count);
    EXPECT_GT(quads.size(), 300u);
    for (const QuadRecord& quad : quads) {
        EXPECT_GE(quad.texture, 2001);
        EXPECT_LE(quad.texture, 2017);
        EXPECT_NE(quad.texture, 2016) << "the sky's texture is for the sky sphere";
    }
}

// ---------------------------------------------------------------- geometry

using Point = std::array<double, 3>;

Point minus(const Point& a, const Point& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
double dot(const Point& a, const Point& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Point cross(const Point& a, const Point& b)
{
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

TEST(DefaultScene, TerrainReadsToItsTerminatorWithKindsOneToFourAndNoFlatPatch)
{
    const std::string text = defaultSceneText("data_terreno.geo");
    testing::internal::CaptureStderr();
    const std::vector<TerrainPatch> patches = parseTerrainPatches(text, "data_terreno.geo");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_FALSE(patches.empty());
    for (const TerrainPatch& patch : patches) {
        EXPECT_TRUE(patch.kind >= 1 && patch.kind <= 4) << patch.kind;
        // A patch costs its whole evaluated mesh in every frame, whatever it
        // shows, where a quad costs a few microseconds: flat ground belongs
        // in the quad model. A patch is flat when its nine control points
        // lie on the plane of three of its corners.
        const float* p = patch.controlPoints;
        auto point = [p](int i) { return Point{p[3 * i], p[3 * i + 1], p[3 * i + 2]}; };
        const Point n = cross(minus(point(2), point(0)), minus(point(6), point(0)));
        ASSERT_GT(dot(n, n), 0);
        double furthest = 0;  // from that plane
        for (int i = 0; i < 9; ++i)
            furthest = std::max(furthest, std::abs(dot(n, minus(point(i), point(0)))));
        furthest /= std::sqrt(dot(n, n));
        EXPECT_GT(furthest, 0.5) << "a flat patch of kind " << patch.kind << " at (" << p[0]
                                 << ", " << p[1] << ", " << p[2] << ")";
    }
    // The terminator is the last record: the file ends with kind 69 and its
    // nine points.
    EXPECT_NE(text.rfind("\n69 0 0 0\n"), std::string::npos);
}

// ------------------------------------------------------------ coplanarity

// A flat convex surface: a quad of the model (a triangle where two corners
// coincide).
struct Surface {
    std::string name;
    std::vector<Point> corners;  // distinct corners in order round the outline
    Point normal{};              // unit
    double offset = 0;           // normal . p for every point p of the plane
};

bool makeSurface(std::string name, const std::vector<Point>& points, Surface& surface)
{
    std::vector<Point> corners;
    for (const Point& p : points)
        if (corners.empty() || dot(minus(p, corners.back()), minus(p, corners.back())) > 1e-12)
            corners.push_back(p);
    if (corners.size() > 1 && dot(minus(corners.front(), corners.back()),
                                  minus(corners.front(), corners.back())) <= 1e-12)
        corners.pop_back();
    if (corners.size() < 3)
        return false;
    // Newell's normal of the outline.
    Point n{0, 0, 0};
    for (std::size_t i = 0; i < corners.size(); ++i) {
        const Point& a = corners[i];
        const Point& b = corners[(i + 1) % corners.size()];
        n[0] += (a[1] - b[1]) * (a[2] + b[2]);
        n[1] += (a[2] - b[2]) * (a[0] + b[0]);
        n[2] += (a[0] - b[0]) * (a[1] + b[1]);
    }
    const double length = std::sqrt(dot(n, n));
    if (length < 1e-9)
        return false;
    surface = {std::move(name), corners, {n[0] / length, n[1] / length, n[2] / length}, 0};
    surface.offset = dot(surface.normal, corners[0]);
    return true;
}

// Two convex outlines on one plane overlap over more than a sliver: no edge
// direction of either separates them by more than `slack` (so outlines that
// only touch along an edge do not count).
bool overlapInPlane(const Surface& a, const Surface& b, double slack)
{
    for (const Surface* s : {&a, &b}) {
        for (std::size_t i = 0; i < s->corners.size(); ++i) {
            const Point edge = minus(s->corners[(i + 1) % s->corners.size()], s->corners[i]);
            Point axis = cross(s->normal, edge);
            const double length = std::sqrt(dot(axis, axis));
            if (length < 1e-12)
                continue;
            axis = {axis[0] / length, axis[1] / length, axis[2] / length};
            auto range = [&](const Surface& t) {
                double low = 1e300, high = -1e300;
                for (const Point& p : t.corners) {
                    low = std::min(low, dot(axis, p));
                    high = std::max(high, dot(axis, p));
                }
                return std::pair{low, high};
            };
            const auto [aLow, aHigh] = range(a);
            const auto [bLow, bHigh] = range(b);
            if (std::min(aHigh, bHigh) - std::max(aLow, bLow) <= slack)
                return false;
        }
    }
    return true;
}

bool sharePlane(const Surface& a, const Surface& b, double tolerance)
{
    if (std::abs(dot(a.normal, b.normal)) < 1 - 1e-6)
        return false;
    for (const Point& p : b.corners)
        if (std::abs(dot(a.normal, p) - a.offset) > tolerance)
            return false;
    return true;
}

TEST(DefaultScene, NoTwoSurfacesShareAPlaneOverTheSameArea)
{
    std::vector<Surface> surfaces;
    for (const LabelledQuad& q : defaultSceneQuads()) {
        std::vector<Point> points;
        for (const auto& v : q.quad.vertices)
            points.push_back({v[0], v[1], v[2]});
        Surface surface;
        EXPECT_TRUE(makeSurface(q.label, points, surface)) << q.label << " has no area";
        surfaces.push_back(surface);
    }
    // Surfaces closer than a tenth of a unit (1 cm) count as one plane.
    int reported = 0;
    for (std::size_t i = 0; i < surfaces.size(); ++i)
        for (std::size_t j = i + 1; j < surfaces.size(); ++j)
            if (sharePlane(surfaces[i], surfaces[j], 0.1) &&
                overlapInPlane(surfaces[i], surfaces[j], 0.01) && ++reported <= 20)
                ADD_FAILURE() << surfaces[i].name << " and " << surfaces[j].name
                              << " cover the same area of one plane";
    EXPECT_EQ(reported, 0);
}

TEST(DefaultScene, OverlapCheckFindsACopiedQuadAndPassesNeighbours)
{
    // The check above must see what it looks for: a wall twice over, and
    // two halves of a floor that meet along an edge.
    Surface wall, copy, left, right;
    ASSERT_TRUE(makeSurface("wall", {{0, 0, 0}, {10, 0, 0}, {10, 5, 0}, {0, 5, 0}}, wall));
    ASSERT_TRUE(makeSurface("copy", {{5, 1, 0.05}, {15, 1, 0.05}, {15, 4, 0.05}, {5, 4, 0.05}}, copy));
    ASSERT_TRUE(makeSurface("left", {{0, 0, 0}, {0, 0, 5}, {5, 0, 5}, {5, 0, 0}}, left));
    ASSERT_TRUE(makeSurface("right", {{5, 0, 0}, {5, 0, 5}, {9, 0, 5}, {9, 0, 0}}, right));
    EXPECT_TRUE(sharePlane(wall, copy, 0.1) && overlapInPlane(wall, copy, 0.01));
    EXPECT_TRUE(sharePlane(left, right, 0.1));
    EXPECT_FALSE(overlapInPlane(left, right, 0.01));
}

} // namespace
