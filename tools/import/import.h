// mirtal-import: turns a model made in a modelling program (glTF, OBJ,
// COLLADA, 3DS, FBX and whatever else assimp reads) into a scene folder that
// Mirtal shows: data_textura.geo, data_terreno.geo, the 17 bitmaps and the
// four raw terrain images. The whole pipeline, each stage plain data in and
// plain data out, with no GL:
//
//   readModel      (read_isolated.cpp) reads in a child process, under limits:
//     readWithAssimp (read_model.cpp)  assimp -> vertices, triangles, materials
//     encodeSourceModel, decodeSourceModel (model_bytes.cpp) the child's answer
//   leaveOutGlass  (glass.cpp)       no faces of see-through materials, but for --keep-glass
//   simplifyModel  (simplify.cpp)    fewer triangles, for --max-quads
//   placeModel     (placement.cpp)   model space -> world space (z up), scaled
//   makeQuads      (quads.cpp)       triangles -> quads
//   makeBitmaps    (bitmaps.cpp)     pictures and colours -> 15 bitmaps,
//                                    texture ids and coordinates of the quads
//   writeScene     (write_scene.cpp) the folder, whole or not at all
//
// importModel (import.cpp) runs them in order; main.cpp only parses the
// command line into ImportSettings.
//
// Spaces: the model file's own axes are y up (assimp turns the formats that
// are z up into y up); the world is z up, about 10 cm to the unit, the
// default house over x 0..150, y 0..200 with its front facing -x. The scene
// file holds model space again: the program draws it turned +90 degrees
// about x, so a file point (x, y, z) appears at world (x, -z, y).
#pragma once

#include "image/pixmap.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// How long, and with how much memory, the model library may read a model
// (read_isolated.cpp).
struct ReadLimits {
    double seconds = 0;              // --time-limit; 0: readTimeLimit() of the file's size
    std::uint64_t memoryBytes = 0;   // --memory-limit; 0: defaultMemoryLimit()
    // A test build's planted fault (tests/import/planted_faults.h), run in
    // the reading process just before the library reads; never set otherwise.
    void (*plantedFault)() = nullptr;
};

// Every option of the command line.
struct ImportSettings {
    std::string modelPath;
    std::string outputPath;
    std::string reportedPath;   // where the report says the folder is, when a caller moves
                                // it after the import (the cache); empty: outputPath
    bool realSize = false;      // --real-size: keep the model's size (10 units to the metre)
    double unitMetres = 0;      // --units: metres per model unit; 0 = the file's, else metres
    std::size_t maxQuads = 0;   // --max-quads: 0 = no simplification
    int maxBitmapSide = 2048;   // --max-texture: largest bitmap side, a power of two
    bool force = false;         // --force: write into an existing, non-empty folder
    bool keepGlass = false;     // --keep-glass: draw the faces of glass, opaque
    std::string up = "+y";      // --up: the model's up axis, +x -x +y -y +z -z (isUpAxis)
    double turnDegrees = 0;     // --turn: about the vertical, counter-clockwise from above
    std::string windowsZip;     // --windows-zip: also the Windows walk-through (windows_zip.h)
    std::string webPage;        // --web: also the web walk-through's single HTML (web_page.h)
    ReadLimits readLimits;      // --time-limit, --memory-limit
};

// What is wrong with the input, in words for the person who gave it; the
// command line prints it after the file's name and exits with status 2.
struct ImportError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
// The same about the output folder, which the message then names.
struct OutputError : ImportError {
    using ImportError::ImportError;
};

// ------------------------------------------------------------------ reading

struct Point3d {
    double x = 0, y = 0, z = 0;
};

struct ModelVertex {
    Point3d position;     // model space after the node transforms; world after placeModel
    double s = 0, t = 0; // texture coordinates, t = 0 at the bottom of the picture
    PixelRGB colour;     // the vertex colour, where the mesh has one
};

struct ModelTriangle {
    std::uint32_t v[3];   // vertex indices, counter-clockwise seen from the front
    int material = 0;     // index into SourceModel::materials
    bool hasTexCoords = false;
    bool hasColours = false;
};

// A picture a material names: a file beside the model, or one held in it.
struct SourcePicture {
    std::string name;                    // as the model names it, for messages
    std::string path;                    // the file to read; empty when embedded
    std::string foundAs;                 // where the search found it, from the model's
                                         // folder; empty when found as named (or not found)
    std::vector<unsigned char> encoded;  // an embedded PNG, JPEG...
    int width = 0, height = 0;           // an embedded picture given as texels
    std::vector<PixelRGB> texels;        //   (bottom row first)
};

