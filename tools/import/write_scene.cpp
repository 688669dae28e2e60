// Writing the scene folder whole or not at all: every file goes into a new
// folder beside the output, which is renamed into place at the end (or, with
// --force into an existing folder, whose scene files alone are replaced one
// by one). Entry points: checkOutput(), sceneFileNames(), writeScene().
#include "import.h"

#include "image/bmp_writer.h"
#include "image/textures.h"
#include "image_canvas.h"
#include "scene_layout.h"
#include "textures.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

// The four raw terrain images: the program needs them all, though the
// imported scene has no terrain patches that show them.
constexpr const char* RawImages[] = {"janela.raw", "Relva1.raw", "alcatrao.raw", "cimento2.raw"};
constexpr const char* QuadFile = "data_textura.geo";
constexpr const char* TerrainFile = "data_terreno.geo";
constexpr const char* SkyFile = "ceu.bmp";
constexpr const char* GrassFile = "Relva1.bmp";

// The lawn to the horizon: a grid of ground quads, no corner of one on
// another's edge, reaching past the sky sphere; the grass repeats finely in
// the cell around the model, where the cameras stand, coarser further out
// (as the default scene lays its land).
void addLawn(QuadModel& scene)
{
    constexpr double E = TerrainEdge;
    constexpr double Xs[] = {-E, -1300, BoundaryWest, BoundaryEast, 1300, E};
    constexpr double Ys[] = {-E, -1300, BoundarySouth, BoundaryNorth, 1300, E};
    int cell = 0;
    for (auto y = std::begin(Ys); y + 1 != std::end(Ys); ++y)
        for (auto x = std::begin(Xs); x + 1 != std::end(Xs); ++x) {
            const double cx = (*x + *(x + 1)) / 2, cy = (*y + *(y + 1)) / 2;
            const bool aroundModel = *x == BoundaryWest && *y == BoundarySouth;
            const GroundCover cover = aroundModel ? NearGrass
                                      : std::hypot(cx, cy) < 1300 ? FieldGrass
                                                                 : FarGrass;
            addGround(scene, "lawn_" + std::to_string(++cell), cover, *x, *y, *(x + 1), *(y + 1));
        }
}

std::vector<unsigned char> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

// A plain grey picture for the ids the model leaves unused.
std::vector<unsigned char> unusedBitmap()
{
    const std::vector<PixelRGB> grey(8 * 8, PixelRGB{128, 128, 128});
    return encodeBmp24(grey, 8, 8);
}

bool isEmptyFolder(const fs::path& path)
{
    std::error_code error;
    return fs::is_directory(path, error) && fs::is_empty(path, error);
}

void writeFile(const fs::path& path, const std::vector<unsigned char>& bytes)
{
    if (!writeBytes(path.string(), bytes))
        throw OutputError("cannot write " + path.string() + ": " + std::strerror(errno));
}

} // namespace

std::vector<std::string> sceneFileNames()
{
    std::vector<std::string> names;
    for (const BitmapTexture& texture : BitmapTextureTable)
        names.push_back(texture.fileName);
    names.insert(names.end(), std::begin(RawImages), std::end(RawImages));
    names.push_back(QuadFile);
    names.push_back(TerrainFile);
    return names;
}

void checkOutput(const ImportSettings& settings)
{
    const fs::path output(settings.outputPath);
    std::error_code error;
    if (!fs::exists(output, error))
        return;
    if (!fs::is_directory(output, error))
        throw OutputError("exists and is not a folder");
    if (!isEmptyFolder(output) && !settings.force)
        throw OutputError("exists and is not empty (--force replaces the scene's files in it)");
}

void writeScene(const std::vector<WorldQuad>& quads, const std::vector<SceneBitmap>& bitmaps,
                const ImportSettings& settings)
{
    checkOutput(settings);
    fs::path output = fs::path(settings.outputPath);
    if (output.filename().empty())
        output = output.parent_path();  // "out/" names the folder "out"
    const fs::path parent = output.has_parent_path() ? output.parent_path() : fs::path(".");
    std::error_code error;
    if (!fs::is_directory(parent, error))
        throw OutputError("its parent folder " + parent.string() + " does not exist");

    std::string pattern = (parent / ("." + output.filename().string() + ".import-XXXXXX")).string();
    if (!mkdtemp(pattern.data()))
        throw OutputError("cannot make a folder beside it: " + std::string(std::strerror(errno)));
    const fs::path temporary(pattern);
    // mkdtemp makes the folder for its owner alone; the scene folder gets the
    // permissions of any new folder.
    const mode_t mask = umask(0);
    umask(mask);
    chmod(pattern.c_str(), 0777 & ~mask);
    try {
        QuadModel scene;
        for (const WorldQuad& q : quads) {
            std::array<Vec3, 4> corners;
            std::array<TexCoord, 4> st;
            for (int k = 0; k < 4; ++k) {
                corners[std::size_t(k)] = {q.corner[k].x, q.corner[k].y, q.corner[k].z};
                st[std::size_t(k)] = {q.s[k], q.t[k]};
            }
            // Facing the way its own corners 1 to 3 say: written as made.
            const Vec3 facing = cross(corners[0] - corners[1], corners[1] - corners[2]);
            scene.add("model", q.texture, corners, st, facing);
        }
        addLawn(scene);
        writeFile(temporary / QuadFile, bytesOf(scene.text()));
        // No terrain patches: the count, then the terminator alone.
        writeFile(temporary / TerrainFile, bytesOf(TerrainModel().text()));

        std::vector<bool> written(std::size(BitmapTextureTable), false);
        for (std::size_t i = 0; i < std::size(BitmapTextureTable); ++i) {
            const BitmapTexture& texture = BitmapTextureTable[i];
            std::vector<unsigned char> bytes;
            if (texture.fileName == std::string(SkyFile) || texture.fileName == std::string(GrassFile))
                bytes = defaultTextureFile(texture.fileName);
            for (const SceneBitmap& bitmap : bitmaps)
                if (bitmap.id == texture.id)
                    bytes = encodeBmp24(bitmap.picture.pixels, bitmap.picture.height,
                                        bitmap.picture.width);
            if (bytes.empty())
                bytes = unusedBitmap();
            writeFile(temporary / texture.fileName, bytes);
        }
        for (const char* raw : RawImages)
            writeFile(temporary / raw, defaultTextureFile(raw));

        if (!fs::exists(output, error) || isEmptyFolder(output)) {
            // rename() replaces an empty folder in one step.
            fs::rename(temporary, output);
        } else {
            for (const std::string& name : sceneFileNames())
                fs::rename(temporary / name, output / name);
            fs::remove(temporary);
        }
    } catch (const fs::filesystem_error& e) {
        fs::remove_all(temporary, error);
        throw OutputError(std::string("cannot put the scene in place: ") + e.code().message());
    } catch (...) {
        fs::remove_all(temporary, error);
        throw;
    }
}
