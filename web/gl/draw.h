// The draw path: vertices as glBegin/glEnd give them (GL 1.1 sections 2.6,
// 2.7), assembled into triangles, lines or points, and drawn through the
// fixed-function shader. Entry points: emitVertex(), makeGeometryBuffers(),
// drawGeometry(), drawPrimitiveNow().
#pragma once

#include "web/gl/gl_state.h"

#include <cstdint>
#include <vector>

namespace webgl11 {

// One vertex with every attribute the pipeline reads. `inherit` marks, one
// byte each (colour, normal, texture coordinates; 1 or 0), the attributes
// that a display list had not set before the vertex: those are taken from
// the current attributes of the moment the list runs.
struct Vertex {
    GLfloat position[3];
    GLfloat normal[3];
    GLfloat texCoord[2];
    GLfloat colour[4];
    std::uint8_t inherit[4];
};
static_assert(sizeof(Vertex) == 52, "Vertex is the layout of the vertex buffer");

enum InheritBits : std::uint8_t { InheritColour = 1, InheritNormal = 2, InheritTexCoord = 4 };
inline void setInherit(Vertex& vertex, std::uint8_t bits)
{
    vertex.inherit[0] = bits & InheritColour ? 1 : 0;
    vertex.inherit[1] = bits & InheritNormal ? 1 : 0;
    vertex.inherit[2] = bits & InheritTexCoord ? 1 : 0;
    vertex.inherit[3] = 0;
}

// What WebGL draws a primitive as: GL's polygons, quads and strips are
// triangles, its line loops and strips separate lines.
enum class PrimitiveClass : std::uint8_t { Triangles, Lines, Points };

// One glBegin/glEnd, or an evaluated mesh, assembled: indices into vertices.
struct Primitive {
    PrimitiveClass kind = PrimitiveClass::Triangles;
    std::vector<Vertex> vertices;
    std::vector<std::uint32_t> indices;
};

// True between glBegin and glEnd.
bool insideBeginEnd();

// Appends `mode`'s triangles, lines or points over vertices first .. first +
// count - 1 of `primitive` to its indices, as GL 1.1 section 2.6.1 orders
// them. Returns false for a mode that is not a primitive.
bool assemble(GLenum mode, Primitive& primitive, std::uint32_t first, std::uint32_t count);

// Vertex and index data in WebGL buffers, with the vertex array that reads
// them in the shader's layout.
struct GeometryBuffers {
    GLuint vertexArray = 0;
    GLuint vertexBuffer = 0;
    GLuint indexBuffer = 0;
};
GeometryBuffers makeGeometryBuffers(const std::vector<Vertex>& vertices,
                                    const std::vector<std::uint32_t>& indices);

// Sends the state the shader reads, then draws `count` indices from
// `firstIndex` of `buffers` as `kind`.
void drawGeometry(const GeometryBuffers& buffers, PrimitiveClass kind, std::uint32_t firstIndex,
                  std::uint32_t count);

// Draws a primitive given outside any display list at once.
void drawPrimitiveNow(const Primitive& primitive);

// Statistics of the frame for the benchmark: draw calls and buffer uploads
// since the last call of takeDrawCounts().
struct DrawCounts {
    unsigned draws = 0;
    unsigned uploads = 0;
};
DrawCounts takeDrawCounts();

} // namespace webgl11