// The file of a picture that a material names. First the name as written,
// relative to the model's folder; then, with \ read as /, a drive letter
// dropped, %XX escapes decoded and blanks around it trimmed, each trailing
// part of the name, the longest first (of the parts after its last . or
// ..: a/b/c.jpg, b/c.jpg, c.jpg), in the model's folder and then in its
// parents up to two levels up. Each try takes a part that differs in
// letter case only where the exact name is not there.
struct PictureFile {
    std::string path;     // the file found; else where the name as written points
    bool found = false;
    std::string foundAs;  // found other than as written: the file, from the model's folder
};
PictureFile findPictureFile(const std::string& modelFolder, std::string name);

struct SourceMaterial {
    std::string name;
    PixelRGB colour{204, 204, 204};  // base or diffuse colour, as displayed
    int picture = -1;                // index into SourceModel::pictures, or none
    PixelRGB tint{255, 255, 255};    // what the picture is multiplied by (glTF's base colour factor)
    double opacity = 1;              // how much of the light it stops: 1 opaque, 0 clear
};

// Faces that are not drawn, by why.
struct DroppedFaces {
    std::size_t points = 0;
    std::size_t lines = 0;
    std::size_t indexOutOfRange = 0;
    std::size_t noCorners = 0;
    std::size_t nonFinite = 0;
    std::size_t zeroArea = 0;
    // assimp drops some faces itself and only says so in a warning, with no
    // count (glTF indices out of range).
    bool libraryDroppedOutOfRange = false;
    std::size_t total() const
    {
        return points + lines + indexOutOfRange + noCorners + nonFinite + zeroArea;
    }
};

struct SourceModel {
    std::string format;                 // what read it, e.g. "glTF 2.0 (binary)"
    std::size_t facesIn = 0;            // faces of every mesh as placed by the nodes
    std::vector<ModelVertex> vertices;
    std::vector<ModelTriangle> triangles;
    std::vector<SourceMaterial> materials;
    std::vector<SourcePicture> pictures;
    DroppedFaces dropped;
    double unitMetres = 0;              // metres per unit from the file; 0 when it gives none
    std::string unitSource;             // where unitMetres comes from
};

// The dropped faces in words: "3 points, 12 lines".
std::string describeDropped(const DroppedFaces& dropped);

// Reads the model with assimp, all meshes under their node transforms,
// triangulated. Throws ImportError when the file cannot be read or holds no
// triangle to draw.
SourceModel readWithAssimp(const std::string& path);

// readWithAssimp in a child process, which hands the model back: a crash
// of the library, a read past the time limit and an allocation past the
// memory limit become an ImportError that says so, as does what the child
// throws (anything else it throws comes back as a std::runtime_error).
SourceModel readModel(const std::string& path, const ReadLimits& limits = {});

// The time limit of a file of that size: ReadSecondsFloor seconds and
// ReadSecondsPerMB more a megabyte, rounded up to a whole second.
extern const double ReadSecondsFloor, ReadSecondsPerMB;
double readTimeLimit(std::uintmax_t fileBytes);
// The memory the library may take when none is given: half the machine's.
std::uint64_t defaultMemoryLimit();
// --time-limit SECONDS (whole, from 1) and --memory-limit GB (gigabytes of
// 2^30 bytes, above 0), as every command line that imports takes them:
// whether `option` is one, and its value into `limits`, or what is wrong
// with it.
// (read_limits.cpp)
bool isReadLimitOption(const std::string& option);
std::string parseReadLimit(const std::string& option, const std::string& value, ReadLimits& limits);
// A limit in its messages' words: 140, 11.7, 0.25 (three figures, or whole
// from 100 up); --memory-limit counts LimitBytesPerGB to the gigabyte.
std::string limitFigure(double value);
constexpr double LimitBytesPerGB = 1 << 30;

// The model as bytes, given to `out` piece by piece, and back; decoding
// throws ImportError when the bytes are cut short or garbled.
void encodeSourceModel(const SourceModel& model,
                       const std::function<void(const char*, std::size_t)>& out);
SourceModel decodeSourceModel(std::string_view bytes);

// -------------------------------------------------------------------- glass

// A material that stops less than this share of the light is glass.
constexpr double GlassOpacity = 0.5;

struct GlassReport {
    std::size_t faces = 0;               // triangles of glass materials
    std::size_t materials = 0;           // glass materials that faces use
    std::vector<std::string> names;      // their names, each once, in order of use
    bool leftOut = false;                // the faces were taken out
    bool everyFace = false;              // every triangle is of glass: all kept
};

