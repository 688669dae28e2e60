// Bitmap texture set and upload.
#include "image/textures.h"

void Pixmap::uploadAsTexture(TextureId) {}

void loadBitmapTextures() {}
