// Bitmap texture set and upload: the table's files become texture objects
// 2001 to 2017. Entry points: loadBitmapTextures(), Pixmap::uploadAsTexture().
#include "image/textures.h"

#include "app/state.h"

#include <GL/gl.h>

void Pixmap::uploadAsTexture(TextureId textureId)
{
    glBindTexture(GL_TEXTURE_2D, GLuint(textureId));
    // Nearest filtering both ways needs no mipmap levels, so none are made.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    // The pixmap's rows are packed, 3 bytes a pixel. With the GL's default
    // unpack alignment of 4 the GL would take each row as padded to 4 bytes
    // and read past the end of the array unless the width is a multiple of 4.
    const bool packedRowsNeedAlignment1 = columnCount % 4 != 0;
    GLint previousAlignment = 4;
    if (packedRowsNeedAlignment1) {
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &previousAlignment);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    }
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, columnCount, rowCount, 0, GL_RGB,
                 GL_UNSIGNED_BYTE, pixels);
    if (packedRowsNeedAlignment1)
        glPixelStorei(GL_UNPACK_ALIGNMENT, previousAlignment);
}

void loadBitmapTextures()
{
    // The reader's result is not looked at: a failed load leaves an empty or
    // partly black picture, which is uploaded all the same.
    for (const BitmapTexture& texture : BitmapTextureTable) {
        Pixmap& pixmap = pixmaps[texture.slot];
        pixmap.loadBmp(texture.fileName);
        pixmap.uploadAsTexture(texture.id);
    }
}
