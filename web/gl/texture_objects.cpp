// Texture objects and their images: GL 1.1 section 3.8 (3.8.1 glTexImage2D
// and the unpacking of 3.6, 3.8.3 parameters, 3.8.5 completeness, 3.8.8
// objects under names the caller chooses, object 0 being the default one).
// Images are RGB of unsigned bytes, any width and height (as the native
// driver takes them), border 0. Each object is one WebGL texture; a
// glTexImage2D compiled into a list keeps a copy of its pixels and uploads
// them again every time the list runs.
// Entry points: glBindTexture(), glTexImage2D(), glTexParameteri(),
// glTexParameterf(), glPixelStorei(), isComplete().
#include "web/gl/display_lists.h"
#include "web/gl/gl_state.h"
#include "web/gl/webgl.h"

#include <cstring>
#include <memory>
#include <vector>

using namespace webgl11;

namespace {

constexpr int BytesPerPixel = 3;  // GL_RGB of GL_UNSIGNED_BYTE

void bindInWebGL(const TextureObject& object)
{
    emscripten_glBindTexture(GL_TEXTURE_2D, object.webglTexture);
    // The draw path binds the texture it draws with again.
    glState.textureDirty = true;
}

void bind(GLuint name)
{
    glState.boundTexture = name;
    boundTextureObject();
    glState.textureDirty = true;
}

// Uploads `pixels` (rows `alignment`-aligned, or null) as `level` of the
// bound object.
void defineImage(GLint level, GLsizei width, GLsizei height, const void* pixels, GLint alignment)
{
    TextureObject& object = boundTextureObject();
    bindInWebGL(object);
    if (alignment != glState.unpackAlignment)
        emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    emscripten_glTexImage2D(GL_TEXTURE_2D, level, GL_RGB, width, height, 0, GL_RGB,
                            GL_UNSIGNED_BYTE, pixels);
    if (alignment != glState.unpackAlignment)
        emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, glState.unpackAlignment);
    object.levels[level] = {true, width, height};
}

// The pixels of a width x height image as the unpacking state lays them out
// (3.6.3: each row starts at a multiple of the alignment), packed tight.
std::shared_ptr<std::vector<unsigned char>> packedCopy(const unsigned char* pixels, GLsizei width,
                                                       GLsizei height)
{
    const std::size_t rowBytes = std::size_t(width) * BytesPerPixel;
    const std::size_t alignment = std::size_t(glState.unpackAlignment);
    const std::size_t stride = (rowBytes + alignment - 1) / alignment * alignment;
    auto copy = std::make_shared<std::vector<unsigned char>>(rowBytes * std::size_t(height));
    for (GLsizei row = 0; row < height; ++row)
        std::memcpy(copy->data() + row * rowBytes, pixels + row * stride, rowBytes);
    return copy;
}

bool isMinFilter(GLint value)
{
    return value == GL_NEAREST || value == GL_LINEAR || value == GL_NEAREST_MIPMAP_NEAREST ||
           value == GL_LINEAR_MIPMAP_NEAREST || value == GL_NEAREST_MIPMAP_LINEAR ||
           value == GL_LINEAR_MIPMAP_LINEAR;
}

void setParameter(GLenum pname, GLint value)
{
    TextureObject& object = boundTextureObject();
    switch (pname) {
    case GL_TEXTURE_MIN_FILTER:
        object.minFilter = GLenum(value);
        break;
    case GL_TEXTURE_MAG_FILTER:
        object.magFilter = GLenum(value);
        break;
    case GL_TEXTURE_WRAP_S:
        object.wrapS = GLenum(value);
        break;
    case GL_TEXTURE_WRAP_T:
        object.wrapT = GLenum(value);
        break;
    }
    bindInWebGL(object);
    emscripten_glTexParameteri(GL_TEXTURE_2D, pname, value);
}

} // namespace

namespace webgl11 {

bool isComplete(const TextureObject& texture)
{
    const TextureObject::Level& base = texture.levels[0];
    if (!base.defined || base.width <= 0 || base.height <= 0)
        return false;
    if (texture.minFilter == GL_NEAREST || texture.minFilter == GL_LINEAR)
        return true;
    GLsizei width = base.width, height = base.height;
    for (int level = 1; width > 1 || height > 1; ++level) {
        width = width > 1 ? width / 2 : 1;
        height = height > 1 ? height / 2 : 1;
        if (level >= TextureLevelCount)
            return false;
        const TextureObject::Level& image = texture.levels[level];
        if (!image.defined || image.width != width || image.height != height)
            return false;
    }
    return true;
}

} // namespace webgl11

void glBindTexture(GLenum target, GLuint texture)
{
    if (target != GL_TEXTURE_2D) {
        setError(InvalidEnum);
        return;
    }
    runOrRecord([=] { bind(texture); }, StateKey::BindTexture, 0, texture);
}

void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                  GLint border, GLenum format, GLenum type, const GLvoid* pixels)
{
    // 3 is GL 1.0's name for the RGB internal format.
    const bool rgb = internalFormat == GL_RGB || internalFormat == 3;
    if (target != GL_TEXTURE_2D || !rgb || format != GL_RGB || type != GL_UNSIGNED_BYTE) {
        setError(InvalidEnum);
        return;
    }
    if (level < 0 || level >= TextureLevelCount || width < 0 || height < 0 || border != 0) {
        setError(InvalidValue);
        return;
    }
    if (!compilingList()) {
        runOrRecord([=] { defineImage(level, width, height, pixels, glState.unpackAlignment); });
        return;
    }
    // 5.4: the list keeps the pixels as they are now, unpacked as now.
    std::shared_ptr<std::vector<unsigned char>> copy;
    if (pixels)
        copy = packedCopy(static_cast<const unsigned char*>(pixels), width, height);
    runOrRecord([=] { defineImage(level, width, height, copy ? copy->data() : nullptr, 1); });
}

void glTexParameteri(GLenum target, GLenum pname, GLint param)
{
    bool valid = target == GL_TEXTURE_2D;
    if (pname == GL_TEXTURE_MIN_FILTER)
        valid = valid && isMinFilter(param);
    else if (pname == GL_TEXTURE_MAG_FILTER)
        valid = valid && (param == GL_NEAREST || param == GL_LINEAR);
    else if (pname == GL_TEXTURE_WRAP_S || pname == GL_TEXTURE_WRAP_T)
        valid = valid && param == GL_REPEAT;
    else
        valid = false;
    if (!valid) {
        setError(InvalidEnum);
        return;
    }
    runOrRecord([=] { setParameter(pname, param); });
}

void glTexParameterf(GLenum target, GLenum pname, GLfloat param)
{
    glTexParameteri(target, pname, GLint(param));
}

void glPixelStorei(GLenum pname, GLint param)
{
    // Client state: never compiled into a list (5.4).
    if (pname != GL_UNPACK_ALIGNMENT) {
        setError(InvalidEnum);
        return;
    }
    if (param != 1 && param != 2 && param != 4 && param != 8) {
        setError(InvalidValue);
        return;
    }
    glState.unpackAlignment = param;
    emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, param);
}
