// Light sources and materials: GL 1.1 section 2.13.2 (how the lighting
// parameters are set). The lighting equation itself (2.13.1) is evaluated per
// vertex in the fixed-function shader (fixed_function_shader.cpp).
// A light's position is transformed by the model-view matrix in force when
// it is given and kept in eye coordinates. Lighting is one-sided (the
// initial light model), so polygons of either facing use the front
// material. Materials given between glBegin and glEnd are refused.
// Entry points: glLightfv(), glMaterialfv(), glMaterialf().
#include "web/gl/display_lists.h"
#include "web/gl/gl_state.h"

#include <array>

using namespace webgl11;

namespace {

using Four = std::array<GLfloat, 4>;

Four copyFour(const GLfloat* params)
{
    return {params[0], params[1], params[2], params[3]};
}

void setFour(GLfloat target[4], const Four& values)
{
    for (int i = 0; i < 4; ++i)
        target[i] = values[i];
    glState.uniformsDirty = true;
}

void setLight(int index, GLenum pname, const Four& values)
{
    Light& light = glState.lights[index];
    switch (pname) {
    case GL_AMBIENT:
        setFour(light.ambient, values);
        break;
    case GL_DIFFUSE:
        setFour(light.diffuse, values);
        break;
    case GL_SPECULAR:
        setFour(light.specular, values);
        break;
    case GL_POSITION: {
        GLfloat eye[4];
        transform(modelviewMatrix(), values.data(), eye);
        setFour(light.eyePosition, {eye[0], eye[1], eye[2], eye[3]});
        break;
    }
    }
}

void setMaterial(Material& material, GLenum pname, const Four& values)
{
    switch (pname) {
    case GL_AMBIENT:
        setFour(material.ambient, values);
        break;
    case GL_DIFFUSE:
        setFour(material.diffuse, values);
        break;
    case GL_AMBIENT_AND_DIFFUSE:
        setFour(material.ambient, values);
        setFour(material.diffuse, values);
        break;
    case GL_SPECULAR:
        setFour(material.specular, values);
        break;
    case GL_EMISSION:
        setFour(material.emission, values);
        break;
    case GL_SHININESS:
        material.shininess = values[0];
        glState.uniformsDirty = true;
        break;
    }
}

bool isMaterialName(GLenum pname)
{
    return pname == GL_AMBIENT || pname == GL_DIFFUSE || pname == GL_AMBIENT_AND_DIFFUSE ||
           pname == GL_SPECULAR || pname == GL_EMISSION || pname == GL_SHININESS;
}

void material(GLenum face, GLenum pname, const Four& values)
{
    if ((face != GL_FRONT && face != GL_BACK) || !isMaterialName(pname)) {
        setError(InvalidEnum);
        return;
    }
    // 2.13.2: the specular exponent lies in [0, 128].
    if (pname == GL_SHININESS && (values[0] < 0 || values[0] > 128)) {
        setError(InvalidValue);
        return;
    }
    Material& target = face == GL_FRONT ? glState.front : glState.back;
    runOrRecord([=, &target] { setMaterial(target, pname, values); });
}

} // namespace

void glLightfv(GLenum light, GLenum pname, const GLfloat* params)
{
    const int index = int(light) - GL_LIGHT0;
    const bool knownName =
        pname == GL_AMBIENT || pname == GL_DIFFUSE || pname == GL_SPECULAR || pname == GL_POSITION;
    if (index < 0 || index >= LightCount || !knownName) {
        setError(InvalidEnum);
        return;
    }
    const Four values = copyFour(params);
    runOrRecord([=] { setLight(index, pname, values); });
}

void glMaterialfv(GLenum face, GLenum pname, const GLfloat* params)
{
    // GL_SHININESS reads one value; the others four.
    material(face, pname, pname == GL_SHININESS ? Four{params[0], 0, 0, 0} : copyFour(params));
}

void glMaterialf(GLenum face, GLenum pname, GLfloat param)
{
    if (pname != GL_SHININESS) {
        setError(InvalidEnum);
        return;
    }
    material(face, pname, {param, 0, 0, 0});
}
