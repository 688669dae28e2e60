// The importer over a whole catalogue of furniture that people made with a
// home-design program (Debian's sweethome3d-furniture: zips of OBJ models
// with their MTL and pictures): every zip unpacked into a scratch folder,
// every model run through the importer's stages up to the bitmaps (all but
// writing the folder), two models at a time. A model may be refused only
// when it has nothing to draw, which is judged apart from the importer: a
// plain assimp read with no post-processing that finds no face of three
// or more corners inside its mesh's vertices. Prints the numbers: models
// imported, refused and why, faces dropped, pictures found by the search,
// glass left out.
//   catalogue_sweep CATALOGUE_FOLDER SCRATCH_FOLDER
// Exit status 0 when every refusal is of a model with nothing to draw.
#include "import.h"

#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Unpacks every file of a zip under `into`; names that would leave it
// (absolute, or with ..) are skipped.
bool unpack(const std::string& zipPath, const fs::path& into)
{
    int error = 0;
    zip_t* archive = zip_open(zipPath.c_str(), ZIP_RDONLY, &error);
    if (!archive)
        return false;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    std::vector<char> buffer(1 << 16);
    bool ok = true;
    for (zip_int64_t i = 0; i < count && ok; ++i) {
        const std::string name = zip_get_name(archive, zip_uint64_t(i), 0);
        const fs::path relative(name);
        if (name.empty() || name.back() == '/' || relative.is_absolute() ||
            std::any_of(relative.begin(), relative.end(), [](const fs::path& p) { return p == ".."; }))
            continue;
        const fs::path target = into / relative;
        fs::create_directories(target.parent_path());
        zip_file_t* in = zip_fopen_index(archive, zip_uint64_t(i), 0);
        std::ofstream out(target, std::ios::binary);
        ok = in && out;
        zip_int64_t got = 0;
        while (ok && (got = zip_fread(in, buffer.data(), buffer.size())) > 0)
            out.write(buffer.data(), std::streamsize(got));
        ok = ok && got == 0 && out.good();
        if (in)
            zip_fclose(in);
    }
    zip_close(archive);
    return ok;
}

// Faces of three or more corners, all inside their mesh's vertices, as
// the format's reader gives them.
std::size_t drawableFaces(const std::string& path)
{
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, 0);
    std::size_t faces = 0;
    for (unsigned m = 0; scene && m < scene->mNumMeshes; ++m) {
        const aiMesh* mesh = scene->mMeshes[m];
        for (unsigned f = 0; mesh && mesh->mFaces && f < mesh->mNumFaces; ++f) {
            const aiFace& face = mesh->mFaces[f];
            faces += face.mNumIndices >= 3 && face.mIndices &&
                     std::all_of(face.mIndices, face.mIndices + face.mNumIndices,
                                 [&](unsigned v) { return v < mesh->mNumVertices; });
        }
    }
    return faces;
}

