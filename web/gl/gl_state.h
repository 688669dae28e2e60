// The GL 1.1 state of the web layer: one home for every value that the GL
// commands of web/include/GL/gl.h set and the draw path reads (GL 1.1
// chapter 6 lists them, with their initial values, which are the initial
// values here). Each command file writes the part of its own area and marks
// what the draw path must send to WebGL again; nothing else writes it.
// Entry points: glState (the state), the matrix helpers.
#pragma once

#include <GL/gl.h>

#include <cstdint>
#include <unordered_map>

namespace webgl11 {

// A 4 x 4 matrix as GL stores it: column by column, m[4 * column + row].
struct Matrix {
    GLfloat m[16];
};
Matrix identityMatrix();
Matrix multiply(const Matrix& a, const Matrix& b);  // a b
// (x, y, z, w) times the matrix, as a column vector: M v.
void transform(const Matrix& matrix, const GLfloat in[4], GLfloat out[4]);

// GL 1.1 asks for 32 model-view and 2 projection levels at least; Mesa, whose
// pictures the web build matches, has 32 of each.
constexpr int MatrixStackDepth = 32;
struct MatrixStack {
    Matrix levels[MatrixStackDepth];
    int top = 0;  // index of the current matrix
};

// One light source (2.13.2). The spot and attenuation parameters keep their
// initial values (cutoff 180, attenuation 1): the layer offers no command to
// change them, so every light is undimmed and unspotted.
struct Light {
    bool enabled = false;
    GLfloat ambient[4] = {0, 0, 0, 1};
    GLfloat diffuse[4] = {0, 0, 0, 1};
    GLfloat specular[4] = {0, 0, 0, 1};
    GLfloat eyePosition[4] = {0, 0, 1, 0};  // transformed by the model-view when set
};
constexpr int LightCount = 2;  // GL_LIGHT0 and GL_LIGHT1

struct Material {
    GLfloat ambient[4] = {0.2f, 0.2f, 0.2f, 1};
    GLfloat diffuse[4] = {0.8f, 0.8f, 0.8f, 1};
    GLfloat specular[4] = {0, 0, 0, 1};
    GLfloat emission[4] = {0, 0, 0, 1};
    GLfloat shininess = 0;
};

// A texture object (3.8.8) and its WebGL texture. Only the RGB format of
// unsigned bytes is offered, so a level is its size.
constexpr int TextureLevelCount = 16;
struct TextureObject {
    GLuint webglTexture = 0;
    GLenum minFilter = GL_NEAREST_MIPMAP_LINEAR;
    GLenum magFilter = GL_LINEAR;
    GLenum wrapS = GL_REPEAT;
    GLenum wrapT = GL_REPEAT;
    struct Level {
        bool defined = false;
        GLsizei width = 0, height = 0;
    } levels[TextureLevelCount];
};

// 3.8.5: a texture is complete when its level 0 has a size and, if its
// minifying filter uses mipmaps, every level down to 1 x 1 has the size that
// halving gives. Texturing with an incomplete texture is as if it were off.
bool isComplete(const TextureObject& texture);

// A two-dimensional evaluator map (5.1): order u x order v control points of
// `components` floats each, packed u fastest.
struct Map2 {
    GLfloat u1 = 0, u2 = 1, v1 = 0, v2 = 1;
    int uOrder = 1, vOrder = 1;
    int components;
    GLfloat points[8 * 8 * 4];  // GL 1.1 asks for order 8 at least
};
constexpr int MaxEvalOrder = 8;

struct EvaluatorState {
    bool vertex3Enabled = false;      // GL_MAP2_VERTEX_3
    bool texCoord2Enabled = false;    // GL_MAP2_TEXTURE_COORD_2
    bool autoNormal = false;          // GL_AUTO_NORMAL
    Map2 vertex3{0, 1, 0, 1, 1, 1, 3, {0, 0, 0}};
    Map2 texCoord2{0, 1, 0, 1, 1, 1, 2, {0, 0}};
    GLint uSteps = 1, vSteps = 1;      // glMapGrid2f
    GLfloat gridU1 = 0, gridU2 = 1, gridV1 = 0, gridV2 = 1;
};

// The current colour, normal and texture coordinates (2.7).
struct CurrentAttributes {
    GLfloat colour[4] = {1, 1, 1, 1};
    GLfloat normal[3] = {0, 0, 1};
    GLfloat texCoord[2] = {0, 0};  // r = 0 and q = 1: only glTexCoord2f is offered
};

// GL_EYE_LINEAR, GL 1.1's initial generation mode: not in the header, since
// the eye planes it needs cannot be set; the shader plays it with the initial
// planes.
constexpr GLenum EyeLinear = 0x2400;

struct GLState {
    GLenum error = 0;  // the first error since start; never reported

    GLenum matrixMode = GL_MODELVIEW;
    MatrixStack modelview;
    MatrixStack projection;
    GLint viewport[4] = {0, 0, 0, 0};

    bool lighting = false;
    bool normalize = false;
    Light lights[LightCount];
    Material front, back;  // lighting is one-sided: polygons use the front
    GLfloat lightModelAmbient[4] = {0.2f, 0.2f, 0.2f, 1};

    bool texture2D = false;
    GLuint boundTexture = 0;
    std::unordered_map<GLuint, TextureObject> textures;  // 0 is the default object
    GLint unpackAlignment = 4;

    bool texGenS = false, texGenT = false;
    GLenum texGenModeS = EyeLinear, texGenModeT = EyeLinear;

    bool depthTest = false;
    bool cullFace = false;
    GLenum cullFaceMode = GL_BACK;
    GLenum frontFace = GL_CCW;
    GLfloat clearColour[4] = {0, 0, 0, 0};
    GLenum perspectiveHint = GL_DONT_CARE;

    EvaluatorState evaluators;
    CurrentAttributes current;

    // What the draw path must send to WebGL before its next draw.
    bool uniformsDirty = true;
    bool textureDirty = true;
};

extern GLState glState;

// Records a GL error (2.5): the first one stays until the process ends.
void setError(GLenum error);

// The matrix that glMatrixMode selects.
MatrixStack& currentStack();
inline Matrix& currentMatrix()
{
    MatrixStack& stack = currentStack();
    return stack.levels[stack.top];
}
inline const Matrix& modelviewMatrix()
{
    return glState.modelview.levels[glState.modelview.top];
}

// The texture object bound to GL_TEXTURE_2D, made on its first bind.
TextureObject& boundTextureObject();

// GL_INVALID_ENUM, GL_INVALID_VALUE, GL_INVALID_OPERATION,
// GL_STACK_OVERFLOW, GL_STACK_UNDERFLOW: kept here, not in the header, as
// glGetError is not offered.
constexpr GLenum InvalidEnum = 0x0500;
constexpr GLenum InvalidValue = 0x0501;
constexpr GLenum InvalidOperation = 0x0502;
constexpr GLenum StackOverflow = 0x0503;
constexpr GLenum StackUnderflow = 0x0504;

} // namespace webgl11
