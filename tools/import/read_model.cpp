// Reading a model with assimp: every mesh under its node transforms, as
// triangles with their materials and pictures, in plain data that outlives
// the library's scene. Entry point: readWithAssimp().
#include "import.h"

#include <assimp/DefaultLogger.hpp>
#include <assimp/GltfMaterial.h>
#include <assimp/Importer.hpp>
#include <assimp/LogStream.hpp>
#include <assimp/ProgressHandler.hpp>
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

// How much of the light a material stops (1 opaque), as the format gives
// it, and whether it gives any. glTF's base-colour alpha counts only in
// BLEND mode (MASK cuts a picture out, and that is drawn opaque), and its
// transmission (KHR_materials_transmission) lets light through as well;
// the other formats' opacity comes as assimp reads it: OBJ's d or 1 - Tr,
// whichever the MTL gives last; COLLADA's transparency as the COLLADA
// standard reads it; FBX's Opacity; 3DS's 1 - transparency.
double opacityOf(const aiMaterial* m, bool gltf, bool& given)
{
    float opacity = 1;
    given = m->Get(AI_MATKEY_OPACITY, opacity) == AI_SUCCESS;
    if (gltf) {
        aiString mode;
        if (m->Get(AI_MATKEY_GLTF_ALPHAMODE, mode) != AI_SUCCESS || std::string(mode.C_Str()) != "BLEND")
            opacity = 1;
        float transmission = 0;
        if (m->Get(AI_MATKEY_TRANSMISSION_FACTOR, transmission) == AI_SUCCESS)
            opacity = std::min(opacity, 1 - transmission);
    }
    return std::isfinite(opacity) ? std::clamp(double(opacity), 0.0, 1.0) : 1.0;
}

class Reader {
public:
    Reader(const aiScene* scene, const std::string& path, SourceModel& model)
        : scene_(scene), modelDir_(fs::path(path).parent_path()), model_(model),
          extension_(lowerExtension(path)), linearColours_(isGltf(extension_))
    {
    }