// One model through the stages: "" when imported, else why it was
// refused; the counts of what the search found go into `line`.
std::string importOne(const std::string& path, std::string& line)
{
    try {
        ImportSettings settings;
        settings.modelPath = path;
        SourceModel model = readModel(path);
        const std::size_t dropped = model.dropped.total();
        std::size_t searched = 0;
        for (const SourcePicture& picture : model.pictures)
            searched += !picture.foundAs.empty();
        const GlassReport glass = leaveOutGlass(model, settings);
        placeModel(model, settings);
        QuadReport quads;
        std::vector<WorldQuad> worldQuads = makeQuads(model, quads);
        if (worldQuads.empty())
            throw ImportError("no face left to draw");
        BitmapReport bitmaps;
        makeBitmaps(model, worldQuads, settings, bitmaps);
        line = "searched " + std::to_string(searched) + " pictures " + std::to_string(model.pictures.size()) +
               " missing " + std::to_string(bitmaps.warnings.size()) + " glass " +
               std::to_string(glass.leftOut ? glass.faces : 0) + " allglass " + std::to_string(glass.everyFace) +
               " mended " + std::to_string(dropped);
        return "";
    } catch (const std::exception& e) {
        return e.what();
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: catalogue_sweep CATALOGUE_FOLDER SCRATCH_FOLDER\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const fs::path scratch = fs::path(argv[2]) / "catalogue";
    fs::remove_all(scratch);
    std::vector<std::string> zips;
    for (const auto& entry : fs::directory_iterator(argv[1]))
        if (entry.path().extension() == ".sh3f")
            zips.push_back(entry.path().string());
    std::sort(zips.begin(), zips.end());
    if (zips.empty()) {
        std::fprintf(stderr, "catalogue_sweep: no .sh3f catalogue in %s\n", argv[1]);
        return 1;
    }
    std::vector<std::string> models;
    for (const std::string& zip : zips) {
        const fs::path into = scratch / fs::path(zip).stem();
        if (!unpack(zip, into)) {
            std::fprintf(stderr, "catalogue_sweep: cannot unpack %s\n", zip.c_str());
            return 1;
        }
        for (const auto& entry : fs::recursive_directory_iterator(into))
            if (entry.path().extension() == ".obj")
                models.push_back(entry.path().string());
    }
    std::sort(models.begin(), models.end());
    const double unpacked =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    // Two workers, each taking every other model and writing one line a
    // model to a file of its own: "OK counts" or "REFUSED why".
    constexpr int Workers = 2;
    std::vector<pid_t> workers;
    for (int w = 0; w < Workers; ++w) {
        const pid_t pid = fork();
        if (pid == 0) {
            std::ofstream out(scratch / ("results-" + std::to_string(w)));
            for (std::size_t i = std::size_t(w); i < models.size(); i += Workers) {
                std::string counts;
                const std::string refusal = importOne(models[i], counts);
                out << i << (refusal.empty() ? " OK " + counts : " REFUSED " + refusal) << "\n";
            }
            out.flush();
            std::_Exit(out.good() ? 0 : 1);
        }
        workers.push_back(pid);
    }
    bool workersOk = true;
    for (pid_t pid : workers) {
        int status = 0;
        workersOk = waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0 &&
                    workersOk;
    }

    std::map<std::size_t, std::string> results;
    for (int w = 0; w < Workers; ++w) {
        std::ifstream in(scratch / ("results-" + std::to_string(w)));
        std::string text;
        while (std::getline(in, text)) {
            std::istringstream fields(text);
            std::size_t index = 0;
            fields >> index;
            std::getline(fields >> std::ws, results[index]);
        }
    }
    std::size_t imported = 0, searched = 0, pictures = 0, missing = 0, modelsSearched = 0;
    std::size_t glassFaces = 0, modelsWithGlass = 0, allGlass = 0, dropped = 0, modelsDropping = 0;
    std::map<std::string, std::vector<std::string>> refused;  // by why
    bool ok = workersOk && results.size() == models.size();
    for (std::size_t i = 0; i < models.size(); ++i) {
        const std::string& result = results[i];
        const std::string name = fs::relative(models[i], scratch).string();
        if (result.rfind("OK ", 0) == 0) {
            ++imported;
            std::size_t s = 0, p = 0, m = 0, g = 0, a = 0, d = 0;
            std::sscanf(result.c_str(), "OK searched %zu pictures %zu missing %zu glass %zu allglass %zu mended %zu",
                        &s, &p, &m, &g, &a, &d);
            searched += s, pictures += p, missing += m, modelsSearched += s > 0;
            glassFaces += g, modelsWithGlass += g > 0, allGlass += a, dropped += d, modelsDropping += d > 0;
            continue;
        }
        const std::string why = result.rfind("REFUSED ", 0) == 0 ? result.substr(8) : "no result";
        refused[why].push_back(name);
        const std::size_t faces = drawableFaces(models[i]);
        if (faces > 0) {
            std::printf("FAIL: %s refused (%s) but has %zu faces to draw\n", name.c_str(), why.c_str(), faces);
            ok = false;
        }
    }
    std::size_t refusedCount = 0;
    for (const auto& [why, names] : refused)
        refusedCount += names.size();
    std::printf("catalogue: %zu models in %zu zips; %zu imported, %zu refused\n", models.size(), zips.size(),
                imported, refusedCount);
    for (const auto& [why, names] : refused) {
        std::printf("  refused, %s: %zu\n", why.c_str(), names.size());
        for (const std::string& name : names)
            std::printf("    %s\n", name.c_str());
    }
    std::printf("dropped in reading (points, lines, indices out of range): %zu faces in %zu models\n", dropped,
                modelsDropping);
    std::printf("pictures: %zu named, %zu found by the search (in %zu models), %zu still missing\n", pictures,
                searched, modelsSearched, missing);
    std::printf("glass: %zu faces left out in %zu models; %zu models all of glass, kept\n", glassFaces,
                modelsWithGlass, allGlass);
    const double total = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("time: %.1f s (unpacking %.1f s)\n", total, unpacked);
    fs::remove_all(scratch);
    return ok ? 0 : 1;
}
