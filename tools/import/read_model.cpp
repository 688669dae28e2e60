// Reading a model with assimp: every mesh under its node transforms, as
// triangles with their materials and pictures, in plain data that outlives
// the library's scene. Entry point: readWithAssimp().
#include "import.h"

#include <assimp/DefaultLogger.hpp>
#include <assimp/Importer.hpp>
#include <assimp/LogStream.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <map>

namespace fs = std::filesystem;

namespace {

std::string lowerExtension(const std::string& path)
{
    std::string ext = fs::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return ext;
}

// What the format is called, and how many metres a unit is where the
// format says so: glTF is in metres by definition; assimp scales COLLADA to
// metres from the file's <unit>; FBX gives centimetres per unit in its
// header, which assimp passes on as "UnitScaleFactor".
struct FormatInfo {
    const char* extension;
    const char* name;
    double unitMetres;
};
constexpr FormatInfo Formats[] = {
    {".gltf", "glTF", 1.0}, {".glb", "glTF (binary)", 1.0}, {".dae", "COLLADA", 1.0},
    {".fbx", "FBX", 0.0},   {".obj", "OBJ", 0.0},           {".3ds", "3DS", 0.0},
    {".ply", "PLY", 0.0},   {".stl", "STL", 0.0},           {".off", "OFF", 0.0},
};

bool isGltf(const std::string& ext) { return ext == ".gltf" || ext == ".glb"; }

std::uint8_t toByte(double v)
{
    if (!(v > 0))
        return 0;
    if (v >= 1)
        return 255;
    return std::uint8_t(std::lround(v * 255));
}

// glTF's colour factors and vertex colours are linear; the bitmaps hold
// display (sRGB) values, as the pictures do.
double linearToDisplay(double v)
{
    return v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1 / 2.4) - 0.055;
}

PixelRGB colourOf(const aiColor4D& c, bool linear)
{
    auto channel = [&](float v) { return toByte(linear ? linearToDisplay(v) : v); };
    return {channel(c.r), channel(c.g), channel(c.b)};
}

// A picture file a material names, looked for beside the model: as named,
// with Windows separators turned round, and by its bare name.
std::string findPictureFile(const fs::path& modelDir, std::string name)
{
    if (name.rfind("file://", 0) == 0)
        name = name.substr(7);
    std::string forward = name;
    std::replace(forward.begin(), forward.end(), '\\', '/');
    const fs::path candidates[] = {fs::path(forward).is_absolute() ? fs::path(forward)
                                                                   : modelDir / forward,
                                   modelDir / fs::path(forward).filename()};
    std::error_code error;
    for (const fs::path& candidate : candidates)
        if (fs::is_regular_file(candidate, error))
            return candidate.string();
    return candidates[0].string();
}

class Reader {
public:
    Reader(const aiScene* scene, const std::string& path, SourceModel& model)
        : scene_(scene), modelDir_(fs::path(path).parent_path()), model_(model),
          linearColours_(isGltf(lowerExtension(path)))
    {
    }

    void readMaterials()
    {
        for (unsigned i = 0; i < scene_->mNumMaterials; ++i) {
            const aiMaterial* m = scene_->mMaterials[i];
            SourceMaterial material;
            material.name = m->GetName().C_Str();
            aiColor4D colour;
            const bool baseColour = m->Get(AI_MATKEY_BASE_COLOR, colour) == AI_SUCCESS;
            if (baseColour || m->Get(AI_MATKEY_COLOR_DIFFUSE, colour) == AI_SUCCESS)
                material.colour = colourOf(colour, linearColours_);
            // A metal-rough (glTF) base colour multiplies its picture; the
            // older formats' diffuse colour often stands beside a picture
            // without meaning to darken it.
            if (baseColour)
                material.tint = material.colour;
            aiString file;
            for (aiTextureType type : {aiTextureType_BASE_COLOR, aiTextureType_DIFFUSE})
                if (m->GetTextureCount(type) > 0 && m->GetTexture(type, 0, &file) == AI_SUCCESS &&
                    file.length > 0) {
                    material.picture = picture(file.C_Str());
                    break;
                }
            model_.materials.push_back(material);
        }
        if (model_.materials.empty())
            model_.materials.push_back({});
    }

