// The texture files of the default scene: which painter makes which file, in
// which size, and the writing of them all. Entry point: makeTextures().
#include "textures.h"

#include "image_canvas.h"
#include "texture_makers.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

enum class FileKind { Bmp, Raw };

struct TextureFile {
    const char* name;
    FileKind kind;
    Canvas (*paint)();
};

// Painters that take a seed or variant, fixed here so that each file has one.
// The grass bitmap has twice the raw image's pixels a side: the ground repeats
// it finely near the cameras, and its texels must stay small there.
Canvas grassBitmap() { return paintGrass(11, 512); }
Canvas grassRaw() { return paintGrass(23, 256); }
Canvas cementBitmap() { return paintCement(31); }
Canvas asphaltBitmap() { return paintAsphalt(41); }
Canvas asphaltRaw() { return paintAsphalt(43); }

// The bitmaps in the program's load order, then the four raw terrain images
// (256 x 256, the size the terrain reader expects).
constexpr TextureFile TextureFiles[] = {
    {"Porta.bmp", FileKind::Bmp, paintFrontDoor},
    {"muro.bmp", FileKind::Bmp, paintBoundaryWall},
    {"Porta3.bmp", FileKind::Bmp, paintPlankDoor},
    {"Telhado1.bmp", FileKind::Bmp, paintRoofTiles},
    {"Garagem.bmp", FileKind::Bmp, paintStubble},
    {"Janela1.bmp", FileKind::Bmp, paintWindow},
    {"Parede1.bmp", FileKind::Bmp, paintPlaster},
    {"Relva1.bmp", FileKind::Bmp, grassBitmap},
    {"calcada.bmp", FileKind::Bmp, paintPortuguesePavement},
    {"cimento.bmp", FileKind::Bmp, cementBitmap},
    {"alcatrao.bmp", FileKind::Bmp, asphaltBitmap},
    {"madeira2.bmp", FileKind::Bmp, paintWoodFloor},
    {"caminho.bmp", FileKind::Bmp, paintFlagstonePath},
    {"pedra.bmp", FileKind::Bmp, paintRubbleStone},
    {"respiradouro.bmp", FileKind::Bmp, paintDetails},
    {"ceu.bmp", FileKind::Bmp, paintSky},
    {"agua.bmp", FileKind::Bmp, paintRiverWater},
    {"janela.raw", FileKind::Raw, paintHeath},
    {"Relva1.raw", FileKind::Raw, grassRaw},
    {"alcatrao.raw", FileKind::Raw, asphaltRaw},
    {"cimento2.raw", FileKind::Raw, paintPineWoods},
};

std::vector<unsigned char> encode(const TextureFile& file)
{
    const Canvas canvas = file.paint();
    return file.kind == FileKind::Bmp ? encodeBmp(canvas) : encodeRaw(canvas);
}

} // namespace

std::vector<unsigned char> defaultTextureFile(const std::string& fileName)
{
    for (const TextureFile& file : TextureFiles)
        if (fileName == file.name)
            return encode(file);
    return {};
}

void makeTextures(const std::string& outputDir)
{
    std::error_code error;
    std::filesystem::create_directories(outputDir, error);
    for (const TextureFile& file : TextureFiles) {
        const std::string path = outputDir + "/" + file.name;
        const bool written = writeBytes(path, encode(file));
        if (!written) {
            std::fprintf(stderr, "make_data: cannot write %s\n", path.c_str());
            std::exit(1);
        }
    }
}
