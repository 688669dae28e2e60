// The terrain list against the real GL: each patch is a 15 x 15 evaluator
// mesh over its control points with the extended texture map, bound to the
// texture object of its raw image; the images are uploaded once at start-up
// and no bitmap texture object is touched.
#include "app/state.h"
#include "gl_support.h"
#include "scene/quad_model.h"
#include "scene/terrain.h"
#include "test_support.h"

#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cmath>
#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

// A patch record of the given kind whose control points P[r][c] lie at
// (x0 + 15c, y0 + 15r, z[r][c]), colour (kind, 1, 1) so that unlit it
// modulates its texture by white.
std::string patchRecord(int kind, float x0, float y0, const float z[3][3] = nullptr)
{
    std::string text = std::to_string(kind) + " 1 1 0\n";
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            text += std::to_string(3 * r + c + 1) + " " + std::to_string(x0 + 15 * c) + " " +
                    std::to_string(y0 + 15 * r) + " " + std::to_string(z ? z[r][c] : 0.0f) +
                    "\n";
    return text;
}

std::string terrainFile(const std::vector<std::string>& records)
{
    std::string text = "1\n";
    for (const std::string& record : records)
        text += record;
    return text + "69 0 0 0\n";
}

std::vector<unsigned char> solidRaw(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    std::vector<unsigned char> bytes(RawImageBytes);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        bytes[i] = r;
        bytes[i + 1] = g;
        bytes[i + 2] = b;
    }
    return bytes;
}

// A picture that differs in every row and column, so that flips show.
std::vector<unsigned char> patternRaw(int seed)
{
    std::vector<unsigned char> bytes(RawImageBytes);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<unsigned char>((i * 7 + i / 768 * 13 + seed) % 251);
    return bytes;
}

std::vector<unsigned char> textureImage(GLuint id)
{
    glBindTexture(GL_TEXTURE_2D, id);
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    std::vector<unsigned char> bytes(std::size_t(width) * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (!bytes.empty())
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, bytes.data());
    return bytes;
}

GLint filter(GLuint id, GLenum which)
{
    glBindTexture(GL_TEXTURE_2D, id);
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, which, &value);
    return value;
}
GLint minFilter(GLuint id) { return filter(id, GL_TEXTURE_MIN_FILTER); }

