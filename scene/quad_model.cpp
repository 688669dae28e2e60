// Quad model list: the GL step over the quad file's records as they are read
// (scene/quad_model_file.cpp). Entry point: loadQuadModel().
#include "scene/quad_model.h"

#include "app/state.h"
#include "scene/quad_model_file.h"

#include <GL/gl.h>

#include <fstream>

namespace {

void emitQuad(const QuadRecord& quad)
{
    // Vertex 4 takes no part in the normal.
    float points[9];
    for (int k = 0; k < 3; ++k)
        for (int c = 0; c < 3; ++c)
            points[3 * k + c] = quad.vertices[k][c];
    float normal[3];
    faceNormal(points, normal);

    // A binding cannot change inside glBegin/glEnd: each quad has its own pair.
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(quad.texture));
    glBegin(GL_QUADS);
    glNormal3fv(normal);
    for (int k = 0; k < 4; ++k) {
        glTexCoord2f(quad.texCoords[k][0], quad.texCoords[k][1]);
        glVertex3f(quad.vertices[k][0], quad.vertices[k][1], quad.vertices[k][2]);
    }
    glEnd();
}

} // namespace

void loadQuadModel(const char* fileName)
{
    // One block of four names: the quads, the terrain (+1), the sky (+2) and
    // a fourth that stays unused.
    quadListBase = glGenLists(4);

    // The list only binds and draws; texturing is switched on around its call.
    // Each quad goes into it as soon as it is read, so that the records are
    // never all held at once.
    glNewList(quadListBase, GL_COMPILE);
    std::ifstream in(fileName);
    if (in.is_open()) {
        QuadFileReader reader(in, fileName);
        QuadRecord quad;
        while (reader.next(quad))
            emitQuad(quad);
    }
    glEndList();
}
