// Terrain list: raw textures and the GL step after the patch file has been
// read (scene/terrain_file.cpp). Entry points: loadTerrainPatches(),
// readRawTexture().
#include "scene/terrain.h"

#include "app/state.h"
#include "scene/terrain_file.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr GLsizei RawImageSide = 256;  // texels, square

// Evaluator domain of the vertex map and its grid: 15 steps of 2 units in u
// and in v over [0, 30] x [0, 30].
constexpr GLfloat PatchDomainEnd = 30;
constexpr GLint PatchGridSteps = 15;

// (s, t) at (u, v) = (0, 0), (1, 0), (0, 1), (1, 1) of a linear map over
// [0, 1]^2. The grid runs to 30, so the map is extended: s = 0.1 v and
// t = 0.1 u, and the image repeats three times across a patch.
constexpr GLfloat terrainTexCoordMap[8] = {0, 0, 0, 0.1f, 0.1f, 0, 0.1f, 0.1f};

const RawTextureEntry* rawTextureOfKind(int kind)
{
    for (const RawTextureEntry& entry : RawTextureTable)
        if (entry.kind == kind)
            return &entry;
    return nullptr;
}

// Gives textureId the present content of rawImageBuffer. Runs outside any
// display list, once per texture object. The filters are those the image had
// when it was loaded into the bitmap object bound last: linear when minified,
// and the bitmaps' nearest when magnified. No mipmaps.
void uploadRawImage(TextureId textureId)
{
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(textureId));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, RawImageSide, RawImageSide, 0, GL_RGB,
                 GL_UNSIGNED_BYTE, rawImageBuffer);
}

// A distinct image that some patch shows, and the texture object holding it.
struct HeldImage {
    TextureId id;
    std::vector<unsigned char> bytes;
};

// The object that already holds the buffer's present image, or null.
const HeldImage* findImage(const std::vector<HeldImage>& images)
{
    for (const HeldImage& image : images)
        if (std::memcmp(image.bytes.data(), rawImageBuffer, RawImageBytes) == 0)
            return &image;
    return nullptr;
}

bool holdsId(const std::vector<HeldImage>& images, TextureId id)
{
    for (const HeldImage& image : images)
        if (image.id == id)
            return true;
    return false;
}

// The texture object of each patch, in file order. The raw files are read as
// the patch order asks: again at every patch of kinds 1 to 4, so that a file
// shorter than an image fills only the start of the buffer and leaves the
// tail of whatever was read before it. A patch of another kind shows the
// buffer as it stands. Each distinct image is uploaded once; patches whose
// images are byte for byte the same share its object.
//
// The buffer's content depends only on the order in which the four files
// were last read, so there are at most 65 distinct images, whatever the
// length of the file.
std::vector<TextureId> prepareRawTextures(const std::vector<TerrainPatch>& patches)
{
    GLint previousBinding = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previousBinding);

    std::vector<HeldImage> images;
    std::vector<TextureId> textures;
    textures.reserve(patches.size());
    TextureId nextSpareId = FirstSpareRawImageTextureId;
    for (const TerrainPatch& patch : patches) {
        const RawTextureEntry* entry = rawTextureOfKind(patch.kind);
        if (entry)
            readRawTexture(entry->fileName);
        else if (!textures.empty()) {
            // Nothing read: the image of the patch before.
            textures.push_back(textures.back());
            continue;
        }
        if (const HeldImage* known = findImage(images)) {
            textures.push_back(known->id);
            continue;
        }
        // A kind's first image goes to the kind's own object, the buffer's
        // first content (before any file) to the held-image object, and any
        // further image to a spare one.
        TextureId id = HeldRawImageTextureId;
        if (entry)
            id = holdsId(images, entry->textureId) ? nextSpareId++ : entry->textureId;
        uploadRawImage(id);
        images.push_back({id, std::vector<unsigned char>(rawImageBuffer,
                                                         rawImageBuffer + RawImageBytes)});
        textures.push_back(id);
    }

    // Start-up goes on with the binding it had.
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previousBinding));
    return textures;
}

void emitPatch(const TerrainPatch& patch, TextureId texture)
{
    // Control point (i, j) of the map, i along u and j along v, is P[j][i]:
    // a u step is one point (3 floats), a v step one row (9 floats).
    glMap2f(GL_MAP2_VERTEX_3, 0, PatchDomainEnd, 3, 3, 0, PatchDomainEnd, 9, 3,
            patch.controlPoints);
    glEnable(GL_MAP2_VERTEX_3);
    glEnable(GL_AUTO_NORMAL);
    glEnable(GL_NORMALIZE);
    glMapGrid2f(PatchGridSteps, 0, PatchDomainEnd, PatchGridSteps, 0, PatchDomainEnd);
    glColor3f(float(patch.kind), float(patch.green), float(patch.blue));
    glMap2f(GL_MAP2_TEXTURE_COORD_2, 0, 1, 2, 2, 0, 1, 4, 2, terrainTexCoordMap);
    glEnable(GL_MAP2_TEXTURE_COORD_2);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    // The image was uploaded at start-up; the list only binds it.
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
    glEvalMesh2(GL_FILL, 0, PatchGridSteps, 0, PatchGridSteps);
    glEnable(GL_AUTO_NORMAL);
}

} // namespace

void loadTerrainPatches(const char* fileName)
{
    terrainList = quadListBase + 1;

    std::vector<TerrainPatch> patches;
    const bool opened = readTerrainFile(fileName, patches);
    // Texture uploads cannot be made while a list is being compiled (they
    // would be compiled too and repeated at every call), so they come first.
    const std::vector<TextureId> textures = prepareRawTextures(patches);

    glNewList(terrainList, GL_COMPILE);
    if (opened) {
        // The patches' control grids wind clockwise.
        glFrontFace(GL_CW);
        for (std::size_t i = 0; i < patches.size(); ++i)
            emitPatch(patches[i], textures[i]);
        glFrontFace(GL_CCW);
    }
    glEndList();
}

void readRawTexture(const char* fileName)
{
    std::FILE* file = std::fopen(fileName, "rb");
    bool readable = file != nullptr;
    if (file) {
        // A shorter file fills only the beginning; the rest keeps its bytes.
        // A directory opens on some systems but fails its first read.
        const std::size_t got = std::fread(rawImageBuffer, 1, RawImageBytes, file);
        readable = got == RawImageBytes || !std::ferror(file);
        std::fclose(file);
    }
    if (!readable) {
        std::fprintf(stderr, "%s: cannot read the raw texture\n", fileName);
        std::fputs("Erro no fichero\n", stdout);
        std::fflush(stdout);
        std::exit(1);
    }
}
