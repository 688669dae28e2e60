// The fixed set of bitmap textures: which file goes to which pixmap slot and
// texture id. Entry point: loadBitmapTextures(), once during initScene.
#pragma once

#include "image/pixmap.h"

void loadBitmapTextures();