    void walk(const aiNode* node, const aiMatrix4x4& parent)
    {
        const aiMatrix4x4 transform = parent * node->mTransformation;
        for (unsigned i = 0; i < node->mNumMeshes; ++i)
            if (node->mMeshes[i] < scene_->mNumMeshes)
                addMesh(scene_->mMeshes[node->mMeshes[i]], transform);
        for (unsigned i = 0; i < node->mNumChildren; ++i)
            walk(node->mChildren[i], transform);
    }

private:
    int picture(const std::string& name)
    {
        const auto known = pictureIndex_.find(name);
        if (known != pictureIndex_.end())
            return known->second;
        SourcePicture source;
        source.name = name;
        if (const aiTexture* embedded = scene_->GetEmbeddedTexture(name.c_str())) {
            if (embedded->mHeight == 0) {
                const auto* bytes = reinterpret_cast<const unsigned char*>(embedded->pcData);
                source.encoded.assign(bytes, bytes + embedded->mWidth);
            } else {
                // Texels top row first, blue-green-red-alpha.
                source.width = int(embedded->mWidth);
                source.height = int(embedded->mHeight);
                source.texels.resize(std::size_t(source.width) * std::size_t(source.height));
                for (int y = 0; y < source.height; ++y)
                    for (int x = 0; x < source.width; ++x) {
                        const aiTexel& t =
                            embedded->pcData[std::size_t(source.height - 1 - y) * source.width + x];
                        source.texels[std::size_t(y) * source.width + x] = {t.r, t.g, t.b};
                    }
            }
        } else {
            source.path = findPictureFile(modelDir_, name);
        }
        model_.pictures.push_back(std::move(source));
        const int index = int(model_.pictures.size() - 1);
        pictureIndex_[name] = index;
        return index;
    }

    void addMesh(const aiMesh* mesh, const aiMatrix4x4& transform)
    {
        model_.facesIn += mesh->mNumFaces;
        const std::uint32_t base = std::uint32_t(model_.vertices.size());
        const bool hasTexCoords = mesh->HasTextureCoords(0);
        const bool hasColours = mesh->HasVertexColors(0);
        for (unsigned i = 0; i < mesh->mNumVertices; ++i) {
            const aiVector3D p = transform * mesh->mVertices[i];
            ModelVertex v;
            v.position = {p.x, p.y, p.z};
            if (hasTexCoords) {
                v.s = mesh->mTextureCoords[0][i].x;
                v.t = mesh->mTextureCoords[0][i].y;
            }
            if (hasColours)
                v.colour = colourOf(mesh->mColors[0][i], linearColours_);
            model_.vertices.push_back(v);
        }
        // A transform that mirrors turns the winding round.
        const bool mirrored = transform.Determinant() < 0;
        const int material =
            mesh->mMaterialIndex < model_.materials.size() ? int(mesh->mMaterialIndex) : 0;
        for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
            const aiFace& face = mesh->mFaces[f];
            if (face.mNumIndices == 1) {
                ++model_.dropped.points;
                continue;
            }
            if (face.mNumIndices == 2) {
                ++model_.dropped.lines;
                continue;
            }
            if (face.mNumIndices != 3 || !face.mIndices) {
                ++model_.dropped.indexOutOfRange;
                continue;
            }
            ModelTriangle triangle;
            bool inRange = true, finite = true;
            for (int k = 0; k < 3; ++k) {
                const unsigned index = face.mIndices[k];
                if (index >= mesh->mNumVertices) {
                    inRange = false;
                    break;
                }
                triangle.v[k] = base + index;
                const ModelVertex& v = model_.vertices[triangle.v[k]];
                finite = finite && std::isfinite(v.position.x) && std::isfinite(v.position.y) &&
                         std::isfinite(v.position.z) && std::isfinite(v.s) && std::isfinite(v.t);
            }
            if (!inRange) {
                ++model_.dropped.indexOutOfRange;
                continue;
            }
            if (!finite) {
                ++model_.dropped.nonFinite;
                continue;
            }
            if (mirrored)
                std::swap(triangle.v[1], triangle.v[2]);
            triangle.material = material;
            triangle.hasTexCoords = hasTexCoords;
            triangle.hasColours = hasColours;
            model_.triangles.push_back(triangle);
        }
    }

    const aiScene* scene_;
    fs::path modelDir_;
    SourceModel& model_;
    bool linearColours_;
    std::map<std::string, int> pictureIndex_;
};

