// An imported model as the program shows it: a model made by others
// (BoxTextured.glb of assimp-testmodels, a cube with one picture on every
// side) imported into a folder, started there with the program's own
// start-up, and seen through the front view (F3). Where the cube's front
// side stands on the screen, the picture's own colours show, in the shares
// the picture holds them. Models whose pictures are named as the
// modeller's machine had them show those pictures' colours too. And two
// triangles that the importer pairs draw, as one quad of a display list,
// the pixels they draw alone, along either diagonal.
#include "app/startup.h"
#include "app/state.h"
#include "app/views.h"
#include "gl_support.h"
#include "import.h"
#include "scene/sky.h"
#include "test_support.h"

#include <GL/glu.h>
#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <gtest/gtest.h>
#include <stb_image.h>

#include <algorithm>
#include <array>
#include <map>
#include <string>
#include <vector>
#include <unistd.h>

namespace {

const char* const Box = "/usr/share/assimp/models/glTF2/BoxTextured-glTF-Binary/BoxTextured.glb";

// Colours by kind, the way lighting and nearest sampling keep them: a lit
// texel is its colour times a factor, so the order of its channels stays.
// Brown: red above green above blue, as wood is; a grey under the lights'
// yellowish colour keeps its red and green equal.
enum class Kind { Grey, Green, Blue, Brown, Other };

Kind kindOf(int r, int g, int b)
{
    const int high = std::max({r, g, b}), low = std::min({r, g, b});
    if (high - low < 24)
        return Kind::Grey;
    if (g > r + 24 && g >= b)
        return Kind::Green;
    if (b > r + 24 && b > g)
        return Kind::Blue;
    if (r > g + 16 && g > b)
        return Kind::Brown;
    return Kind::Other;
}

// The shares of each kind among a picture's texels.
std::map<Kind, double> sharesOf(const unsigned char* pixels, int count)
{
    std::map<Kind, double> shares;
    for (int i = 0; i < count; ++i)
        shares[kindOf(pixels[3 * i], pixels[3 * i + 1], pixels[3 * i + 2])] += 1.0 / count;
    return shares;
}

// `model` imported into the folder scene/ of the working directory and
// shown by the program from the front view (F3): from (-200, 100, 20)
// towards (0, 100, 0).
gl::Picture importedFrontView(const std::string& model)
{
    ImportSettings settings;
    settings.modelPath = model;
    settings.outputPath = "scene";
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    importModel(settings);
    testing::internal::GetCapturedStdout();
    testing::internal::GetCapturedStderr();
    if (chdir("scene") != 0)
        ADD_FAILURE() << "no scene folder";
    testing::internal::CaptureStdout();  // the bitmap reader's lines
    initScene();
    testing::internal::GetCapturedStdout();
    reshape(640, 480);
    showFunctionKeyView(3);
    stepSun();
    displayScene();
    glFinish();
    if (chdir("..") != 0)
        ADD_FAILURE() << "chdir .. failed";
    return gl::readBackBuffer();
}

// The window's pixels that points of the world fall on: x0, x1, y0, y1.
std::array<double, 4> screenBox(const std::vector<std::array<double, 3>>& points)
{
    const gl::Matrix view = gl::lookAt(Point3(-200, 100, 20), Point3(0, 100, 0));
    const gl::Matrix projection = gl::projection();
    const std::array<GLint, 4> viewport = gl::viewport();
    double view64[16], projection64[16];
    std::copy(view.begin(), view.end(), view64);
    std::copy(projection.begin(), projection.end(), projection64);
    std::array<double, 4> box{1e9, -1e9, 1e9, -1e9};
    for (const auto& p : points) {
        double sx = 0, sy = 0, sz = 0;
        if (!gluProject(p[0], p[1], p[2], view64, projection64, viewport.data(), &sx, &sy, &sz))
            ADD_FAILURE() << "gluProject failed";
        box = {std::min(box[0], sx), std::max(box[1], sx), std::min(box[2], sy), std::max(box[3], sy)};
    }
    return box;
}

// The shares of each kind among the frame's pixels inside a box.
std::map<Kind, double> sharesIn(const gl::Picture& frame, int left, int right, int bottom, int top)
{
    std::map<Kind, double> seen;
    const double count = double(right - left + 1) * (top - bottom + 1);
    for (int y = bottom; y <= top; ++y)
        for (int x = left; x <= right; ++x) {
            const gl::Rgb c = frame.at(x, y);
            seen[kindOf(c.r, c.g, c.b)] += 1 / count;
        }
    return seen;
}

// The shares of each kind among the texels of the cube's picture, read from
// the model file by assimp and stb.
std::map<Kind, double> pictureShares()
{
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(Box, 0);
    if (!scene || scene->mNumTextures != 1 || scene->mTextures[0]->mHeight != 0) {
        ADD_FAILURE() << "BoxTextured.glb: one embedded picture expected";
        return {};
    }
    const aiTexture* texture = scene->mTextures[0];
    int w = 0, h = 0, n = 0;
    unsigned char* pixels = stbi_load_from_memory(reinterpret_cast<unsigned char*>(texture->pcData),
                                                  int(texture->mWidth), &w, &h, &n, 3);
    if (!pixels) {
        ADD_FAILURE() << "the picture does not decode";
        return {};
    }
    const std::map<Kind, double> shares = sharesOf(pixels, w * h);
    stbi_image_free(pixels);
    return shares;
}

TEST(ImportView, FrontViewShowsTheCubesPictureWhereTheCubeStands)
{
    ScopedWorkDir dir;
    const gl::Picture frame = importedFrontView(Box);

    // The 1 m cube fills the house's footprint along x: its front side,
    // facing -x, is the square x = 0, y 25..175, z 0.2..150.2 (world).
    const auto [x0, x1, y0, y1] = screenBox({{0, 25, 0.2}, {0, 175, 0.2}, {0, 25, 150.2}, {0, 175, 150.2}});
    // Inside the side, clear of its edges and of the window's.
    const int left = std::max(0, int(x0 + 0.15 * (x1 - x0))), right = std::min(639, int(x1 - 0.15 * (x1 - x0)));
    const int bottom = std::max(0, int(y0 + 0.15 * (y1 - y0))), top = std::min(479, int(y1 - 0.15 * (y1 - y0)));
    ASSERT_GT(right - left, 100);
    ASSERT_GT(top - bottom, 100);

    std::map<Kind, double> seen = sharesIn(frame, left, right, bottom, top);
    const std::map<Kind, double> picture = pictureShares();
    for (Kind kind : {Kind::Grey, Kind::Green, Kind::Blue}) {
        SCOPED_TRACE("kind " + std::to_string(int(kind)));
        ASSERT_GT(picture.count(kind) ? picture.at(kind) : 0, 0.1);  // the picture holds each
        // The middle of the side (the lower part of the picture, as the top
        // is out of view) shows each kind the picture holds; the shares
        // differ, as less of the picture's grey frame is in view.
        EXPECT_GT(seen[kind], 0.05);
    }
    EXPECT_LT(seen[Kind::Other], 0.05);

    // Below the cube: the lawn, green; above it and to the sides: sky.
    const gl::Rgb lawn = frame.at(320, 10);
    EXPECT_EQ(kindOf(lawn.r, lawn.g, lawn.b), Kind::Green);
}

// The shares of each kind among the texels of a picture file.
std::map<Kind, double> fileShares(const std::string& path)
{
    int w = 0, h = 0, n = 0;
    unsigned char* pixels = stbi_load(path.c_str(), &w, &h, &n, 3);
    if (!pixels) {
        ADD_FAILURE() << path << " does not decode";
        return {};
    }
    const std::map<Kind, double> shares = sharesOf(pixels, w * h);
    stbi_image_free(pixels);
    return shares;
}

// Models whose pictures the model names by paths of the machine it was
// made on, which are found from the model's folder: a globe under a map of
// the earth (named \..\LWO\LWO2\MappingModes\EarthCylindric.jpg, the file
// ../LWO/LWO2/MappingModes/earthCylindric.jpg), and a spider whose legs
// are of dark wood (D:\projects\...\models\OBJ\drkwood2.jpg, the file
// ../OBJ/drkwood2.jpg). Their materials' own colours are greys, so the
// picture's kind of colour (blue sea, brown wood) shows only when its
// picture is found. (Each in a test of its own: a process starts one scene.)
const std::string Models = "/usr/share/assimp/models/";

TEST(ImportView, GlobeShowsTheSeaOfAMapNamedAsOnTheModellersMachine)
{
    // Mostly sea: blue.
    EXPECT_GT(fileShares(Models + "LWO/LWO2/MappingModes/earthCylindric.jpg")[Kind::Blue], 0.5);
    ScopedWorkDir dir;
    const gl::Picture frame = importedFrontView(Models + "Collada/earthCylindrical.DAE");
    // The globe fills the footprint's depth: 150 across, its centre at
    // (75, 100, 75.2); the middle of its disc on the screen.
    const auto [x0, x1, y0, y1] = screenBox({{75, 100, 75.2}, {75, 100, 150.2}});
    const int radius = int((y1 - y0) / 2);
    std::map<Kind, double> seen =
        sharesIn(frame, int(x0) - radius, int(x0) + radius, int(y0) - radius, int(y0) + radius);
    EXPECT_GT(seen[Kind::Blue], 0.5);
}

TEST(ImportView, SpidersLegsShowTheWoodOfAPictureNamedAsOnTheModellersMachine)
{
    EXPECT_GT(fileShares(Models + "OBJ/drkwood2.jpg")[Kind::Brown], 0.5);
    ScopedWorkDir dir;
    const gl::Picture frame = importedFrontView(Models + "FBX/spider.fbx");
    // Wood among the sky and the lawn, which have none: the thin legs
    // cover about 0.8% of the window.
    std::map<Kind, double> seen = sharesIn(frame, 0, 639, 0, 479);
    EXPECT_GT(seen[Kind::Brown], 0.004);
}

// A display list of textured corners drawn as `mode`, texture 2001 bound.
GLuint cornerList(GLenum mode, const std::vector<ModelVertex>& corners)
{
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glBindTexture(GL_TEXTURE_2D, 2001);
    glBegin(mode);
    for (const ModelVertex& c : corners) {
        glTexCoord2d(c.s, c.t);
        glVertex3d(c.position.x, c.position.y, c.position.z);
    }
    glEnd();
    glEndList();
    return list;
}

// The quad's corners from corner `first` on, as the program sends a quad.
GLuint quadList(const WorldQuad& q, int first)
{
    std::vector<ModelVertex> corners(4);
    for (std::size_t k = 0; k < 4; ++k) {
        const int i = (first + int(k)) % 4;
        corners[k].position = q.corner[i];
        corners[k].s = q.s[i];
        corners[k].t = q.t[i];
    }
    return cornerList(GL_QUADS, corners);
}

int differingPixels(const gl::Picture& a, const gl::Picture& b)
{
    int count = 0;
    for (std::size_t i = 0; i < a.bytes.size(); i += 3)
        count += a.bytes[i] != b.bytes[i] || a.bytes[i + 1] != b.bytes[i + 1] ||
                 a.bytes[i + 2] != b.bytes[i + 2];
    return count;
}

// Two triangles of the unit square x, y in 0.5..1.5 (100 x 100 pixels of
// the view of [0, 2]), (a, b, c) and (b, a, d) with a = (0.5, 0.5), b =
// (1.5, 1.5), carry the 2 x 2 quadrant texture at (s, t) = (x, y) - 0.5, but
// d's (s, t) may be e off in s. The importer pairs them (e = 0.065 is just
// inside its texture tolerance); the quad, compiled into a list, is drawn
// with its corners from the first (v1 v2 v3 v4) and from the second (v2 v3
// v4 v1), so that the GL splits it once along each diagonal:
// - e = 0: both draw exactly the triangles' pixels;
// - e = 0.065: split along the shared edge a-b, it draws the triangles'
//   own pixels; along the other diagonal its picture slides by at most
//   e / 2 (where the diagonals cross), 3.25 pixels, so only pixels within
//   4.25 pixels of the texture's two inner edges (lines of 100 pixels) may
//   differ: 850 at most, and some do.
TEST(ImportPairs, AQuadOfTwoTrianglesDrawsTheirPixelsAlongEitherDiagonal)
{
    gl::makeQuadrantTexture(2001);
    gl::orthoView();
    for (double e : {0.0, 0.065}) {
        SCOPED_TRACE("d's s off by " + std::to_string(e));
        const double corners[4][2] = {{0.5, 0.5}, {1.5, 1.5}, {0.5, 1.5}, {1.5, 0.5}};
        std::vector<ModelVertex> vertices(4);
        for (std::size_t i = 0; i < 4; ++i) {
            vertices[i].position = {corners[i][0], corners[i][1], 0};
            vertices[i].s = corners[i][0] - 0.5;
            vertices[i].t = corners[i][1] - 0.5;
        }
        vertices[3].s += e;
        SourceModel model = modelOfTriangles(vertices, {{0, 1, 2}, {1, 0, 3}}, true);
        QuadReport report;
        const std::vector<WorldQuad> quads = makeQuads(model, report);
        ASSERT_EQ(quads.size(), 1u);

        std::vector<ModelVertex> triangles;
        for (const ModelTriangle& t : model.triangles)
            for (std::uint32_t v : t.v)
                triangles.push_back(model.vertices[v]);
        const gl::Picture alone = gl::drawUnlit(cornerList(GL_TRIANGLES, triangles));
        EXPECT_EQ(alone.at(75, 75).r, 255);  // the red quarter of the texture where it belongs
        EXPECT_EQ(alone.at(125, 125).b, 255);
        const int fromFirst = differingPixels(alone, gl::drawUnlit(quadList(quads[0], 0)));
        const int fromSecond = differingPixels(alone, gl::drawUnlit(quadList(quads[0], 1)));
        if (e == 0) {
            EXPECT_EQ(fromFirst, 0);
            EXPECT_EQ(fromSecond, 0);
        } else {
            EXPECT_EQ(std::min(fromFirst, fromSecond), 0);
            EXPECT_GT(std::max(fromFirst, fromSecond), 0);
            EXPECT_LE(std::max(fromFirst, fromSecond), 850);
        }
    }
}

} // namespace