    void readMaterials()
    {
        bool turnedRound = false;
        std::vector<bool> opacityGiven;
        for (unsigned i = 0; i < scene_->mNumMaterials; ++i) {
            const aiMaterial* m = scene_->mMaterials[i];
            SourceMaterial material;
            material.name = m->GetName().C_Str();
            bool given = false;
            material.opacity = opacityOf(m, linearColours_, given);
            opacityGiven.push_back(given);
            turnedRound = turnedRound || (given && material.opacity == 0);
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
        // COLLADA's transparency is written two ways: as the COLLADA standard
        // reads it (1 opaque) and turned round (0 opaque: 3ds Max's and
        // SketchUp's exporters, Blender's old one). A file where some
        // material comes out wholly transparent, as nobody models one, is
        // of the second kind.
        if (extension_ == ".dae" && turnedRound)
            for (std::size_t i = 0; i < model_.materials.size(); ++i)
                if (opacityGiven[i])
                    model_.materials[i].opacity = 1 - model_.materials[i].opacity;
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
            const PictureFile file = findPictureFile(modelDir_.string(), name);
            source.path = file.path;
            source.foundAs = file.foundAs;
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
    std::string extension_;
    bool linearColours_;
    std::map<std::string, int> pictureIndex_;
};

// ------------------------------------------------------------------ mending
//
// assimp's check of a scene (aiProcess_ValidateDataStructure) refuses a
// whole model over one stray part that its modeller draws without a fuss:
// a line or a point among a mesh's triangles that the format's reader did
// not flag (Sweet Home 3D's furniture has them), a face with an index past
// the mesh's vertices, a face with no corners. Before that check such
// faces are taken out and counted, meshes left with no face are taken out
// with them, and what the importer never draws (animations, cameras,
// lights) is thrown away; the rest is changed only where the check would
// refuse it, so that a model that passed it before reads as it did.

// How many times the node graph places each mesh, as walk() meets them.
void countInstances(const aiNode* node, std::vector<std::size_t>& instances)
{
    for (unsigned i = 0; i < node->mNumMeshes; ++i)
        ++instances[node->mMeshes[i]];
    for (unsigned i = 0; i < node->mNumChildren; ++i)
        countInstances(node->mChildren[i], instances);
}

// Keeps the entries of an array for which keep(entry) holds, in order;
// an array left empty is freed, as the check wants.
template <typename T, typename Keep>
void keepEntries(T*& array, unsigned& count, Keep keep)
{
    unsigned kept = 0;
    for (unsigned i = 0; i < count; ++i)
        if (keep(array[i]))
            array[kept++] = array[i];
    count = kept;
    if (count == 0) {
        delete[] array;
        array = nullptr;
    }
}

// The node graph: null children out, every child's parent its own, no
// mesh placed twice by one node or past the scene's meshes.
void mendNodes(aiNode* node, unsigned meshCount)
{
    if (!node->mChildren)
        node->mNumChildren = 0;
    keepEntries(node->mChildren, node->mNumChildren, [](aiNode* child) { return child != nullptr; });
    for (unsigned i = 0; i < node->mNumChildren; ++i) {
        node->mChildren[i]->mParent = node;
        mendNodes(node->mChildren[i], meshCount);
    }
    if (!node->mMeshes)
        node->mNumMeshes = 0;
    std::vector<bool> placed(meshCount, false);
    keepEntries(node->mMeshes, node->mNumMeshes, [&](unsigned mesh) {
        if (mesh >= meshCount || placed[mesh])
            return false;
        placed[mesh] = true;
        return true;
    });
}

// Channels 0, 1, ... of texture coordinates or colours with no gap, as
// the check wants.
template <typename T, std::size_t N>
void closeChannelGaps(T* (&channels)[N], unsigned* components)
{
    std::size_t next = 0;
    for (std::size_t i = 0; i < N; ++i)
        if (channels[i]) {
            std::swap(channels[next], channels[i]);
            if (components)
                std::swap(components[next], components[i]);
            ++next;
        }
}

// One mesh: the faces that cannot be drawn out (counted once for every
// place the mesh stands), its kinds of faces flagged, and what the check
// refuses in parts the importer does not use.
void mendMesh(aiMesh* mesh, unsigned materialCount, std::size_t instances, DroppedFaces& dropped,
              std::size_t& facesTakenOut)
{
    const unsigned vertexCount = mesh->mVertices ? mesh->mNumVertices : 0;
    if (!mesh->mFaces)
        mesh->mNumFaces = 0;
    unsigned kept = 0;
    unsigned kinds = 0;
    for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
        aiFace& face = mesh->mFaces[f];
        if (face.mNumIndices == 0 || !face.mIndices) {
            dropped.noCorners += instances;
            facesTakenOut += instances;
            continue;
        }
        if (std::any_of(face.mIndices, face.mIndices + face.mNumIndices,
                        [&](unsigned index) { return index >= vertexCount; })) {
            dropped.indexOutOfRange += instances;
            facesTakenOut += instances;
            continue;
        }
        kinds |= face.mNumIndices == 1   ? aiPrimitiveType_POINT
                 : face.mNumIndices == 2 ? aiPrimitiveType_LINE
                 : face.mNumIndices == 3 ? aiPrimitiveType_TRIANGLE
                                         : aiPrimitiveType_POLYGON;
        // The faces taken out gather at the end, where the array's
        // delete[] still frees their indices.
        if (kept != f) {
            std::swap(mesh->mFaces[kept].mNumIndices, face.mNumIndices);
            std::swap(mesh->mFaces[kept].mIndices, face.mIndices);
        }
        ++kept;
    }
    mesh->mNumFaces = kept;
    mesh->mPrimitiveTypes |= kinds;
    if (materialCount > 0 && mesh->mMaterialIndex >= materialCount)
        mesh->mMaterialIndex = 0;
    if (!mesh->mTangents != !mesh->mBitangents) {
        delete[] mesh->mTangents;
        delete[] mesh->mBitangents;
        mesh->mTangents = mesh->mBitangents = nullptr;
    }
    closeChannelGaps(mesh->mTextureCoords, mesh->mNumUVComponents);
    closeChannelGaps(mesh->mColors, nullptr);
    const bool bonesBroken =
        mesh->mNumBones > 0 &&
        (!mesh->mBones || std::any_of(mesh->mBones, mesh->mBones + mesh->mNumBones, [&](const aiBone* bone) {
             return !bone || (bone->mNumWeights > 0 && !bone->mWeights) ||
                    std::any_of(bone->mWeights, bone->mWeights + bone->mNumWeights,
                                [&](const aiVertexWeight& w) { return w.mVertexId >= vertexCount; });
         }));
    if (bonesBroken) {
        if (mesh->mBones)
            for (unsigned i = 0; i < mesh->mNumBones; ++i)
                delete mesh->mBones[i];
        delete[] mesh->mBones;
        mesh->mBones = nullptr;
        mesh->mNumBones = 0;
    }
}

// The nodes' meshes numbered as the meshes left are; ~0u: taken out.
void renumberMeshes(aiNode* node, const std::vector<unsigned>& newIndex)
{
    keepEntries(node->mMeshes, node->mNumMeshes, [&](unsigned mesh) { return newIndex[mesh] != ~0u; });
    for (unsigned i = 0; i < node->mNumMeshes; ++i)
        node->mMeshes[i] = newIndex[node->mMeshes[i]];
    for (unsigned i = 0; i < node->mNumChildren; ++i)
        renumberMeshes(node->mChildren[i], newIndex);
}

template <typename T>
void deleteAll(T**& items, unsigned& count)
{
    if (items)
        for (unsigned i = 0; i < count; ++i)
            delete items[i];
    delete[] items;
    items = nullptr;
    count = 0;
}

// Mends the scene as the format's reader gave it; returns the number of
// faces taken out (each as often as the nodes place its mesh), which the
// walk over the nodes no longer meets.
std::size_t mendScene(aiScene* scene, DroppedFaces& dropped)
{
    deleteAll(scene->mAnimations, scene->mNumAnimations);
    deleteAll(scene->mCameras, scene->mNumCameras);
    deleteAll(scene->mLights, scene->mNumLights);
    if (!scene->mMeshes)
        scene->mNumMeshes = 0;
    if (!scene->mRootNode)
        return 0;
    mendNodes(scene->mRootNode, scene->mNumMeshes);
    std::vector<std::size_t> instances(scene->mNumMeshes, 0);
    countInstances(scene->mRootNode, instances);

    std::size_t facesTakenOut = 0;
    std::vector<unsigned> newIndex(scene->mNumMeshes, ~0u);
    unsigned kept = 0;
    for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
        aiMesh* mesh = scene->mMeshes[m];
        if (mesh)
            mendMesh(mesh, scene->mNumMaterials, instances[m], dropped, facesTakenOut);
        if (!mesh || mesh->mNumFaces == 0) {
            delete mesh;
            continue;
        }
        newIndex[m] = kept;
        scene->mMeshes[kept++] = mesh;
    }
    scene->mNumMeshes = kept;
    renumberMeshes(scene->mRootNode, newIndex);
    return facesTakenOut;
}

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