// Model units straight to pixels: x in [left, right], y in [bottom, top]
// fill a viewport of the given size; z in [-100, 100].
void orthoView(double left, double right, double bottom, double top, int width, int height)
{
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(left, right, bottom, top, -100, 100);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

struct FeedbackVertex {
    float x, y, z;    // window coordinates, depth in [0, 1]
    float s, t;       // texture coordinates
};
using Polygon = std::vector<FeedbackVertex>;

// The polygons that calling the list sends down the pipeline.
std::vector<Polygon> feedback(GLuint list)
{
    std::vector<GLfloat> buffer(1 << 20);
    glFeedbackBuffer(GLsizei(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    glCallList(list);
    const GLint used = glRenderMode(GL_RENDER);
    std::vector<Polygon> polygons;
    // x y z, RGBA, s t r q per vertex.
    constexpr int VertexFloats = 3 + 4 + 4;
    for (GLint i = 0; i < used;) {
        const GLint token = GLint(buffer[i++]);
        if (token == GL_POLYGON_TOKEN) {
            const GLint count = GLint(buffer[i++]);
            Polygon polygon;
            for (GLint v = 0; v < count; ++v, i += VertexFloats)
                polygon.push_back({buffer[i], buffer[i + 1], buffer[i + 2], buffer[i + 7],
                                   buffer[i + 8]});
            polygons.push_back(polygon);
        } else if (token == GL_PASS_THROUGH_TOKEN) {
            i += 1;
        } else {
            ADD_FAILURE() << "unexpected feedback token " << token;
            break;
        }
    }
    return polygons;
}

class TerrainTest : public testing::Test {
protected:
    // The terrain list is numbered from the quad list's names.
    void load(const std::string& terrain)
    {
        writeFile("data_terreno.geo", terrain);
        loadQuadModel("data_textura.geo");  // absent: an empty quad list
        testing::internal::CaptureStderr();
        loadTerrainPatches("data_terreno.geo");
        errors_ = testing::internal::GetCapturedStderr();
    }

    ScopedWorkDir dir_;
    std::string errors_;
};

TEST_F(TerrainTest, PatchIsA15By15MeshOverItsControlPoints)
{
    // Flat in x and y (so grid point (u, v) lies at (u, v)), curved in z.
    const float z[3][3] = {{0, 30, 0}, {60, -30, 0}, {0, 0, 90}};
    load(terrainFile({patchRecord(5, 0, 0, z)}));
    EXPECT_EQ(errors_, "");
    orthoView(-1, 31, -1, 31, 320, 320);  // window x = 10 (x + 1)
    glEnable(GL_TEXTURE_2D);
    const std::vector<Polygon> polygons = feedback(terrainList);

    std::set<std::pair<int, int>> gridPoints;
    std::size_t vertices = 0;
    double area = 0;
    auto bernstein = [](double a, int i) {
        return i == 0 ? (1 - a) * (1 - a) : i == 1 ? 2 * a * (1 - a) : a * a;
    };
    for (const Polygon& polygon : polygons) {
        for (std::size_t k = 0; k < polygon.size(); ++k) {
            const FeedbackVertex& v = polygon[k];
            const double u = v.x / 10 - 1, w = v.y / 10 - 1;
            const int i = int(std::lround(u / 2)), j = int(std::lround(w / 2));
            // Every vertex is a point of the 2-unit grid over [0, 30]^2 ...
            EXPECT_NEAR(u, 2 * i, 1e-3);
            EXPECT_NEAR(w, 2 * j, 1e-3);
            gridPoints.insert({i, j});
            ++vertices;
            // ... on the surface: control point (i, j) of the map is P[j][i] ...
            double height = 0;
            for (int r = 0; r < 3; ++r)
                for (int c = 0; c < 3; ++c)
                    height += bernstein(2 * i / 30.0, c) * bernstein(2 * j / 30.0, r) * z[r][c];
            EXPECT_NEAR((1 - 2 * v.z) * 100, height, 0.05) << i << "," << j;
            // ... and the texture map is extended past its domain: s = 0.1 v,
            // t = 0.1 u.
            EXPECT_NEAR(v.s, 0.1 * 2 * j, 1e-4);
            EXPECT_NEAR(v.t, 0.1 * 2 * i, 1e-4);
            const FeedbackVertex& n = polygon[(k + 1) % polygon.size()];
            area += (double(v.x) * n.y - double(n.x) * v.y) / 2 / 100;
        }
    }
    EXPECT_EQ(gridPoints.size(), 16u * 16u);
    EXPECT_GT(vertices, 0u);
    // The mesh covers the parameter square once: 15 x 15 cells of 2 x 2.
    EXPECT_NEAR(std::fabs(area), 30.0 * 30.0, 0.5);
    const std::size_t triangles = polygons.size() * (polygons.empty() ? 0 : polygons[0].size() - 2);
    EXPECT_EQ(triangles, 15u * 15u * 2u);
}

TEST_F(TerrainTest, EachPatchShowsItsRawImageOrTheOneTheBufferHeld)
{
    writeFile("Relva1.raw", solidRaw(0, 200, 0));
    // Kind 5 first (nothing read yet: black), grass, kind 5 again (grass).
    load(terrainFile({patchRecord(5, 0, 0), patchRecord(2, 40, 0), patchRecord(5, 80, 0)}));
    orthoView(-5, 125, -5, 35, 260, 80);  // 2 pixels a unit
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glClearColor(0.5f, 0.5f, 0.5f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_TEXTURE_2D);
    glCallList(terrainList);
    const gl::Picture picture = gl::readBackBuffer();
    auto expectColour = [&](int x, int y, int r, int g, int b) {
        const gl::Rgb p = picture.at(x, y);
        EXPECT_EQ(int(p.r), r) << x << "," << y;
        EXPECT_EQ(int(p.g), g) << x << "," << y;
        EXPECT_EQ(int(p.b), b) << x << "," << y;
    };
    expectColour(40, 40, 0, 0, 0);
    expectColour(120, 40, 0, 200, 0);
    expectColour(200, 40, 0, 200, 0);
    expectColour(240, 40, 128, 128, 128);  // beyond the last patch
    // Only the one raw file that the kinds name was needed.
    EXPECT_TRUE(glIsTexture(HeldRawImageTextureId));
    EXPECT_FALSE(glIsTexture(2101));
}

TEST_F(TerrainTest, RawImagesHaveTextureObjectsOfTheirOwn)
{
    // The raw image files of the surface kinds 1 to 4.
    const char* const rawFiles[4] = {"janela.raw", "Relva1.raw", "alcatrao.raw", "cimento2.raw"};
    for (int kind = 1; kind <= 4; ++kind)
        writeFile(rawFiles[kind - 1], patternRaw(kind));
    // A bitmap texture with its own image and filters, bound as the last quad
    // of the model would leave it.
    const unsigned char bitmap[4 * 3] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glBindTexture(GL_TEXTURE_2D, 2007);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 2, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, bitmap);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);

    load(terrainFile({patchRecord(1, 0, 0), patchRecord(2, 0, 0), patchRecord(3, 0, 0),
                      patchRecord(4, 0, 0), patchRecord(2, 40, 0)}));
    EXPECT_EQ(gl::integer(GL_TEXTURE_BINDING_2D), 2007);  // start-up's binding is kept
    EXPECT_EQ(terrainList, quadListBase + 1);

    // Several frames' worth of calls.
    orthoView(-5, 125, -5, 35, 260, 80);
    glEnable(GL_TEXTURE_2D);
    for (int frame = 0; frame < 3; ++frame) {
        glBindTexture(GL_TEXTURE_2D, 2007);
        glCallList(terrainList);
    }
    // The list leaves the last patch's texture bound.
    EXPECT_EQ(gl::integer(GL_TEXTURE_BINDING_2D), 2102);

    for (const RawTextureEntry& entry : RawTextureTable) {
        SCOPED_TRACE(entry.fileName);
        EXPECT_TRUE(glIsTexture(GLuint(entry.textureId)));
        // The file's first row is the image's first row (t = 0), unscaled.
        EXPECT_EQ(textureImage(GLuint(entry.textureId)), patternRaw(entry.kind));
        EXPECT_EQ(minFilter(GLuint(entry.textureId)), GL_LINEAR);
        EXPECT_EQ(filter(GLuint(entry.textureId), GL_TEXTURE_MAG_FILTER), GL_NEAREST);
    }
    // No other kind came first, so no held-buffer image was needed.
    EXPECT_FALSE(glIsTexture(HeldRawImageTextureId));
    // The bitmap keeps its image and its filter.
    EXPECT_EQ(textureImage(2007), std::vector<unsigned char>(bitmap, bitmap + 12));
    EXPECT_EQ(minFilter(2007), GL_NEAREST);
}

TEST_F(TerrainTest, ShortRawFileFillsOnlyTheStartOfTheImageAtEveryRead)
{
    // Grass fills the first 128 of the 256 rows; the rest of the buffer keeps
    // the image read before it, at each of its reads.
    std::vector<unsigned char> grass = solidRaw(0, 200, 0);
    grass.resize(128 * 768);
    writeFile("Relva1.raw", grass);
    writeFile("alcatrao.raw", solidRaw(0, 0, 200));
    writeFile("cimento2.raw", solidRaw(200, 0, 0));
    // Asphalt, grass, cement, grass, kind 5: side by side, 40 units apart.
    load(terrainFile({patchRecord(3, 0, 0), patchRecord(2, 40, 0), patchRecord(4, 80, 0),
                      patchRecord(2, 120, 0), patchRecord(5, 160, 0)}));
    orthoView(-5, 195, -5, 35, 400, 80);  // 2 pixels a unit
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glCallList(terrainList);
    const gl::Picture picture = gl::readBackBuffer();
    // Image row r lies at t = r / 256, and t = 0.1 u along x: rows 0 to 127
    // at x0 + 2.5, rows 128 to 255 at x0 + 7.5.
    auto expectColour = [&](float x, int r, int g, int b) {
        const gl::Rgb p = picture.at(int((x + 5) * 2), 40);
        EXPECT_EQ(int(p.r), r) << "x " << x;
        EXPECT_EQ(int(p.g), g) << "x " << x;
        EXPECT_EQ(int(p.b), b) << "x " << x;
    };
    expectColour(42.5f, 0, 200, 0);
    expectColour(47.5f, 0, 0, 200);   // asphalt's tail
    expectColour(122.5f, 0, 200, 0);
    expectColour(127.5f, 200, 0, 0);  // cement's tail
    expectColour(162.5f, 0, 200, 0);  // kind 5: the buffer as the last read left it
    expectColour(167.5f, 200, 0, 0);
    // The bitmap texture objects are not touched.
    for (TextureId id = 2001; id <= 2017; ++id)
        EXPECT_FALSE(glIsTexture(GLuint(id))) << id;
}

TEST_F(TerrainTest, FrontFaceChangesAndEmptyLists)
{
    // C <= 0: no record is read, but the list still turns the winding back.
    load("0\n" + patchRecord(2, 0, 0) + "69\n");
    EXPECT_EQ(errors_, "");
    glFrontFace(GL_CW);
    EXPECT_TRUE(feedback(terrainList).empty());
    EXPECT_EQ(gl::integer(GL_FRONT_FACE), GL_CCW);
    EXPECT_FALSE(glIsTexture(2102));  // no raw file was wanted

    // A file that cannot be opened: an empty list, silently.
    writeFile("data_terreno.geo", "");
    std::remove("data_terreno.geo");
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    loadTerrainPatches("data_terreno.geo");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    glFrontFace(GL_CW);
    EXPECT_TRUE(glIsList(terrainList));
    EXPECT_TRUE(feedback(terrainList).empty());
    EXPECT_EQ(gl::integer(GL_FRONT_FACE), GL_CW);
    glFrontFace(GL_CCW);
}

TEST_F(TerrainTest, FileEndingEarlyDrawsThePatchesReadInFull)
{
    writeFile("Relva1.raw", solidRaw(0, 200, 0));
    std::string cut = patchRecord(2, 40, 0);
    cut.resize(cut.size() / 2);
    load("1\n" + patchRecord(2, 0, 0) + cut);
    EXPECT_NE(errors_.find("data_terreno.geo: patch record 2"), std::string::npos) << errors_;
    orthoView(-5, 125, -5, 35, 260, 80);
    EXPECT_EQ(feedback(terrainList).size() * 3, 15u * 15u * 2u * 3u);
}

} // namespace