// Takes out the triangles of glass materials, unless settings.keepGlass or
// every triangle is of glass (a model all of glass is kept whole).
GlassReport leaveOutGlass(SourceModel& model, const ImportSettings& settings);

// ------------------------------------------------------------- simplifying

struct SimplifyReport {
    std::size_t trianglesBefore = 0, trianglesAfter = 0;
    double error = 0;         // relative to the model's size
    std::string method;       // how far it had to go
};

// Cuts the triangles to about targetTriangles with meshoptimizer, keeping
// texture seams and open borders where it can.
SimplifyReport simplifyModel(SourceModel& model, std::size_t targetTriangles);

// ---------------------------------------------------------------- placement

struct Placement {
    Point3d size;           // the model's extent in world axes (x, y, z), model units
    double scale = 1;      // world units per model unit
    double unitMetres = 1; // what one model unit is taken to be
    std::string unitSource;
};

// The default house's footprint, which an imported model fills, and the
// height of the model's lowest point above the lawn (2 cm, so that a floor
// at the bottom of the model does not fight the lawn for depth).
constexpr double FootprintX0 = 0, FootprintX1 = 150, FootprintY0 = 0, FootprintY1 = 200;
constexpr double ModelLift = 0.2;

// Moves every vertex that a triangle uses to world space: stood up on
// settings.up, turned z up with the model's front (+z in the file) facing
// -x as the house's does, turned by settings.turnDegrees about the
// vertical, scaled to fill the house's footprint (or by its real size with
// realSize) and standing on the lawn where the house stands.
Placement placeModel(SourceModel& model, const ImportSettings& settings);
// Whether --up takes this name: +x -x +y -y +z -z.
bool isUpAxis(const std::string& name);

// -------------------------------------------------------------------- quads

// One quad in world space: corners counter-clockwise from the front, the
// normal coming from corners 1 to 3; a triangle repeats its last corner.
struct WorldQuad {
    Point3d corner[4];
    double s[4] = {}, t[4] = {};
    int material = 0;
    bool textured = false;  // shows its material's picture
    PixelRGB colour;        // else this flat colour
    int texture = 0;        // the TextureId, set by makeBitmaps
};

struct QuadReport {
    std::size_t pairs = 0;    // quads made of two triangles
    std::size_t singles = 0;  // triangles left alone

    std::size_t triangles() const { return 2 * pairs + singles; }
    // Quads for each triangle drawn (1 with none paired, 0.5 with all), and
    // the share of the triangles that are half of a pair.
    double quadsPerTriangle() const { return triangles() ? double(pairs + singles) / double(triangles()) : 0; }
    double sharePaired() const { return triangles() ? double(2 * pairs) / double(triangles()) : 0; }
};

// Joins two triangles that share an edge wherever their quad draws nearly
// their picture along either diagonal: convex, nearly planar, with texture
// coordinates that nearly follow one affine map, and lit by one normal near
// both triangles' own (the tolerances are in quads.cpp). Of the pairs that
// qualify it takes as many as it can, the better fits first. Every other
// triangle becomes a quad with a repeated corner. Triangles of no area are
// dropped and counted in model.dropped.
std::vector<WorldQuad> makeQuads(SourceModel& model, QuadReport& report);

// ------------------------------------------------------------------ bitmaps

// A picture decoded, bottom row first.
struct Picture {
    int width = 0, height = 0;
    std::vector<PixelRGB> pixels;
};

// Decodes a material's picture (stb_image); false, with the reason in
// `why`, when it is missing or cannot be read.
bool decodePicture(const SourcePicture& source, Picture& picture, std::string& why);

// One of the scene's bitmaps and what it holds.
struct SceneBitmap {
    int id = 0;              // TextureId; the file name comes from the texture table
    Picture picture;
    std::string contents;    // for the report: "picture duck.png", "atlas of 5 pictures"...
};

struct BitmapReport {
    std::vector<std::string> warnings;   // pictures that could not be read
    std::size_t atlasPictures = 0;       // pictures packed into the atlas
    std::size_t facesCut = 0;            // quads cut at a repeat of an atlas picture
};

// Decodes the pictures, gives each picture (or the atlas, when they are too
// many) and the flat colours a bitmap, and sets every quad's texture id and
// coordinates; quads on the atlas that cross a repeat are cut there.
std::vector<SceneBitmap> makeBitmaps(const SourceModel& model, std::vector<WorldQuad>& quads,
                                     const ImportSettings& settings, BitmapReport& report);

// Ids the model may use: every bitmap of the texture table but the sky (2016)
// and the lawn's grass (2008).
std::vector<int> modelTextureIds();
// The file of a texture id, from the texture table.
const char* bitmapFileName(int id);

