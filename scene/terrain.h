// Bezier terrain: reads the patch file and the raw textures and compiles the
// terrain display list. Entry points: loadTerrainPatches(), readRawTexture().
#pragma once

#include "image/pixmap.h"

// The raw 256 x 256 RGB image of each surface kind, and the texture object
// that holds it. The names lie outside the bitmap ids 2001..2017, so the
// terrain never changes a bitmap texture; the program never asks the GL to
// generate names.
struct RawTextureEntry {
    int kind;
    const char* fileName;
    TextureId textureId;
};
constexpr RawTextureEntry RawTextureTable[] = {
    {1, "janela.raw", 2101},
    {2, "Relva1.raw", 2102},
    {3, "alcatrao.raw", 2103},
    {4, "cimento2.raw", 2104},
};
// A patch of any other kind shows the image that rawImageBuffer holds: the
// last raw file read before it, or, before any raw file, the buffer's first
// content (black), which goes to this texture object.
constexpr TextureId HeldRawImageTextureId = 2100;
// A kind's file read again when the buffer held another image may give an
// image of its own (a short file keeps the tail of the image before it): the
// second and later such images go to 2105, 2106, ...
constexpr TextureId FirstSpareRawImageTextureId = 2105;

// terrainList = quadListBase + 1; compiles the patches of the file into it as
// 15 x 15 evaluator meshes, each bound to the texture object of its image.
// The raw files are read in patch order, at every patch of kinds 1 to 4, and
// each distinct image is uploaded once, here, outside the list: calling the
// list uploads nothing. A file that cannot be opened leaves the list empty.
// Needs the current GL context; runs after loadQuadModel.
void loadTerrainPatches(const char* fileName);

// Fills rawImageBuffer from the start of a raw 256 x 256 RGB file (a shorter
// file fills only the beginning). If the file cannot be opened or read (a
// directory, say), prints "Erro no fichero\n" on standard output and ends the
// process with status 1.
void readRawTexture(const char* fileName);
