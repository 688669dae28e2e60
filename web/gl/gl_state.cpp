// The layer's GL state and the small matrix helpers every area uses (see
// gl_state.h).
#include "web/gl/gl_state.h"

#include "web/gl/webgl.h"

namespace webgl11 {

GLState glState = [] {
    GLState state;
    state.modelview.levels[0] = identityMatrix();
    state.projection.levels[0] = identityMatrix();
    // GL 1.1 2.13.2: light 0 alone starts white; the others start black.
    for (int c = 0; c < 3; ++c) {
        state.lights[0].diffuse[c] = 1;
        state.lights[0].specular[c] = 1;
    }
    return state;
}();

void setError(GLenum error)
{
    if (glState.error == 0)
        glState.error = error;
}

Matrix identityMatrix()
{
    Matrix matrix{};
    for (int i = 0; i < 4; ++i)
        matrix.m[5 * i] = 1;
    return matrix;
}

Matrix multiply(const Matrix& a, const Matrix& b)
{
    Matrix product;
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row) {
            GLfloat sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += a.m[4 * k + row] * b.m[4 * column + k];
            product.m[4 * column + row] = sum;
        }
    return product;
}

void transform(const Matrix& matrix, const GLfloat in[4], GLfloat out[4])
{
    for (int row = 0; row < 4; ++row) {
        GLfloat sum = 0;
        for (int k = 0; k < 4; ++k)
            sum += matrix.m[4 * k + row] * in[k];
        out[row] = sum;
    }
}

MatrixStack& currentStack()
{
    return glState.matrixMode == GL_PROJECTION ? glState.projection : glState.modelview;
}

TextureObject& boundTextureObject()
{
    auto found = glState.textures.find(glState.boundTexture);
    if (found != glState.textures.end())
        return found->second;
    TextureObject& object = glState.textures[glState.boundTexture];
    // A new WebGL texture starts with GL 1.1's initial parameters.
    emscripten_glGenTextures(1, &object.webglTexture);
    return object;
}

} // namespace webgl11