// The library's progress through its reading and mending steps, as the
// import's reading stage.
class ReadingProgress : public Assimp::ProgressHandler {
public:
    bool Update(float percentage) override
    {
        const double start = ImportStages[0].start, end = ImportStages[1].start;
        if (percentage >= 0)
            reportImportProgress(ImportStages[0].name,
                                 start + (end - start) * std::min(1.0, double(percentage)));
        return true;  // go on
    }
};

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
    add(d.noCorners, "with no corners");
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
    importer.SetProgressHandler(new ReadingProgress);  // the importer deletes it
    // The scene as the format's reader gives it, mended, then checked and
    // triangulated; points and lines are kept in meshes of their own, to
    // be counted.
    const aiScene* scene = nullptr;
    std::size_t facesTakenOut = 0;
    scene = importer.ReadFile(path, 0);
    if (scene) {
        facesTakenOut = mendScene(const_cast<aiScene*>(scene), model.dropped);
        if (scene->mNumMeshes == 0 && model.dropped.total() > 0)
            throw ImportError("no face left to draw (dropped: " + describeDropped(model.dropped) + ")");
        scene = importer.ApplyPostProcessing(aiProcess_ValidateDataStructure | aiProcess_Triangulate |
                                             aiProcess_SortByPType | aiProcess_JoinIdenticalVertices);
    }
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
    model.facesIn += facesTakenOut;
    if (model.triangles.empty()) {
        std::string why = "no face left to draw";
        if (model.dropped.total() > 0 || model.dropped.libraryDroppedOutOfRange)
            why += " (dropped: " + describeDropped(model.dropped) + ")";
        throw ImportError(why);
    }
    return model;
}