// -------------------------------------------------------------------- write

// Every file name of a scene folder.
std::vector<std::string> sceneFileNames();

// Writes the scene (the quads, a lawn to the horizon, the default sky and
// grass, bitmaps for every unused id) into a new folder beside
// settings.outputPath and renames it into place; with settings.force into an
// existing folder, replacing the scene's own files only. Throws ImportError
// naming the output folder when that is refused or fails.
void writeScene(const std::vector<WorldQuad>& quads, const std::vector<SceneBitmap>& bitmaps,
                const ImportSettings& settings);

// Refuses, before any work, an output that exists and is not an empty folder
// (unless settings.force and it is a folder).
void checkOutput(const ImportSettings& settings);

// ----------------------------------------------------------------- progress

// How far an import has come, for a caller that shows it while it runs:
// the pipeline calls this as each stage starts, and the model library as
// it reads, with `stage` a short word and `done` the share of the whole
// import done, from 0 to 1 (the shares are rough: ImportStages). The
// command line's (progress.cpp) does nothing; the web build links its own,
// which tells the page.
void reportImportProgress(const char* stage, double done);

struct ImportStage {
    const char* name;
    double start;  // the share of the import done when it starts
};
// In the order they run; reading (the library's own progress) goes from
// its start to the next stage's.
constexpr ImportStage ImportStages[] = {
    {"reading", 0},   {"simplifying", 0.3}, {"placing", 0.4},
    {"quads", 0.45},  {"bitmaps", 0.55},    {"writing", 0.7},
};

// ------------------------------------------------------------- the pipeline

// Frame time on a software renderer (Mesa llvmpipe, under Xvfb), measured
// with tools/bench_frames: a frame of an imported scene costs about
// FrameBaseMs plus FrameMsPerQuad for each of the model's quads.
extern const double FrameBaseMs, FrameMsPerQuad;

// Runs the whole pipeline and prints what it did on standard output and its
// warnings on standard error. Throws ImportError.
void importModel(const ImportSettings& settings);
// The same from a model readModel has read already.
void importModel(const ImportSettings& settings, const SourceModel& model);

// Runs an import (`work`) for a command line: what it throws becomes one
// line on standard error, "PROGRAM: NAME: what", NAME being `outputName`
// for an OutputError and `modelName` for the rest. Returns the exit status:
// 0 done, 2 bad input or a refused output, 1 anything else.
int runImport(const char* program, const std::string& modelName, const std::string& outputName,
              const std::function<void()>& work);

// ---------------------------------------------------------------- the cache
//
// A model opened by name (`mirtal MODEL`, `mirtal-record MODEL FILM`) is
// imported once into the user's cache, one folder per model:
//   CACHE/NAME-KEY   NAME the file's name with every byte but A-Z a-z 0-9 . _
//                    + - turned into _, its first 64 bytes; KEY 16 hex digits
//                    of a 64-bit FNV-1a hash of the file's real path, so that
//                    two models of one name keep folders of their own.
// The folder holds a stamp, .mirtal-import-stamp, of the model's real path,
// size, modification time to the nanosecond and the version: the model is
// imported again when the stamp differs. A new import is written into a
// fresh folder beside it and replaces the old only once whole, so a failed
// import keeps the last good folder.

// CACHE: $XDG_CACHE_HOME/mirtal, else $HOME/.cache/mirtal (from the values
// given, either null or empty when not set); "" when neither is set.
std::string cacheRoot(const char* xdgCacheHome, const char* home);
// NAME-KEY of a model's real path.
std::string cacheFolderName(const std::string& realPath);
// 16 lowercase hex digits of the 64-bit FNV-1a hash of the bytes of text.
std::string fnv1a64Hex(const std::string& text);
// The stamp's text (three lines, each ending in a newline).
std::string importStamp(const std::string& realPath, unsigned long long size, long long mtimeSeconds,
                        long mtimeNanoseconds, const std::string& version);

struct CachedScene {
    std::string folder;     // the scene folder, CACHE/NAME-KEY
    bool imported = false;  // imported now (else the folder was up to date)
};

// The scene folder of `model` in the cache `root`, imported first when its
// stamp differs: the model read (a bad model is refused before anything
// else is said), then "PROGRAM: importing MODEL into FOLDER" on standard
// error and the import's report on standard output. Throws ImportError
// about the model, or OutputError about the cache.
CachedScene importIntoCache(const std::string& model, const std::string& root,
                            const std::string& version, const std::string& program,
                            const ReadLimits& limits = {});
