// The model importer on models made by others (Debian's assimp-testmodels)
// and on small models the tests write. Expected values come from the model
// files as a plain assimp call reads them (faces, areas), from the texture
// table, and from the geometry the tests wrote; the folders written are read
// back with the program's own readers.
#include "image/bmp_reader.h"
#include "image/textures.h"
#include "import.h"
#include "scene/quad_model_file.h"
#include "scene/terrain_file.h"
#include "test_support.h"

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace {

const std::string Models = "/usr/share/assimp/models/";

// ------------------------------------------------- what assimp itself reads

// Faces of every mesh as the nodes place them, and the area of the
// triangles, from a plain assimp read.
struct AssimpFacts {
    std::size_t faces = 0;
    std::size_t triangles = 0;
    double area = 0;  // in the file's units
};

void addFacts(const aiScene* scene, const aiNode* node, aiMatrix4x4 transform, AssimpFacts& facts)
{
    transform = transform * node->mTransformation;
    for (unsigned m = 0; m < node->mNumMeshes; ++m) {
        const aiMesh* mesh = scene->mMeshes[node->mMeshes[m]];
        facts.faces += mesh->mNumFaces;
        for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
            const aiFace& face = mesh->mFaces[f];
            if (face.mNumIndices != 3)
                continue;
            ++facts.triangles;
            const aiVector3D a = transform * mesh->mVertices[face.mIndices[0]];
            const aiVector3D b = transform * mesh->mVertices[face.mIndices[1]];
            const aiVector3D c = transform * mesh->mVertices[face.mIndices[2]];
            facts.area += ((b - a) ^ (c - a)).Length() / 2;
        }
    }
    for (unsigned i = 0; i < node->mNumChildren; ++i)
        addFacts(scene, node->mChildren[i], transform, facts);
}

AssimpFacts assimpFacts(const std::string& path)
{
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, aiProcess_Triangulate);
    AssimpFacts facts;
    if (scene && scene->mRootNode)
        addFacts(scene, scene->mRootNode, aiMatrix4x4(), facts);
    return facts;
}

// ------------------------------------------------------- geometry of quads

