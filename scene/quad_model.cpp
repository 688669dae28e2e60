// Quad model loader.
#include "scene/quad_model.h"

#include "app/state.h"

#include <GL/gl.h>

void loadQuadModel(const char*)
{
    quadListBase = glGenLists(4);
    glNewList(quadListBase, GL_COMPILE);
    glEndList();
}

void faceNormal(const float[9], float normal[3])
{
    normal[0] = normal[1] = normal[2] = 0.0f;
}

void normalizeTriple(float[3]) {}
