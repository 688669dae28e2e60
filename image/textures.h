// The fixed set of bitmap textures: which file goes to which pixmap slot and
// texture id. Entry point: loadBitmapTextures(), once during initScene, with
// the window's GL context current.
#pragma once

#include "image/pixmap.h"

// One bitmap texture: its file (opened relative to the working directory),
// its slot in pixmaps and its fixed texture object name.
struct BitmapTexture {
    const char* fileName;
    int slot;
    TextureId id;
};

constexpr int BitmapTextureCount = 17;

// In load order. Slot and id follow the order (id = 2001 + slot) except for
// madeira2 and caminho, whose ids are swapped: the quad model file names the
// wood as 2013 and the path as 2012. Slots 17 to 19 have no entry.
constexpr BitmapTexture BitmapTextureTable[BitmapTextureCount] = {
    {"Porta.bmp", 0, 2001},
    {"muro.bmp", 1, 2002},
    {"Porta3.bmp", 2, 2003},
    {"Telhado1.bmp", 3, 2004},
    {"Garagem.bmp", 4, 2005},
    {"Janela1.bmp", 5, 2006},
    {"Parede1.bmp", 6, 2007},
    {"Relva1.bmp", 7, 2008},
    {"calcada.bmp", 8, 2009},
    {"cimento.bmp", 9, 2010},
    {"alcatrao.bmp", 10, 2011},
    {"madeira2.bmp", 11, 2013},
    {"caminho.bmp", 12, 2012},
    {"pedra.bmp", 13, 2014},
    {"respiradouro.bmp", 14, 2015},
    {"ceu.bmp", 15, 2016},  // the sky sphere's texture
    {"agua.bmp", 16, 2017},
};

// Reads every file of the table into its pixmap and uploads it as its
// texture object, in table order; a file that is missing or refused still
// gets its upload (a 0 x 0 image) and never stops the start-up. Leaves 2017
// bound to GL_TEXTURE_2D.
void loadBitmapTextures();