Point3d sub(const Point3d& a, const Point3d& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Point3d cross(const Point3d& a, const Point3d& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double dot(const Point3d& a, const Point3d& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double norm(const Point3d& a) { return std::sqrt(dot(a, a)); }

// The normal the program takes, from corners 1 to 3.
Point3d programNormal(const WorldQuad& q)
{
    return cross(sub(q.corner[0], q.corner[1]), sub(q.corner[1], q.corner[2]));
}

// The area of a quad split along its diagonal from corner 2 to corner 4, as
// a display list on Mesa's llvmpipe splits it, where a pair's quad puts the
// edge its two triangles share (a quad that is not quite planar has another
// area along the other diagonal).
double quadArea(const WorldQuad& q)
{
    return norm(cross(sub(q.corner[2], q.corner[1]), sub(q.corner[3], q.corner[1]))) / 2 +
           norm(cross(sub(q.corner[3], q.corner[1]), sub(q.corner[0], q.corner[1]))) / 2;
}

bool powerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

// ----------------------------------------------------- running the stages

struct Imported {
    SourceModel source;
    std::size_t triangles = 0;  // to draw, as read
    Placement placement;
    QuadReport quadReport;
    std::vector<WorldQuad> quads;  // before the bitmaps (no cuts)
    std::vector<WorldQuad> textured;
    std::vector<SceneBitmap> bitmaps;
    BitmapReport bitmapReport;
};

Imported runStages(const ImportSettings& settings)
{
    Imported r;
    r.source = readModel(settings.modelPath);
    r.triangles = r.source.triangles.size();
    r.placement = placeModel(r.source, settings);
    r.quads = makeQuads(r.source, r.quadReport);
    r.textured = r.quads;
    r.bitmaps = makeBitmaps(r.source, r.textured, settings, r.bitmapReport);
    return r;
}

// Real size, one unit a metre: world = 10 x the file's units.
ImportSettings metreSettings(const std::string& model)
{
    ImportSettings settings;
    settings.modelPath = model;
    settings.realSize = true;
    settings.unitMetres = 1;
    return settings;
}

std::string readText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// ----------------------------------------------- models made by others

const char* const SpreadOfModels[] = {
    "Collada/duck.dae",
    "OBJ/spider.obj",
    "OBJ/WusonOBJ.obj",
    "glTF2/BoxTextured-glTF-Binary/BoxTextured.glb",
    "glTF2/2CylinderEngine-glTF-Binary/2CylinderEngine.glb",
    "3DS/fels.3ds",
    "FBX/spider.fbx",
    "Collada/teapots.DAE",
};

class ImportModels : public testing::TestWithParam<const char*> {};

// Every face assimp reads is drawn once: as half of a quad, a quad of its
// own, or counted among the dropped; the quads cover the same area as the
// triangles (100 times it: ten world units to the metre); every quad names
// a bitmap that the importer made, a power of two a side.
TEST_P(ImportModels, EveryFaceBecomesQuadsOfTheSameArea)
{
    const std::string path = Models + GetParam();
    const AssimpFacts facts = assimpFacts(path);
    ASSERT_GT(facts.triangles, 0u) << path;
    const Imported r = runStages(metreSettings(path));

    EXPECT_EQ(r.source.facesIn, facts.faces);
    const DroppedFaces& d = r.source.dropped;
    EXPECT_EQ(r.triangles + d.indexOutOfRange + d.nonFinite, facts.triangles);
    EXPECT_EQ(2 * r.quadReport.pairs + r.quadReport.singles + d.zeroArea, r.triangles);
    EXPECT_EQ(r.quads.size(), r.quadReport.pairs + r.quadReport.singles);
    EXPECT_GE(2 * r.quads.size(), r.triangles - d.zeroArea);

    double area = 0;
    for (const WorldQuad& q : r.textured)
        area += quadArea(q);
    EXPECT_NEAR(area, 100 * facts.area, 1e-4 * 100 * facts.area);

    std::set<int> made;
    for (const SceneBitmap& b : r.bitmaps) {
        made.insert(b.id);
        EXPECT_TRUE(powerOfTwo(b.picture.width) && powerOfTwo(b.picture.height))
            << b.picture.width << " x " << b.picture.height;
        EXPECT_LE(std::max(b.picture.width, b.picture.height), 2048);
        EXPECT_EQ(b.picture.pixels.size(), std::size_t(b.picture.width) * b.picture.height);
    }
    EXPECT_LE(r.bitmaps.size(), 15u);
    const std::vector<int> allowed = modelTextureIds();
    for (const WorldQuad& q : r.textured) {
        ASSERT_TRUE(made.count(q.texture)) << q.texture;
        ASSERT_TRUE(std::count(allowed.begin(), allowed.end(), q.texture));
    }
}

// Written whole, the folder reads back through the program's own readers:
// every quad (the model's and the lawn's) with a texture from the table,
// each of the 17 bitmaps a picture the BMP reader takes, a terrain file that
// ends at its terminator, four raw images of 256 x 256.
TEST_P(ImportModels, TheProgramsReadersReadTheFolder)
{
    ScopedWorkDir dir;
    ImportSettings settings;
    settings.modelPath = Models + GetParam();
    settings.outputPath = dir.path() + "/scene";
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    importModel(settings);
    testing::internal::GetCapturedStdout();
    testing::internal::GetCapturedStderr();

    const std::string folder = settings.outputPath + "/";
    std::vector<QuadRecord> quads;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(readQuadModelFile((folder + "data_textura.geo").c_str(), quads));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    const std::string text = readText(folder + "data_textura.geo");
    EXPECT_EQ(double(quads.size()), std::stod(text));
    std::set<int> ids;
    for (const BitmapTexture& t : BitmapTextureTable)
        ids.insert(t.id);
    for (const QuadRecord& q : quads)
        ASSERT_TRUE(ids.count(q.texture) && q.texture != 2016) << q.texture;

    for (const BitmapTexture& t : BitmapTextureTable) {
        const std::vector<unsigned char> bytes = readFile(folder + t.fileName);
        Pixmap pixmap;
        std::ostringstream messages;
        EXPECT_EQ(readBmp(bytes.data(), bytes.size(), pixmap, messages), 1) << t.fileName;
        EXPECT_TRUE(powerOfTwo(pixmap.columnCount) && powerOfTwo(pixmap.rowCount)) << t.fileName;
        delete[] pixmap.pixels;
    }
    std::vector<TerrainPatch> patches;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(readTerrainFile((folder + "data_terreno.geo").c_str(), patches));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(patches.empty());
    for (const char* raw : {"janela.raw", "Relva1.raw", "alcatrao.raw", "cimento2.raw"})
        EXPECT_EQ(std::filesystem::file_size(folder + raw), 256u * 256u * 3u) << raw;
    // Nothing but the scene's files, and no folder left beside it.
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, sceneFileNames().size());
    std::size_t beside = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        (void)entry;
        ++beside;
    }
    EXPECT_EQ(beside, 1u);
}

INSTANTIATE_TEST_SUITE_P(AssimpTestModels, ImportModels, testing::ValuesIn(SpreadOfModels));

// By default the model fills the house's footprint (x 0..150, y 0..200) at
// its largest uniform scale and stands 0.2 above the lawn; its front faces
// keep facing out of the closed box.
TEST(ImportPlacement, BoxFillsTheHousesFootprintAndFacesOut)
{
    ImportSettings settings;
    settings.modelPath = Models + "glTF2/BoxTextured-glTF-Binary/BoxTextured.glb";
    const Imported r = runStages(settings);
    ASSERT_EQ(r.quads.size(), 6u);  // a cube: two triangles a side
    double x0 = 1e9, x1 = -1e9, y0 = 1e9, y1 = -1e9, z0 = 1e9, z1 = -1e9;
    for (const WorldQuad& q : r.quads)
        for (const Point3d& p : q.corner) {
            x0 = std::min(x0, p.x), x1 = std::max(x1, p.x);
            y0 = std::min(y0, p.y), y1 = std::max(y1, p.y);
            z0 = std::min(z0, p.z), z1 = std::max(z1, p.z);
        }
    // The 1 m cube: 150 wide to fill x; centred on y = 100.
    EXPECT_NEAR(x0, 0, 1e-9);
    EXPECT_NEAR(x1, 150, 1e-9);
    EXPECT_NEAR(y0, 25, 1e-9);
    EXPECT_NEAR(y1, 175, 1e-9);
    EXPECT_NEAR(z0, 0.2, 1e-9);
    EXPECT_NEAR(z1, 150.2, 1e-9);
    const Point3d centre{75, 100, 75.2};
    for (const WorldQuad& q : r.quads) {
        const Point3d middle{(q.corner[0].x + q.corner[2].x) / 2, (q.corner[0].y + q.corner[2].y) / 2,
                            (q.corner[0].z + q.corner[2].z) / 2};
        EXPECT_GT(dot(programNormal(q), sub(middle, centre)), 0);
    }
}

// The unit a model is in, where its format gives one: glTF is in metres;
// FBX says how many centimetres a unit is (assimp passes it on as the
// scene's UnitScaleFactor); OBJ gives none, and --units or metres stand in.
TEST(ImportPlacement, UnitsFromTheFileOrTheCommandLine)
{
    EXPECT_EQ(readModel(Models + "glTF2/BoxTextured-glTF-Binary/BoxTextured.glb").unitMetres, 1);
    EXPECT_EQ(readModel(Models + "OBJ/spider.obj").unitMetres, 0);

    const std::string fbx = Models + "FBX/spider.fbx";
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(fbx, 0);
    ASSERT_TRUE(scene && scene->mMetaData);
    double centimetres = 0;
    float centimetresFloat = 0;
    if (!scene->mMetaData->Get("UnitScaleFactor", centimetres)) {
        ASSERT_TRUE(scene->mMetaData->Get("UnitScaleFactor", centimetresFloat));
        centimetres = centimetresFloat;
    }
    SourceModel spider = readModel(fbx);
    EXPECT_DOUBLE_EQ(spider.unitMetres, centimetres / 100);

    // Real size: ten world units to the file's metre; --units overrides.
    ImportSettings settings;
    settings.realSize = true;
    EXPECT_DOUBLE_EQ(placeModel(spider, settings).scale, 10 * centimetres / 100);
    SourceModel obj = readModel(Models + "OBJ/spider.obj");
    settings.unitMetres = 0.0254;  // --units in
    EXPECT_DOUBLE_EQ(placeModel(obj, settings).scale, 0.254);
}

// ------------------------------------------------ models the tests write

// An OBJ in its own folder, with its MTL and pictures written beside it.
class ObjModel {
public:
    explicit ObjModel(const std::string& dir) : dir_(dir) {}
    void material(const std::string& name, const std::string& line)
    {
        mtl_ += "newmtl " + name + "\n" + line + "\n";
    }
    void text(const std::string& line) { obj_ += line + "\n"; }
    void picture(const std::string& name, int size, std::uint8_t r, std::uint8_t g, std::uint8_t b)
    {
        std::vector<std::uint8_t> pixels;
        for (int i = 0; i < size * size; ++i)
            pixels.insert(pixels.end(), {r, g, b});
        stbi_write_png((dir_ + "/" + name).c_str(), size, size, 3, pixels.data(), size * 3);
    }
    std::string write()
    {
        writeFile(dir_ + "/model.mtl", mtl_);
        writeFile(dir_ + "/model.obj", "mtllib model.mtl\n" + obj_);
        return dir_ + "/model.obj";
    }

private:
    std::string dir_, obj_, mtl_;
};

// A square facing the file's +z (its front, counter-clockwise seen from +z)
// and lying at z = 1, x and y from 0 to 1, with texture coordinates
// (0, 0) (1, 0) (1, 1) (0, 1), or the fourth corner's given.
std::string squareAtFront(const std::string& fourthTexCoord = "0 1")
{
    return "v 0 0 1\nv 1 0 1\nv 1 1 1\nv 0 1 1\n"
           "vt 0 0\nvt 1 0\nvt 1 1\nvt " + fourthTexCoord + "\n"
           "f 1/1 2/2 3/3 4/4\n";
}

// Two triangles of one plane, one affine texture map, convex: one quad,
// facing the way the file's front faces turn: +z in the file is -x in the
// world, where the house's front looks.
TEST(ImportQuads, FrontSquareBecomesOneQuadFacingMinusX)
{
    ScopedWorkDir dir;
    ObjModel obj(dir.path());
    obj.material("grey", "Kd 0.5 0.5 0.5");
    obj.text("usemtl grey");
    obj.text(squareAtFront());
    const Imported r = runStages(metreSettings(obj.write()));
    ASSERT_EQ(r.quads.size(), 1u);
    EXPECT_EQ(r.quadReport.pairs, 1u);
    const Point3d n = programNormal(r.quads[0]);
    EXPECT_LT(n.x, 0);
    EXPECT_NEAR(n.y / norm(n), 0, 1e-12);
    EXPECT_NEAR(n.z / norm(n), 0, 1e-12);
    // Real size: 1 m square, 10 world units a side.
    EXPECT_NEAR(quadArea(r.quads[0]), 100, 1e-9);
}

// Points and lines are not drawn: they are counted by kind, and the faces
// beside them imported.
TEST(ImportQuads, PointsAndLinesAreCountedAndDropped)
{
    ScopedWorkDir dir;
    ObjModel obj(dir.path());
    obj.material("grey", "Kd 0.5 0.5 0.5");
    obj.text("usemtl grey");
    obj.text(squareAtFront());
    obj.text("l 1 2\nl 2 3\nl 3 4 1\np 1\np 2 3");
    const Imported r = runStages(metreSettings(obj.write()));
    EXPECT_EQ(r.quads.size(), 1u);
    EXPECT_EQ(r.source.dropped.lines, 4u);   // "l 3 4 1" is two lines
    EXPECT_EQ(r.source.dropped.points, 3u);  // "p 2 3" is two points
    EXPECT_EQ(describeDropped(r.source.dropped), "3 points, 4 lines");
}

// Faces that assimp's own check refuses a whole model over, as Sweet Home
// 3D's furniture has them: a face of two corners or one among an OBJ's
// triangles (which the OBJ reader does not flag), a PLY face whose index is
// past the vertices. The model is imported; the faces kept are assimp's own
// count of the file's faces (read with no post-processing) less the ones
// dropped, by kind.
TEST(ImportMending, StrayLinesPointsAndIndicesOutOfRangeAreDroppedNotRefused)
{
    const std::string vertices = "v 0 0 1\nv 1 0 1\nv 1 1 1\nv 0 1 1\n";
    const std::string plyHeader =
        "ply\nformat ascii 1.0\nelement vertex 4\nproperty float x\nproperty float y\nproperty float z\n"
        "element face 4\nproperty list uchar int vertex_indices\nend_header\n0 0 1\n1 0 1\n1 1 1\n0 1 1\n";
    const struct {
        const char* name;
        std::string text;
        std::size_t triangles, lines, points, outOfRange;
    } models[] = {
        {"line.obj", vertices + "f 1 2 3\nf 1 3 4\nf 1 2\n", 2, 1, 0, 0},
        {"point.obj", vertices + "f 1 2 3\nf 4\nf 1 3 4\n", 2, 0, 1, 0},
        {"index.ply", plyHeader + "3 0 1 2\n3 0 2 7\n2 0 1\n3 0 2 3\n", 2, 1, 0, 1},
    };
    for (const auto& m : models) {
        SCOPED_TRACE(m.name);
        ScopedWorkDir dir;
        writeFile(m.name, m.text);
        Assimp::Importer importer;
        const aiScene* raw = importer.ReadFile(m.name, 0);
        ASSERT_TRUE(raw);
        std::size_t rawFaces = 0;
        for (unsigned i = 0; i < raw->mNumMeshes; ++i)
            rawFaces += raw->mMeshes[i]->mNumFaces;

        const SourceModel model = readModel(m.name);
        EXPECT_EQ(model.triangles.size(), m.triangles);
        EXPECT_EQ(model.dropped.lines, m.lines);
        EXPECT_EQ(model.dropped.points, m.points);
        EXPECT_EQ(model.dropped.indexOutOfRange, m.outOfRange);
        EXPECT_EQ(model.facesIn, rawFaces);
        EXPECT_EQ(model.triangles.size(), rawFaces - model.dropped.total());
        for (const ModelTriangle& t : model.triangles)
            for (std::uint32_t v : t.v)
                ASSERT_LT(v, model.vertices.size());
    }
    // Nothing left once the stray faces are out: refused, saying why.
    ScopedWorkDir dir;
    writeFile("lines.obj", vertices + "f 1 2\nf 3 4\n");
    try {
        readModel("lines.obj");
        ADD_FAILURE() << "a model of lines only was imported";
    } catch (const ImportError& e) {
        EXPECT_NE(std::string(e.what()).find("no face left to draw (dropped: 2 lines)"), std::string::npos)
            << e.what();
    }
}

// Two triangles that share an edge but cannot be one quad: texture
// coordinates that are not one affine map (the square's picture is bent),
// a fold out of the plane, a non-convex outline.
TEST(ImportQuads, TrianglesThatAreNotOneQuadStayApart)
{
    const struct {
        const char* what;
        std::string obj;
        bool textured;
    } models[] = {
        {"texture not affine", squareAtFront("0.2 0.9"), true},
        {"folded", "v 0 0 1\nv 1 0 1\nv 1 1 1\nv 0 1 1.2\nf 1 2 3 4\n", false},
        // An arrowhead: the outline 1 2 3 4 turns back at corner 3.
        {"not convex", "v 0 0 1\nv 1 0 1\nv 0.4 0.4 1\nv 0 1 1\nf 1 2 3\nf 1 3 4\n", false},
    };
    for (const auto& m : models) {
        SCOPED_TRACE(m.what);
        ScopedWorkDir dir;
        ObjModel obj(dir.path());
        obj.picture("p.png", 4, 200, 10, 10);
        obj.material("m", m.textured ? "Kd 1 1 1\nmap_Kd p.png" : "Kd 1 1 1");
        obj.text("usemtl m");
        obj.text(m.obj);
        const Imported r = runStages(metreSettings(obj.write()));
        EXPECT_EQ(r.quads.size(), 2u);
        EXPECT_EQ(r.quadReport.pairs, 0u);
        for (const WorldQuad& q : r.quads) {
            // A triangle repeats its third corner as its fourth.
            EXPECT_EQ(q.corner[2].x, q.corner[3].x);
            EXPECT_EQ(q.corner[2].y, q.corner[3].y);
            EXPECT_EQ(q.corner[2].z, q.corner[3].z);
            EXPECT_LT(programNormal(q).x, 0);
        }
    }
}

// Two triangles (a, b, c) and (b, a, d) that share the edge a-b, facing +z.
SourceModel pairOf(const Point3d& a, const Point3d& b, const Point3d& c, const Point3d& d,
                   bool textured = false, const double (*st)[2] = nullptr)
{
    std::vector<ModelVertex> corners(4);
    const Point3d p[4] = {a, b, c, d};
    for (int i = 0; i < 4; ++i) {
        corners[std::size_t(i)].position = p[i];
        if (st) {
            corners[std::size_t(i)].s = st[i][0];
            corners[std::size_t(i)].t = st[i][1];
        }
    }
    return modelOfTriangles(corners, {{0, 1, 2}, {1, 0, 3}}, textured);
}

double degreesBetween(const Point3d& u, const Point3d& v)
{
    return std::acos(std::clamp(dot(u, v) / (norm(u) * norm(v)), -1.0, 1.0)) * 180 / M_PI;
}

// The tolerances of a pair, one at a time, each just inside (one quad) and
// just outside (two); figures by hand from the corners:
// - the quad's normal within 8 degrees of each triangle's: a thin rhombus,
//   a = (0, 0, 0), b = (10, 0, 0), folded along a-b with c = (5, 1, h) and
//   d = (5, -1, h). The triangles' normals are (0, -h, 1) and (0, h, 1), the
//   normal of the triangle d b c across the other diagonal (2h, 0, 10): the
//   angle between them is acos(10 / (sqrt(100 + 4h^2) sqrt(1 + h^2))),
//   7.27 degrees at h = 0.125 and 8.70 at h = 0.15 (the fold between the
//   triangles is 14.3 and 17.1). Their planarity is 0.2 h / sqrt(1 + h^2),
//   3% at most.
// - the fourth corner within 5% of the longer diagonal from the other
//   three's plane: the unit square a = (0, 0), b = (1, 1), c = (0, 1, h),
//   d = (1, 0, h). Normals (h, -h, 1) and (-h, h, 1); the volume 2h over
//   sqrt(1 + 2h^2) and the diagonal sqrt 2 give 4.52% at h = 0.032 and
//   5.65% at h = 0.04 (normal 3.7 and 4.6 degrees).
// - (s, t) within 5% of the longer diagonal in (s, t) of where the other
//   triangle's map puts it: the flat unit square, (s, t) = (x, y) but for
//   d's, (1 + e, 0). Each fourth corner is e off, the longer diagonal in (s,
//   t) is sqrt(1 + (1 + e)^2): 4.45% at e = 0.065, 5.44% at e = 0.08.
TEST(ImportQuads, PairsWithinEachToleranceAndNoFurther)
{
    auto rhombus = [](double h) {
        return pairOf({0, 0, 0}, {10, 0, 0}, {5, 1, h}, {5, -1, h});
    };
    auto foldedSquare = [](double h) { return pairOf({0, 0, 0}, {1, 1, 0}, {0, 1, h}, {1, 0, h}); };
    auto slidTexture = [](double e) {
        const double st[4][2] = {{0, 0}, {1, 1}, {0, 1}, {1 + e, 0}};
        return pairOf({0, 0, 0}, {1, 1, 0}, {0, 1, 0}, {1, 0, 0}, true, st);
    };
    const struct {
        const char* what;
        SourceModel model;
        bool paired;
    } cases[] = {
        {"normal 7.27 degrees", rhombus(0.125), true},
        {"normal 8.70 degrees", rhombus(0.15), false},
        {"planarity 4.52%", foldedSquare(0.032), true},
        {"planarity 5.65%", foldedSquare(0.04), false},
        {"texture 4.45%", slidTexture(0.065), true},
        {"texture 5.44%", slidTexture(0.08), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SourceModel model = c.model;
        QuadReport report;
        const std::vector<WorldQuad> quads = makeQuads(model, report);
        EXPECT_EQ(quads.size(), c.paired ? 1u : 2u);
        EXPECT_EQ(report.pairs, c.paired ? 1u : 0u);
        if (!c.paired || quads.size() != 1)
            continue;
        const WorldQuad& q = quads[0];
        const Point3d &a = model.vertices[0].position, &b = model.vertices[1].position;
        // Corners 2 and 4 are the shared edge, where a display list on
        // llvmpipe splits the quad.
        const bool ab = q.corner[1].x == a.x && q.corner[1].y == a.y && q.corner[3].x == b.x &&
                        q.corner[3].y == b.y;
        const bool ba = q.corner[1].x == b.x && q.corner[1].y == b.y && q.corner[3].x == a.x &&
                        q.corner[3].y == a.y;
        EXPECT_TRUE(ab || ba);
        // One normal, from corners 1 to 3, for both triangles and within
        // 8 degrees of each one's own.
        const Point3d n = programNormal(q);
        for (std::uint32_t t = 0; t < 2; ++t) {
            const ModelTriangle& tri = model.triangles[t];
            const Point3d& p0 = model.vertices[tri.v[0]].position;
            const Point3d own = cross(sub(model.vertices[tri.v[1]].position, p0),
                                      sub(model.vertices[tri.v[2]].position, p0));
            EXPECT_LE(degreesBetween(n, own), 8) << "triangle " << t;
        }
    }
    // The rhombus's quad normal: 7.27 degrees from each triangle's.
    SourceModel model = rhombus(0.125);
    QuadReport report;
    const Point3d n = programNormal(makeQuads(model, report).at(0));
    EXPECT_NEAR(degreesBetween(n, {0, -0.125, 1}), 7.267, 0.001);
    EXPECT_NEAR(degreesBetween(n, {0, 0.125, 1}), 7.267, 0.001);
}

// As many pairs as there can be: a strip of four triangles over two unit
// squares, t0 t1 | t2 t3, with the squares' outer corners raised a little
// (0.02, within every tolerance) and the middle pair t1 t2 flat, the best
// fit of the three. Taking the best fit first would leave t0 and t3 alone;
// the two squares are two pairs.
TEST(ImportQuads, PairsAsManyAsThereCanBe)
{
    std::vector<ModelVertex> corners(6);
    const Point3d p[6] = {{0, 0, 0.02}, {1, 0, 0}, {2, 0, 0}, {0, 1, 0}, {1, 1, 0}, {2, 1, 0.02}};
    for (int i = 0; i < 6; ++i)
        corners[std::size_t(i)].position = p[i];
    SourceModel model = modelOfTriangles(corners, {{0, 1, 3}, {1, 4, 3}, {1, 2, 4}, {2, 5, 4}}, false);
    QuadReport report;
    const std::vector<WorldQuad> quads = makeQuads(model, report);
    EXPECT_EQ(report.pairs, 2u);
    EXPECT_EQ(quads.size(), 2u);
    EXPECT_DOUBLE_EQ(report.quadsPerTriangle(), 0.5);
    EXPECT_DOUBLE_EQ(report.sharePaired(), 1.0);
}

// More pictures than bitmaps: 20 materials, each its own one-colour picture,
// each on a square whose texture coordinates run 0..2 (the picture twice
// each way). The pictures that cannot have a bitmap of their own share the
// atlas; their squares are cut at each repeat, into 4, and every piece's
// texture coordinates fall on its own picture's colour, corners included.
TEST(ImportBitmaps, TooManyPicturesShareAnAtlasCutAtRepeats)
{
    ScopedWorkDir dir;
    ObjModel obj(dir.path());
    constexpr int Pictures = 20;
    for (int i = 0; i < Pictures; ++i) {
        const std::string name = "p" + std::to_string(i);
        obj.picture(name + ".png", 8 << (i % 3), std::uint8_t(10 * i), std::uint8_t(255 - 10 * i),
                    std::uint8_t(i % 2 ? 40 : 220));
        obj.material(name, "Kd 1 1 1\nmap_Kd " + name + ".png");
    }
    obj.text("vt 0 0\nvt 2 0\nvt 2 2\nvt 0 2");
    for (int i = 0; i < Pictures; ++i) {
        const int x = 2 * i;
        obj.text("v " + std::to_string(x) + " 0 0\nv " + std::to_string(x + 1) + " 0 0\nv " +
                 std::to_string(x + 1) + " 1 0\nv " + std::to_string(x) + " 1 0");
        obj.text("usemtl p" + std::to_string(i));
        const int v = 4 * i + 1;
        obj.text("f " + std::to_string(v) + "/1 " + std::to_string(v + 1) + "/2 " +
                 std::to_string(v + 2) + "/3 " + std::to_string(v + 3) + "/4");
    }
    const Imported r = runStages(metreSettings(obj.write()));
    ASSERT_EQ(r.quads.size(), std::size_t(Pictures));
    EXPECT_LE(r.bitmaps.size(), 15u);
    EXPECT_EQ(r.bitmapReport.atlasPictures, std::size_t(Pictures - 14));
    EXPECT_EQ(r.bitmapReport.facesCut, std::size_t(Pictures - 14));
    EXPECT_EQ(r.textured.size(), std::size_t(14 + 4 * (Pictures - 14)));

    std::map<int, const Picture*> byId;
    for (const SceneBitmap& b : r.bitmaps)
        byId[b.id] = &b.picture;
    double area = 0;
    for (const WorldQuad& q : r.textured) {
        area += quadArea(q);
        const Picture& p = *byId.at(q.texture);
        // The material's picture colour, from what the test wrote.
        const int i = std::stoi(r.source.materials[std::size_t(q.material)].name.substr(1));
        const PixelRGB want{std::uint8_t(10 * i), std::uint8_t(255 - 10 * i),
                            std::uint8_t(i % 2 ? 40 : 220)};
        for (int k = 0; k < 4; ++k) {
            // GL_REPEAT then nearest filtering, as the GL samples.
            const double s = q.s[k] - std::floor(q.s[k]), t = q.t[k] - std::floor(q.t[k]);
            const int x = std::min(p.width - 1, int(s * p.width));
            const int y = std::min(p.height - 1, int(t * p.height));
            const PixelRGB got = p.pixels[std::size_t(y) * p.width + x];
            ASSERT_TRUE(got.red == want.red && got.green == want.green && got.blue == want.blue)
                << "material " << i << " corner " << k << " texture " << q.texture;
        }
    }
    EXPECT_NEAR(area, Pictures * 100.0, 1e-6);
}

// Flat colours go to one palette bitmap, one texel each, which every corner
// of the quad points at; a picture that is missing leaves its material's
// colour, with a warning that names the file.
TEST(ImportBitmaps, FlatColoursAndMissingPicturesUseThePalette)
{
    ScopedWorkDir dir;
    ObjModel obj(dir.path());
    obj.material("red", "Kd 1 0 0");
    obj.material("blue", "Kd 0 0 1\nmap_Kd missing.png");
    obj.text("v 0 0 1\nv 1 0 1\nv 1 1 1\nv 0 1 1\nv 0 0 3\nv 1 0 3\nv 0 1 3");
    obj.text("vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1");
    obj.text("usemtl red\nf 1/1 2/2 3/3 4/4\nusemtl blue\nf 5/1 6/2 7/4");
    const Imported r = runStages(metreSettings(obj.write()));
    ASSERT_EQ(r.textured.size(), 2u);
    ASSERT_EQ(r.bitmapReport.warnings.size(), 1u);
    EXPECT_NE(r.bitmapReport.warnings[0].find("missing.png"), std::string::npos);
    ASSERT_EQ(r.bitmaps.size(), 1u);
    const Picture& palette = r.bitmaps[0].picture;
    std::set<std::tuple<int, int, int>> seen;
    for (const WorldQuad& q : r.textured) {
        for (int k = 1; k < 4; ++k) {
            EXPECT_EQ(q.s[k], q.s[0]);
            EXPECT_EQ(q.t[k], q.t[0]);
        }
        const PixelRGB c = palette.pixels[std::size_t(q.t[0] * palette.height) * palette.width +
                                          std::size_t(q.s[0] * palette.width)];
        seen.insert({c.red, c.green, c.blue});
    }
    EXPECT_EQ(seen, (std::set<std::tuple<int, int, int>>{{255, 0, 0}, {0, 0, 255}}));
}

// Vertex colours, with no picture: each face in the mean of its corners'
// colours. More colours than a small palette holds: each keeps fewer bits,
// within the palette's 16 x 16 texels at --max-texture 16.
TEST(ImportBitmaps, VertexColoursFillAPaletteThatMustStaySmall)
{
    ScopedWorkDir dir;
    ObjModel obj(dir.path());
    constexpr int Faces = 600;  // more than 16 x 16 colours
    for (int i = 0; i < Faces; ++i) {
        // One triangle a face, all three corners in one colour, two units
        // apart (no corner shared).
        const int r = i % 256, g = (7 * i) % 256, b = (i / 3) % 256;
        for (int k = 0; k < 3; ++k)
            obj.text("v " + std::to_string(2 * i + (k == 1)) + " " + std::to_string(k == 2) + " 0 " +
                     std::to_string(r / 255.0) + " " + std::to_string(g / 255.0) + " " +
                     std::to_string(b / 255.0));
    }
    for (int i = 0; i < Faces; ++i)
        obj.text("f " + std::to_string(3 * i + 1) + " " + std::to_string(3 * i + 2) + " " +
                 std::to_string(3 * i + 3));
    for (int side : {2048, 16}) {
        SCOPED_TRACE(side);
        ImportSettings settings = metreSettings(obj.write());
        settings.maxBitmapSide = side;
        const Imported r = runStages(settings);
        ASSERT_EQ(r.textured.size(), std::size_t(Faces));
        ASSERT_EQ(r.bitmaps.size(), 1u);
        const Picture& palette = r.bitmaps[0].picture;
        EXPECT_LE(palette.width, side);
        EXPECT_LE(palette.height, side);
        // Which face a quad is, from where it stands: face i lies at the
        // model's x from 2 i to 2 i + 1, which is the world's -y, 10 units
        // to the model's unit.
        double firstY = -1e9;
        for (const WorldQuad& q : r.textured)
            firstY = std::max({firstY, q.corner[0].y, q.corner[1].y, q.corner[2].y});
        const int tolerance = side == 16 ? 64 : 0;
        for (const WorldQuad& q : r.textured) {
            const double y = std::max({q.corner[0].y, q.corner[1].y, q.corner[2].y});
            const int i = int(std::lround((firstY - y) / 20));
            ASSERT_TRUE(i >= 0 && i < Faces);
            const PixelRGB c = palette.pixels[std::size_t(q.t[0] * palette.height) * palette.width +
                                              std::size_t(q.s[0] * palette.width)];
            EXPECT_LE(std::abs(c.red - i % 256), tolerance) << "face " << i;
            EXPECT_LE(std::abs(c.green - (7 * i) % 256), tolerance) << "face " << i;
            EXPECT_LE(std::abs(c.blue - (i / 3) % 256), tolerance) << "face " << i;
        }
    }
}

// Pictures named as exporters name them, found by the search's rules: the
// name as written; then, with \ read as /, no drive letter, %20 decoded
// and blanks trimmed, its trailing parts, the longest first, in the
// model's folder and up to two parents; letter case ignored where the
// exact name is not there. Where it was found is said from the model's
// folder, unless it is where the name points.
TEST(ImportPictures, FoundWhereExportersLeaveThem)
{
    ScopedWorkDir dir;
    const std::string folder = dir.path() + "/m/sub/FBX";
    for (const char* file : {"m/sub/FBX/tex.png", "m/sub/FBX/wood.jpg", "m/sub/OBJ/wood.jpg",
                             "m/sub/Pictures/sky blue.png", "m/far.png", "farther.png", "m/sub/FBX/Up.PNG"}) {
        if (std::filesystem::path(file).has_parent_path())
            std::filesystem::create_directories(std::filesystem::path(file).parent_path());
        writeFile(file, "not read by the search");
    }
    const struct {
        const char* name;
        const char* foundAs;  // "" when found where the name points; nullptr when not found
    } cases[] = {
        {"tex.png", ""},
        {".\\tex.png", ""},
        {" tex.png\t\t", ""},
        {"TEX.PNG", "tex.png"},
        {"up.png", "Up.PNG"},
        {"C:\\Users\\ana\\models\\OBJ\\Wood.JPG", "../OBJ/wood.jpg"},  // OBJ/wood.jpg before wood.jpg
        {"D:/projects/other/wood.jpg", "wood.jpg"},
        {"\\..\\Pictures\\Sky%20Blue.png", "../Pictures/sky blue.png"},
        {"file:///home/ana/tex/far.png", "../../far.png"},
        {"farther.png", nullptr},  // three levels up
        {"nowhere/none.png", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const PictureFile file = findPictureFile(folder, c.name);
        EXPECT_EQ(file.found, c.foundAs != nullptr);
        if (c.foundAs) {
            EXPECT_EQ(file.foundAs, c.foundAs);
        }
    }
    // Not found: looked for where the name points, as before the search.
    EXPECT_EQ(findPictureFile(folder, "nowhere\\none.png").path, folder + "/nowhere/none.png");
    EXPECT_EQ(findPictureFile(folder, "\\..\\Pictures\\Sky%20Blue.png").path,
              folder + "/../Pictures/sky blue.png");
}

// A picture that the search finds but that does not decode: the warning
// names the file found, and its faces take the material's flat colour.
TEST(ImportPictures, AnUnreadablePictureFoundElsewhereIsNamedInTheWarning)
{
    ScopedWorkDir dir;
    std::filesystem::create_directories("model");
    std::filesystem::create_directories("Tex");
    writeFile("Tex/broken.png", "these bytes are no picture");
    ObjModel obj(dir.path() + "/model");
    obj.material("m", "Kd 1 0 0\nmap_Kd D:\\work\\tex\\Broken.PNG");
    obj.text("usemtl m");
    obj.text(squareAtFront());
    const Imported r = runStages(metreSettings(obj.write()));
    ASSERT_EQ(r.bitmapReport.warnings.size(), 1u);
    const std::string& warning = r.bitmapReport.warnings[0];
    EXPECT_NE(warning.find("found as " + dir.path() + "/model/../Tex/broken.png"), std::string::npos) << warning;
    EXPECT_NE(warning.find("cannot be decoded"), std::string::npos) << warning;
    ASSERT_EQ(r.textured.size(), 1u);
    EXPECT_EQ(r.bitmaps[0].contents, "palette of 1 colours");
}

// Glass, by the rule: an OBJ material with d below 0.5, or Tr above 0.5,
// lets through more light than it stops; its faces are left out and
// counted, unless --keep-glass. d 0.5 is not below it, and stays. A model
// that is all glass is imported whole, as --keep-glass would.
TEST(ImportGlass, FacesOfMostlyTransparentMaterialsAreLeftOut)
{
    ScopedWorkDir dir;
    ObjModel obj(dir.path());
    const char* const materials[][2] = {
        {"clear", "d 0.3"}, {"tinted", "Tr 0.7"}, {"half", "d 0.5"}, {"solid", "d 1"}, {"lightTr", "Tr 0.2"}};
    for (const auto& m : materials)
        obj.material(m[0], std::string("Kd 0.5 0.5 0.5\n") + m[1]);
    // One square (two triangles) a material, side by side.
    for (int i = 0; i < 5; ++i) {
        const std::string x0 = std::to_string(2 * i), x1 = std::to_string(2 * i + 1);
        obj.text("v " + x0 + " 0 1\nv " + x1 + " 0 1\nv " + x1 + " 1 1\nv " + x0 + " 1 1");
        obj.text(std::string("usemtl ") + materials[i][0]);
        const int v = 4 * i + 1;
        obj.text("f " + std::to_string(v) + " " + std::to_string(v + 1) + " " + std::to_string(v + 2));
        obj.text("f " + std::to_string(v) + " " + std::to_string(v + 2) + " " + std::to_string(v + 3));
    }
    ImportSettings settings = metreSettings(obj.write());
    SourceModel model = readModel(settings.modelPath);
    ASSERT_EQ(model.triangles.size(), 10u);
    SourceModel kept = model;
    const GlassReport glass = leaveOutGlass(model, settings);
    EXPECT_EQ(glass.faces, 4u);
    EXPECT_EQ(glass.materials, 2u);
    EXPECT_EQ(glass.names, (std::vector<std::string>{"clear", "tinted"}));
    EXPECT_TRUE(glass.leftOut);
    EXPECT_FALSE(glass.everyFace);
    ASSERT_EQ(model.triangles.size(), 6u);
    for (const ModelTriangle& t : model.triangles)
        EXPECT_GE(model.materials[std::size_t(t.material)].opacity, 0.5)
            << model.materials[std::size_t(t.material)].name;

    settings.keepGlass = true;
    const GlassReport keep = leaveOutGlass(kept, settings);
    EXPECT_EQ(keep.faces, 4u);
    EXPECT_FALSE(keep.leftOut);
    EXPECT_EQ(kept.triangles.size(), 10u);

    // A model all of glass (here the two glass squares alone) is kept whole.
    settings.keepGlass = false;
    auto opaque = [&](const ModelTriangle& t) { return kept.materials[std::size_t(t.material)].opacity >= 0.5; };
    kept.triangles.erase(std::remove_if(kept.triangles.begin(), kept.triangles.end(), opaque), kept.triangles.end());
    const GlassReport all = leaveOutGlass(kept, settings);
    EXPECT_TRUE(all.everyFace);
    EXPECT_FALSE(all.leftOut);
    EXPECT_EQ(kept.triangles.size(), 4u);
}

// The other formats' glass as assimp gives it: glTF's base-colour alpha
// counts in BLEND mode only (MASK cuts out, OPAQUE ignores it), and its
// transmission lets light through; COLLADA's transparency is turned round
// in a file where some material would be wholly transparent, as 3ds Max
// writes them: teapots.DAE (transparency 0, 0.2 and 0; its reference
// picture shows three opaque teapots).
TEST(ImportGlass, GltfBlendAndTransmissionAndColladaTransparency)
{
    ScopedWorkDir dir;
    // Three corners in a buffer of nine floats: 0 0 0, 1 0 0, 0 1 0.
    const std::string triangle = "AAAAAAAAAAAAAAAAAACAPwAAAAAAAAAAAAAAAAAAgD8AAAAA";
    std::string gltf =
        R"({"asset":{"version":"2.0"},"extensionsUsed":["KHR_materials_transmission"],"scene":0,)"
        R"("scenes":[{"nodes":[0,1,2,3]}],"nodes":[{"mesh":0},{"mesh":1},{"mesh":2},{"mesh":3}],"meshes":[)";
    for (int m = 0; m < 4; ++m)
        gltf += std::string(m ? "," : "") + R"({"primitives":[{"attributes":{"POSITION":0},"material":)" +
                std::to_string(m) + "}]}";
    gltf += R"(],"materials":[)"
            R"({"name":"blend","alphaMode":"BLEND","pbrMetallicRoughness":{"baseColorFactor":[1,0,0,0.3]}},)"
            R"({"name":"mask","alphaMode":"MASK","pbrMetallicRoughness":{"baseColorFactor":[0,1,0,0.3]}},)"
            R"({"name":"opaque","pbrMetallicRoughness":{"baseColorFactor":[0,0,1,0.3]}},)"
            R"({"name":"transmits","extensions":{"KHR_materials_transmission":{"transmissionFactor":0.9}}}],)"
            R"("buffers":[{"byteLength":36,"uri":"data:application/octet-stream;base64,)" + triangle + R"("}],)"
            R"("bufferViews":[{"buffer":0,"byteLength":36}],"accessors":[{"bufferView":0,)"
            R"("componentType":5126,"count":3,"type":"VEC3","min":[0,0,0],"max":[1,1,0]}]})";
    writeFile("model.gltf", gltf);
    std::map<std::string, double> opacity;
    for (const SourceMaterial& m : readModel("model.gltf").materials)
        opacity[m.name] = m.opacity;
    EXPECT_NEAR(opacity["blend"], 0.3, 1e-6);
    EXPECT_EQ(opacity["mask"], 1);
    EXPECT_EQ(opacity["opaque"], 1);
    EXPECT_NEAR(opacity["transmits"], 0.1, 1e-6);

    for (const SourceMaterial& m : readModel(Models + "Collada/teapots.DAE").materials)
        EXPECT_GE(m.opacity, 0.8) << m.name;
}

// --up names the model's up axis: a wall the test writes z up (one unit
// wide along x, three high along z, its front facing -y as a z-up model
// faces the front view) stands three times as high as it is wide, facing
// -x, the front view's way; --turn 90 turns it counter-clockwise seen from
// above, to face -y. Wuson.ac, a pig with its up along -z as assimp reads
// it (its OBJ twin WusonOBJ.obj stands on +y), stands with --up -z as the
// OBJ stands.
TEST(ImportPlacement, UpAxisAndTurn)
{
    ScopedWorkDir dir;
    ObjModel obj(dir.path());
    obj.material("grey", "Kd 0.5 0.5 0.5");
    obj.text("v 0 0 0\nv 1 0 0\nv 1 0 3\nv 0 0 3\nusemtl grey\nf 1 2 3 4");
    ImportSettings settings = metreSettings(obj.write());
    settings.up = "+z";
    struct Box {
        Point3d low{1e9, 1e9, 1e9}, high{-1e9, -1e9, -1e9};
        Point3d size() const { return {high.x - low.x, high.y - low.y, high.z - low.z}; }
    };
    auto boxOf = [](const std::vector<WorldQuad>& quads) {
        Box b;
        for (const WorldQuad& q : quads)
            for (const Point3d& p : q.corner) {
                b.low = {std::min(b.low.x, p.x), std::min(b.low.y, p.y), std::min(b.low.z, p.z)};
                b.high = {std::max(b.high.x, p.x), std::max(b.high.y, p.y), std::max(b.high.z, p.z)};
            }
        return b;
    };
    const Imported upright = runStages(settings);
    ASSERT_EQ(upright.quads.size(), 1u);
    const Point3d size = boxOf(upright.quads).size();
    EXPECT_NEAR(size.z, 30, 1e-9);  // real size: 10 world units to the metre
    EXPECT_NEAR(size.y, 10, 1e-9);
    EXPECT_NEAR(size.x, 0, 1e-9);
    const Point3d n = programNormal(upright.quads[0]);
    EXPECT_NEAR(n.x / norm(n), -1, 1e-12);

    settings.turnDegrees = 90;
    const Imported turned = runStages(settings);
    const Point3d t = programNormal(turned.quads[0]);
    EXPECT_NEAR(t.y / norm(t), -1, 1e-12);
    EXPECT_NEAR(boxOf(turned.quads).size().x, 10, 1e-9);

    // The height of the middle of the pig's surface (by area), which an
    // upside-down pig has mirrored.
    auto surfaceHeight = [](const std::vector<WorldQuad>& quads) {
        double area = 0, moment = 0;
        for (const WorldQuad& q : quads)
            for (const auto& [a, b, c] : {std::array<int, 3>{0, 1, 2}, {0, 2, 3}}) {
                const double part = norm(cross(sub(q.corner[b], q.corner[a]), sub(q.corner[c], q.corner[a]))) / 2;
                area += part;
                moment += part * (q.corner[a].z + q.corner[b].z + q.corner[c].z) / 3;
            }
        return moment / area;
    };
    ImportSettings pig = metreSettings(Models + "AC/Wuson.ac");
    pig.up = "-z";
    const std::vector<WorldQuad> acQuads = runStages(pig).quads;
    const std::vector<WorldQuad> twinQuads = runStages(metreSettings(Models + "OBJ/WusonOBJ.obj")).quads;
    const Box ac = boxOf(acQuads), twin = boxOf(twinQuads);
    for (const auto& [a, b] : {std::pair{ac.size().x, twin.size().x}, {ac.size().y, twin.size().y},
                               {ac.size().z, twin.size().z}})
        EXPECT_NEAR(a, b, 1e-4);
    EXPECT_GT(ac.size().z, 14);  // 1.5 m high, not the pig's 3.2 m length
    EXPECT_NEAR(surfaceHeight(acQuads), surfaceHeight(twinQuads), 1e-3);
}

// Simplification cuts a model to the triangles asked for, and no further
// than it must.
TEST(ImportSimplify, DuckToAThousandTriangles)
{
    SourceModel model = readModel(Models + "Collada/duck.dae");
    const std::size_t before = model.triangles.size();
    const SimplifyReport report = simplifyModel(model, 1000);
    EXPECT_EQ(report.trianglesBefore, before);
    EXPECT_LE(model.triangles.size(), 1000u);
    EXPECT_GE(model.triangles.size(), 500u);
    EXPECT_EQ(report.trianglesAfter, model.triangles.size());
    for (const ModelTriangle& t : model.triangles)
        for (std::uint32_t v : t.v)
            ASSERT_LT(v, model.vertices.size());
}

// The reading process hands its model back as bytes: every field of every
// type set to a value of its own comes back the same, across many of the
// writer's pieces (5000 vertices, and a picture of 100 000 bytes, larger
// than a piece); bytes cut short, one too many, or a length past the end
// are refused as an ImportError, before anything is allocated for them.
TEST(ImportReading, TheModelComesBackFromBytesWithEveryField)
{
    SourceModel m;
    m.format = "glTF 2.0 (binary)";
    m.facesIn = 7;
    m.vertices.resize(5000);
    m.vertices[4999] = {{1.5, -2.25, 1e300}, 0.125, -3, {1, 2, 3}};
    ModelTriangle t;
    t.v[0] = 4999, t.v[1] = 1, t.v[2] = 0xFFFFFFFFu;
    t.material = 1, t.hasTexCoords = true, t.hasColours = true;
    m.triangles = {ModelTriangle{}, t};
    m.materials = {SourceMaterial{}, {"gold", {10, 20, 30}, 1, {40, 50, 60}, 0.375}};
    SourcePicture p{"duck.png", "/models/duck.png", "../textures/Duck.PNG",
                    std::vector<unsigned char>(100000, 7), 2, 1, {{4, 5, 6}, {7, 8, 9}}};
    p.encoded[99999] = 255;
    m.pictures = {SourcePicture{}, p};
    m.dropped = {1, 2, 3, 4, 5, 6, true};
    m.unitMetres = 0.0254;
    m.unitSource = "the FBX file";

    std::string bytes;
    int pieces = 0;
    encodeSourceModel(m, [&](const char* data, std::size_t size) {
        bytes.append(data, size);
        ++pieces;
    });
    EXPECT_GT(pieces, 3);
    const SourceModel b = decodeSourceModel(bytes);
    EXPECT_EQ(b.format, "glTF 2.0 (binary)");
    EXPECT_EQ(b.facesIn, 7u);
    ASSERT_EQ(b.vertices.size(), 5000u);
    const ModelVertex& v = b.vertices[4999];
    EXPECT_EQ(std::vector<double>({v.position.x, v.position.y, v.position.z, v.s, v.t}),
              std::vector<double>({1.5, -2.25, 1e300, 0.125, -3}));
    EXPECT_EQ(std::vector<int>({v.colour.red, v.colour.green, v.colour.blue}),
              std::vector<int>({1, 2, 3}));
    ASSERT_EQ(b.triangles.size(), 2u);
    const ModelTriangle& bt = b.triangles[1];
    EXPECT_EQ(std::vector<std::uint32_t>(bt.v, bt.v + 3),
              std::vector<std::uint32_t>({4999, 1, 0xFFFFFFFFu}));
    EXPECT_EQ(bt.material, 1);
    EXPECT_TRUE(bt.hasTexCoords && bt.hasColours);
    ASSERT_EQ(b.materials.size(), 2u);
    const SourceMaterial& bm = b.materials[1];
    EXPECT_EQ(bm.name, "gold");
    EXPECT_EQ(bm.picture, 1);
    EXPECT_EQ(std::vector<int>({bm.colour.red, bm.colour.green, bm.colour.blue, bm.tint.red,
                                bm.tint.green, bm.tint.blue}),
              std::vector<int>({10, 20, 30, 40, 50, 60}));
    EXPECT_EQ(bm.opacity, 0.375);
    ASSERT_EQ(b.pictures.size(), 2u);
    const SourcePicture& bp = b.pictures[1];
    EXPECT_EQ(bp.name, "duck.png");
    EXPECT_EQ(bp.path, "/models/duck.png");
    EXPECT_EQ(bp.foundAs, "../textures/Duck.PNG");
    EXPECT_EQ(bp.encoded, p.encoded);
    EXPECT_EQ(std::vector<int>({bp.width, bp.height, bp.texels.at(1).red, bp.texels.at(1).blue}),
              std::vector<int>({2, 1, 7, 9}));
    const DroppedFaces& d = b.dropped;
    EXPECT_EQ(std::vector<std::size_t>(
                  {d.points, d.lines, d.indexOutOfRange, d.noCorners, d.nonFinite, d.zeroArea}),
              std::vector<std::size_t>({1, 2, 3, 4, 5, 6}));
    EXPECT_TRUE(d.libraryDroppedOutOfRange);
    EXPECT_EQ(b.unitMetres, 0.0254);
    EXPECT_EQ(b.unitSource, "the FBX file");

    for (std::size_t cut : {std::size_t(0), std::size_t(9), bytes.size() / 2, bytes.size() - 1})
        EXPECT_THROW(decodeSourceModel(std::string_view(bytes).substr(0, cut)), ImportError) << cut;
    EXPECT_THROW(decodeSourceModel(bytes + "x"), ImportError);
    std::string garbled = bytes;
    garbled[7] = 0x40;  // the format's length: 2^62 bytes and more
    EXPECT_THROW(decodeSourceModel(garbled), ImportError);
}

} // namespace

// ------------------------------------------------------------------- cache

// The cache's names, from the scheme the launcher has always used: the
// file's name with other bytes turned into _, 64 bytes at most, and 16 hex
// digits of a 64-bit FNV-1a hash of the real path (the hash's published
// test values: "" cbf29ce484222325, "a" af63dc4c8601ec8c, "foobar"
// 85944171f73967e8); the stamp as `stat -c '%s %.9Y'` wrote it.
TEST(ImportCache, FolderNamesRootAndStamp)
{
    EXPECT_EQ(fnv1a64Hex(""), "cbf29ce484222325");
    EXPECT_EQ(fnv1a64Hex("a"), "af63dc4c8601ec8c");
    EXPECT_EQ(fnv1a64Hex("foobar"), "85944171f73967e8");

    EXPECT_EQ(cacheFolderName("/home/ana/My House (v2).glb"),
              "My_House__v2_.glb-" + fnv1a64Hex("/home/ana/My House (v2).glb"));
    EXPECT_EQ(cacheFolderName("/m/casa+\xc3\xa9_1-2.OBJ"), "casa+___1-2.OBJ-" + fnv1a64Hex("/m/casa+\xc3\xa9_1-2.OBJ"));
    const std::string longName(70, 'x');
    EXPECT_EQ(cacheFolderName("/m/" + longName), std::string(64, 'x') + "-" + fnv1a64Hex("/m/" + longName));
    // Same name, other folders: other keys.
    EXPECT_NE(cacheFolderName("/one/box.glb"), cacheFolderName("/two/box.glb"));

    EXPECT_EQ(cacheRoot("/tmp/xdg", "/home/ana"), "/tmp/xdg/mirtal");
    EXPECT_EQ(cacheRoot("", "/home/ana"), "/home/ana/.cache/mirtal");
    EXPECT_EQ(cacheRoot(nullptr, "/home/ana"), "/home/ana/.cache/mirtal");
    EXPECT_EQ(cacheRoot(nullptr, nullptr), "");

    EXPECT_EQ(importStamp("/m/a.obj", 12, 1700000000, 5, "1.1.0"),
              "model /m/a.obj\nsize-mtime 12 1700000000.000000005\nmirtal 1.1.0\n");
}

namespace {

std::string stampOf(const std::string& folder)
{
    const std::vector<unsigned char> bytes = readFile(folder + "/.mirtal-import-stamp");
    return std::string(bytes.begin(), bytes.end());
}

// Each file's name, inode and modification time: the same unless written again.
std::vector<std::string> filesOf(const std::string& folder)
{
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        struct stat info {};
        stat(entry.path().c_str(), &info);
        files.push_back(entry.path().filename().string() + " " + std::to_string(info.st_ino) + " " +
                        std::to_string(info.st_mtim.tv_sec) + "." + std::to_string(info.st_mtim.tv_nsec));
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::string> namesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(ImportCache, ImportsOnceAgainOnChangeAndKeepsTheLastGoodFolder)
{
    namespace fs = std::filesystem;
    ScopedWorkDir work;
    const std::string root = work.path() + "/cache/mirtal";
    fs::create_directories("one");
    fs::copy_file(Models + "glTF2/BoxTextured-glTF-Binary/BoxTextured.glb", "one/box.glb");
    const std::string real = work.path() + "/one/box.glb";
    const std::string folder = root + "/box.glb-" + fnv1a64Hex(real);

    // First: imported, a whole scene with its stamp.
    CachedScene first = importIntoCache("one/box.glb", root, "1.0", "test");
    EXPECT_TRUE(first.imported);
    EXPECT_EQ(first.folder, folder);
    for (const std::string& name : sceneFileNames())
        EXPECT_TRUE(fs::exists(folder + "/" + name)) << name;
    struct stat info {};
    ASSERT_EQ(stat(real.c_str(), &info), 0);
    EXPECT_EQ(stampOf(folder), importStamp(real, static_cast<unsigned long long>(info.st_size),
                                           info.st_mtim.tv_sec, info.st_mtim.tv_nsec, "1.0"));
    EXPECT_EQ(namesIn(root), std::vector<std::string>{"box.glb-" + fnv1a64Hex(real)});

    // Unchanged, by any name of the same file: not imported, not touched.
    const std::vector<std::string> before = filesOf(folder);
    fs::create_symlink(real, "link.glb");
    for (const std::string& name : {std::string("one/box.glb"), real, std::string("link.glb")}) {
        const CachedScene again = importIntoCache(name, root, "1.0", "test");
        EXPECT_FALSE(again.imported) << name;
        EXPECT_EQ(again.folder, folder) << name;
    }
    EXPECT_EQ(filesOf(folder), before);

    // Another version, or a new modification time: imported again, in place.
    EXPECT_TRUE(importIntoCache(real, root, "1.1", "test").imported);
    EXPECT_NE(filesOf(folder), before);
    const struct timespec times[2] = {{info.st_mtim.tv_sec + 5, 1}, {info.st_mtim.tv_sec + 5, 1}};
    ASSERT_EQ(utimensat(AT_FDCWD, real.c_str(), times, 0), 0);
    const CachedScene changed = importIntoCache(real, root, "1.1", "test");
    EXPECT_TRUE(changed.imported);
    EXPECT_NE(stampOf(folder).find(" " + std::to_string(info.st_mtim.tv_sec + 5) + ".000000001\n"),
              std::string::npos)
        << stampOf(folder);
    EXPECT_EQ(namesIn(root), std::vector<std::string>{"box.glb-" + fnv1a64Hex(real)});

    // The model spoilt: refused, and the last good folder stays as it was,
    // with nothing left beside it.
    const std::string goodStamp = stampOf(folder);
    const std::vector<std::string> good = filesOf(folder);
    writeFile(real, "no model here\n");
    EXPECT_THROW(importIntoCache(real, root, "1.1", "test"), ImportError);
    EXPECT_EQ(filesOf(folder), good);
    EXPECT_EQ(stampOf(folder), goodStamp);
    EXPECT_EQ(namesIn(root), std::vector<std::string>{"box.glb-" + fnv1a64Hex(real)});
}

TEST(ImportCache, RefusesWhatIsNoModelFileAndACacheThatCannotBeMade)
{
    ScopedWorkDir work;
    const std::string root = work.path() + "/cache/mirtal";
    EXPECT_THROW(importIntoCache("missing.glb", root, "1.0", "test"), ImportError);
    std::filesystem::create_directory("folder.glb");
    EXPECT_THROW(importIntoCache("folder.glb", root, "1.0", "test"), ImportError);
    EXPECT_FALSE(std::filesystem::exists(work.path() + "/cache"));

    const std::string model = Models + "glTF2/BoxTextured-glTF-Binary/BoxTextured.glb";
    writeFile("blocked", "a file where the cache's folder would go\n");
    try {
        importIntoCache(model, work.path() + "/blocked/mirtal", "1.0", "test");
        ADD_FAILURE() << "a cache under a file was accepted";
    } catch (const OutputError&) {
    }
    EXPECT_THROW(importIntoCache(model, "", "1.0", "test"), OutputError);
}
