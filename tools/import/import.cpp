// The importer's pipeline from the model file to the scene folder, and the
// report of what it did. Entry point: importModel().
#include "import.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

// Measured with tools/bench_frames (the normal-mode frame, the median of
// 100) on imported folders under tests/with_xvfb.sh: Mesa 22 llvmpipe on 2
// cores, the program's 640 x 480 window and start view, the machine lightly
// loaded (load average 3.5). Quads counted with the lawn's 25:
//   BoxTextured.glb                         31 quads    2.4 ms
//   duck.dae                              4235 quads    5.7 ms
//   2CylinderEngine.glb, --max-quads 20000  17358 quads 15.8 ms
//   AC14-FZK-Haus.ifc                    23252 quads   19.5 ms
//   2CylinderEngine.glb                  89351 quads   61.4 ms
// The least-squares line through them: 3.4 ms + 0.65 us a quad. With the
// machine loaded by other builds (load average 10) both about doubled
// (6.4 ms + 1.32 us a quad).
const double FrameBaseMs = 3.4;
const double FrameMsPerQuad = 0.00065;

namespace {

// A frame rate that walks comfortably on a software renderer.
constexpr double ComfortableFrameMs = 40;  // 25 frames a second

std::string fixed(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// Metres to three significant figures or so.
std::string metres(double m)
{
    return fixed(m, m >= 100 ? 0 : m >= 10 ? 1 : m >= 1 ? 2 : 3);
}

struct Result {
    GlassReport glass;
    std::size_t triangles = 0;  // to draw, before any simplification
    SimplifyReport simplify;
    Placement placement;
    QuadReport quadReport;
    BitmapReport bitmapReport;
    std::size_t modelQuads = 0;
    std::vector<WorldQuad> quads;
    std::vector<SceneBitmap> bitmaps;
    DroppedFaces dropped;
};

// Tells the caller that the stage of that name starts.
void stageStarts(const std::string& name)
{
    for (const ImportStage& stage : ImportStages)
        if (name == stage.name)
            reportImportProgress(stage.name, stage.start);
}

Result build(SourceModel model, const ImportSettings& settings, std::size_t targetTriangles)
{
    Result r;
    stageStarts("simplifying");
    r.glass = leaveOutGlass(model, settings);
    r.triangles = model.triangles.size();
    if (settings.maxQuads > 0)
        r.simplify = simplifyModel(model, targetTriangles);
    stageStarts("placing");
    r.placement = placeModel(model, settings);
    stageStarts("quads");
    r.quads = makeQuads(model, r.quadReport);
    if (r.quads.empty())
        throw ImportError("no face left to draw (dropped: " + describeDropped(model.dropped) + ")");
    stageStarts("bitmaps");
    r.bitmaps = makeBitmaps(model, r.quads, settings, r.bitmapReport);
    r.modelQuads = r.quads.size();
    r.dropped = model.dropped;
    return r;
}

} // namespace

void importModel(const ImportSettings& settings)
{
    checkOutput(settings);
    stageStarts("reading");
    importModel(settings, readModel(settings.modelPath, settings.readLimits));
}

void importModel(const ImportSettings& settings, const SourceModel& model)
{

    // Quads never outnumber triangles but for the cuts at an atlas's repeats:
    // while those push the count over --max-quads, simplify further.
    std::size_t target = settings.maxQuads;
    Result r = build(model, settings, target);
    for (int attempt = 0; settings.maxQuads > 0 && r.modelQuads > settings.maxQuads && attempt < 8;
         ++attempt) {
        target = std::size_t(double(target) * double(settings.maxQuads) / double(r.modelQuads) * 0.97);
        r = build(model, settings, target);
    }
    if (settings.maxQuads > 0 && r.modelQuads > settings.maxQuads)
        throw ImportError("cannot be simplified to " + std::to_string(settings.maxQuads) +
                          " quads (it still gives " + std::to_string(r.modelQuads) + ")");

    const Placement& p = r.placement;
    std::printf("mirtal-import: %s (%s)\n", settings.modelPath.c_str(), model.format.c_str());
    std::printf("  faces in: %zu, of which %zu triangles to draw\n", model.facesIn, r.triangles);
    if (r.dropped.total() > 0 || r.dropped.libraryDroppedOutOfRange)
        std::printf("  dropped: %s\n", describeDropped(r.dropped).c_str());
    if (r.glass.faces > 0) {
        std::string names;
        for (std::size_t i = 0; i < r.glass.names.size() && i < 4; ++i)
            names += (i > 0 ? ", " : "") + r.glass.names[i];
        if (r.glass.names.size() > 4)
            names += " and " + std::to_string(r.glass.names.size() - 4) + " more names";
        std::printf("  glass: %zu faces of %zu mostly transparent material%s (%s) %s\n", r.glass.faces,
                    r.glass.materials, r.glass.materials == 1 ? "" : "s", names.c_str(),
                    r.glass.leftOut ? "left out, to see through; --keep-glass keeps them" : "kept, opaque");
    }
    if (r.glass.everyFace && !settings.keepGlass)
        std::fprintf(stderr, "mirtal-import: warning: every face is of glass (a mostly transparent "
                             "material); all are kept, opaque, as with --keep-glass\n");
    if (settings.maxQuads > 0)
        std::printf("  simplified: %zu to %zu triangles (%s; error %s%% of the model's size)\n",
                    r.simplify.trianglesBefore, r.simplify.trianglesAfter,
                    r.simplify.method.c_str(), fixed(100 * r.simplify.error, 2).c_str());
    std::printf("  size: %s x %s m, %s m high (one unit = %s m, %s)\n",
                metres(p.size.x * p.unitMetres).c_str(), metres(p.size.y * p.unitMetres).c_str(),
                metres(p.size.z * p.unitMetres).c_str(), fixed(p.unitMetres, 4).c_str(),
                p.unitSource.c_str());
    if (settings.up != "+y" || settings.turnDegrees != 0) {
        std::string how;
        if (settings.up != "+y")
            how = "its " + settings.up + " axis up (--up)";
        if (settings.turnDegrees != 0) {
            char turn[64];
            std::snprintf(turn, sizeof turn, "%.6g", settings.turnDegrees);
            how += std::string(how.empty() ? "" : ", ") + "turned " + turn +
                   " degrees counter-clockwise seen from above (--turn)";
        }
        std::printf("  stood: %s\n", how.c_str());
    }
    std::printf("  scale: %s world units to the model's unit (%s)\n", fixed(p.scale, 4).c_str(),
                settings.realSize ? "real size, 10 to the metre" : "fills the house's footprint");
    std::printf("  quads: %zu (%zu pairs of triangles, %zu single triangles: %s quads a triangle, "
                "%s%% of the triangles paired",
                r.modelQuads, r.quadReport.pairs, r.quadReport.singles,
                fixed(r.quadReport.quadsPerTriangle(), 3).c_str(),
                fixed(100 * r.quadReport.sharePaired(), 1).c_str());
    if (r.bitmapReport.facesCut > 0)
        std::printf("; %zu cut at the atlas's repeats", r.bitmapReport.facesCut);
    std::printf(")\n");
    for (const SourcePicture& picture : model.pictures)
        if (!picture.foundAs.empty())
            std::printf("  picture: %s found as %s\n", picture.name.c_str(), picture.foundAs.c_str());
    for (const SceneBitmap& b : r.bitmaps)
        std::printf("  bitmap: %s %d x %d, %s\n", bitmapFileName(b.id), b.picture.width,
                    b.picture.height, b.contents.c_str());
    for (const std::string& warning : r.bitmapReport.warnings)
        std::fprintf(stderr, "mirtal-import: warning: %s\n", warning.c_str());

    const double frameMs = FrameBaseMs + FrameMsPerQuad * double(r.modelQuads);
    if (frameMs > ComfortableFrameMs) {
        const std::size_t comfortable =
            std::size_t((ComfortableFrameMs - FrameBaseMs) / FrameMsPerQuad);
        std::fprintf(stderr,
                     "mirtal-import: warning: %zu quads will take about %.0f ms a frame on a "
                     "software renderer; --max-quads %zu keeps it near 25 frames a second\n",
                     r.modelQuads, frameMs, comfortable);
    }

    stageStarts("writing");
    writeScene(r.quads, r.bitmaps, settings);
    std::printf("  written: %s\n",
                (settings.reportedPath.empty() ? settings.outputPath : settings.reportedPath).c_str());
}

int runImport(const char* program, const std::string& modelName, const std::string& outputName,
              const std::function<void()>& work)
{
    try {
        work();
        return 0;
    } catch (const OutputError& e) {
        std::fprintf(stderr, "%s: %s: %s\n", program, outputName.c_str(), e.what());
        return 2;
    } catch (const ImportError& e) {
        std::fprintf(stderr, "%s: %s: %s\n", program, modelName.c_str(), e.what());
        return 2;
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "%s: %s: too large to import in this memory\n", program,
                     modelName.c_str());
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s: %s\n", program, modelName.c_str(), e.what());
        return 1;
    }
}