// Listens to assimp's warnings for the faces it drops itself.
class DropListener : public Assimp::LogStream {
public:
    explicit DropListener(DroppedFaces& dropped) : dropped_(dropped) {}
    void write(const char* message) override
    {
        if (std::string(message).find("out-of-range indices") != std::string::npos)
            dropped_.libraryDroppedOutOfRange = true;
    }

private:
    DroppedFaces& dropped_;
};

// assimp's logger while one model is read: silent but for the listener.
class ScopedLogger {
public:
    explicit ScopedLogger(DroppedFaces& dropped)
    {
        Assimp::DefaultLogger::create("", Assimp::Logger::NORMAL, 0);
        Assimp::DefaultLogger::get()->attachStream(new DropListener(dropped), Assimp::Logger::Warn);
    }
    ~ScopedLogger() { Assimp::DefaultLogger::kill(); }
    ScopedLogger(const ScopedLogger&) = delete;
    ScopedLogger& operator=(const ScopedLogger&) = delete;
};

// The library's message in one line: its line ends, and any other control
// byte it quotes from a broken file, become spaces.
std::string oneLine(std::string text)
{
    std::replace_if(
        text.begin(), text.end(), [](unsigned char c) { return c < 0x20 || c == 0x7f; }, ' ');
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

} // namespace

std::string describeDropped(const DroppedFaces& d)
{
    std::string text;
    auto add = [&](std::size_t count, const char* what) {
        if (count > 0)
            text += (text.empty() ? "" : ", ") + std::to_string(count) + " " + what;
    };
    add(d.points, d.points == 1 ? "point" : "points");
    add(d.lines, d.lines == 1 ? "line" : "lines");
    add(d.indexOutOfRange, "with indices out of range");
    add(d.nonFinite, "with coordinates that are not finite numbers");
    add(d.zeroArea, "of no area");
    if (d.libraryDroppedOutOfRange)
        text += std::string(text.empty() ? "" : ", ") +
                "faces with indices out of range (assimp drops them and does not count them)";
    return text;
}

SourceModel readWithAssimp(const std::string& path)
{
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (!fs::exists(status))
        throw ImportError("no such file");
    if (fs::is_directory(status))
        throw ImportError("is a folder, not a model file");
    if (fs::file_size(path, error) == 0)
        throw ImportError("empty file, not a model");

    SourceModel model;
    const ScopedLogger logger(model.dropped);
    Assimp::Importer importer;
    // Points and lines are kept in meshes of their own, to be counted.
    const aiScene* scene =
        importer.ReadFile(path, aiProcess_Triangulate | aiProcess_SortByPType |
                                    aiProcess_JoinIdenticalVertices | aiProcess_ValidateDataStructure);
    if (!scene) {
        const std::string why = oneLine(importer.GetErrorString());
        throw ImportError("not a model that can be read" + (why.empty() ? "" : ": " + why));
    }
    if (!scene->mRootNode || (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE))
        throw ImportError("holds no meshes (not a model, or only a scene without geometry)");

    const std::string ext = lowerExtension(path);
    model.format = ext.empty() ? "model" : ext.substr(1);
    for (const FormatInfo& format : Formats)
        if (ext == format.extension) {
            model.format = format.name;
            if (format.unitMetres > 0) {
                model.unitMetres = format.unitMetres;
                model.unitSource = std::string("the ") + format.name + " file";
            }
        }
    if (scene->mMetaData && ext == ".fbx") {
        double centimetres = 0;
        float centimetresFloat = 0;
        if (scene->mMetaData->Get("UnitScaleFactor", centimetres) && centimetres > 0)
            model.unitMetres = centimetres / 100;
        else if (scene->mMetaData->Get("UnitScaleFactor", centimetresFloat) && centimetresFloat > 0)
            model.unitMetres = double(centimetresFloat) / 100;
        if (model.unitMetres > 0)
            model.unitSource = "the FBX file";
    }

    Reader reader(scene, path, model);
    reader.readMaterials();
    reader.walk(scene->mRootNode, aiMatrix4x4());
    if (model.triangles.empty()) {
        std::string why = "no face left to draw";
        if (model.dropped.total() > 0 || model.dropped.libraryDroppedOutOfRange)
            why += " (dropped: " + describeDropped(model.dropped) + ")";
        throw ImportError(why);
    }
    return model;
}
