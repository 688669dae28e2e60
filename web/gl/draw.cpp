// The draw path: glBegin/glEnd and the vertex attributes (GL 1.1 sections
// 2.6 and 2.7), the assembly of GL's primitives into what WebGL draws
// (2.6.1), and the one place that sends the layer's state to WebGL and
// draws. A quad (v1 v2 v3 v4) is the triangles (v1 v2 v3) and (v1 v3 v4),
// quad strips, fans and polygons likewise keep GL's winding, so that front
// faces stay front faces. Primitives given outside a list are drawn from a
// stream buffer at glEnd; lists draw from buffers of their own.
// Entry points: the vertex commands of GL/gl.h, assemble(),
// makeGeometryBuffers(), drawGeometry(), drawPrimitiveNow().
#include "web/gl/draw.h"

#include "web/gl/display_lists.h"
#include "web/gl/fixed_function_shader.h"
#include "web/gl/webgl.h"

#include <cmath>
#include <cstddef>

using namespace webgl11;

namespace {

bool inside = false;  // between glBegin and glEnd
GLenum beginMode = GL_POINTS;
Primitive building;

DrawCounts counts;
bool textureOn = false;  // texturing with a complete texture, as last sent

// The attributes a vertex takes now: the list's view of them while a list is
// compiled, else the current ones.
CurrentAttributes& attributesForChange()
{
    return compilingList() ? listAttributes().values : glState.current;
}

void pointAttributes(const GLfloat* source, int count, GLfloat* target)
{
    for (int i = 0; i < count; ++i)
        target[i] = source[i];
}

// The inverse transpose of the upper left 3 x 3 of m (2.10.3), in columns of
// vec4 slots; zero for a singular matrix.
void normalMatrix(const Matrix& matrix, GLfloat out[12])
{
    auto at = [&](int row, int column) { return double(matrix.m[4 * column + row]); };
    double cofactor[3][3];
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column) {
            const int r1 = (row + 1) % 3, r2 = (row + 2) % 3;
            const int c1 = (column + 1) % 3, c2 = (column + 2) % 3;
            cofactor[row][column] = at(r1, c1) * at(r2, c2) - at(r1, c2) * at(r2, c1);
        }
    const double determinant =
        at(0, 0) * cofactor[0][0] + at(0, 1) * cofactor[0][1] + at(0, 2) * cofactor[0][2];
    // (M^-1)^T = cofactor matrix / determinant.
    for (int column = 0; column < 3; ++column) {
        for (int row = 0; row < 3; ++row)
            out[4 * column + row] =
                determinant != 0 ? GLfloat(cofactor[row][column] / determinant) : 0;
        out[4 * column + 3] = 0;
    }
}

void putSlot(GLfloat* slots, int slot, const GLfloat* values, int count = 4)
{
    for (int i = 0; i < count; ++i)
        slots[4 * slot + i] = values[i];
}

void sendTexture()
{
    if (!glState.textureDirty)
        return;
    const TextureObject& object = boundTextureObject();
    emscripten_glBindTexture(GL_TEXTURE_2D, object.webglTexture);
    const bool on = glState.texture2D && isComplete(object);
    if (on != textureOn) {
        textureOn = on;
        glState.uniformsDirty = true;
    }
    glState.textureDirty = false;
}

void sendUniforms(GLint location)
{
    if (!glState.uniformsDirty)
        return;
    GLfloat slots[4 * StateSlotCount] = {};
    putSlot(slots, ModelviewSlot, modelviewMatrix().m, 16);
    putSlot(slots, ProjectionSlot, glState.projection.levels[glState.projection.top].m, 16);
    normalMatrix(modelviewMatrix(), slots + 4 * NormalMatrixSlot);
    const GLfloat switches[4] = {glState.lighting ? 1.f : 0.f, glState.normalize ? 1.f : 0.f,
                                 textureOn ? 1.f : 0.f, 0};
    putSlot(slots, SwitchesSlot, switches);
    const GLfloat texGen[4] = {glState.texGenS ? 1.f : 0.f, glState.texGenT ? 1.f : 0.f,
                               glState.texGenModeS == GL_SPHERE_MAP ? 1.f : 0.f,
                               glState.texGenModeT == GL_SPHERE_MAP ? 1.f : 0.f};
    putSlot(slots, TexGenSlot, texGen);
    const Material& material = glState.front;
    putSlot(slots, EmissionSlot, material.emission);
    putSlot(slots, AmbientSlot, material.ambient);
    putSlot(slots, DiffuseSlot, material.diffuse);
    putSlot(slots, SpecularSlot, material.specular);
    putSlot(slots, ShininessSlot, &material.shininess, 1);
    putSlot(slots, LightModelAmbientSlot, glState.lightModelAmbient);
    putSlot(slots, CurrentColourSlot, glState.current.colour);
    putSlot(slots, CurrentNormalSlot, glState.current.normal, 3);
    putSlot(slots, CurrentTexCoordSlot, glState.current.texCoord, 2);
    for (int i = 0; i < LightCount; ++i) {
        const Light& light = glState.lights[i];
        const int first = FirstLightSlot + LightSlots * i;
        putSlot(slots, first, light.eyePosition);
        putSlot(slots, first + 1, light.ambient);
        putSlot(slots, first + 2, light.diffuse);
        putSlot(slots, first + 3, light.specular);
        const GLfloat enabled = light.enabled ? 1.f : 0.f;
        putSlot(slots, first + 4, &enabled, 1);
    }
    emscripten_glUniform4fv(location, StateSlotCount, slots);
    glState.uniformsDirty = false;
}

GLenum webglMode(PrimitiveClass kind)
{
    switch (kind) {
    case PrimitiveClass::Lines:
        return webgl::Lines;
    case PrimitiveClass::Points:
        return webgl::Points;
    case PrimitiveClass::Triangles:
        break;
    }
    return webgl::Triangles;
}

void setVertexLayout()
{
    const GLsizei stride = sizeof(Vertex);
    struct Field {
        GLuint location;
        GLint size;
        GLenum type;
        std::size_t offset;
    };
    const Field fields[] = {
        {PositionAttribute, 3, webgl::Float, offsetof(Vertex, position)},
        {NormalAttribute, 3, webgl::Float, offsetof(Vertex, normal)},
        {TexCoordAttribute, 2, webgl::Float, offsetof(Vertex, texCoord)},
        {ColourAttribute, 4, webgl::Float, offsetof(Vertex, colour)},
        {InheritAttribute, 3, GL_UNSIGNED_BYTE, offsetof(Vertex, inherit)},
    };
    for (const Field& field : fields) {
        emscripten_glEnableVertexAttribArray(field.location);
        emscripten_glVertexAttribPointer(field.location, field.size, field.type, GL_FALSE, stride,
                                         reinterpret_cast<const void*>(field.offset));
    }
}

} // namespace

namespace webgl11 {

bool insideBeginEnd()
{
    return inside;
}

bool assemble(GLenum mode, Primitive& primitive, std::uint32_t first, std::uint32_t count)
{
    std::vector<std::uint32_t>& out = primitive.indices;
    auto triangle = [&](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
        out.insert(out.end(), {first + a, first + b, first + c});
    };
    auto line = [&](std::uint32_t a, std::uint32_t b) { out.insert(out.end(), {first + a, first + b}); };
    switch (mode) {
    case GL_POINTS:
        primitive.kind = PrimitiveClass::Points;
        for (std::uint32_t i = 0; i < count; ++i)
            out.push_back(first + i);
        return true;
    case GL_LINES:
        primitive.kind = PrimitiveClass::Lines;
        for (std::uint32_t i = 0; i + 1 < count; i += 2)
            line(i, i + 1);
        return true;
    case GL_LINE_STRIP:
    case GL_LINE_LOOP:
        primitive.kind = PrimitiveClass::Lines;
        for (std::uint32_t i = 0; i + 1 < count; ++i)
            line(i, i + 1);
        if (mode == GL_LINE_LOOP && count > 2)
            line(count - 1, 0);
        return true;
    case GL_TRIANGLES:
        for (std::uint32_t i = 0; i + 2 < count; i += 3)
            triangle(i, i + 1, i + 2);
        return true;
    case GL_TRIANGLE_STRIP:
        // Every other triangle is taken the other way round, so that all
        // keep the first one's winding.
        for (std::uint32_t i = 0; i + 2 < count; ++i) {
            if (i % 2 == 0)
                triangle(i, i + 1, i + 2);
            else
                triangle(i + 1, i, i + 2);
        }
        return true;
    case GL_TRIANGLE_FAN:
    case GL_POLYGON:
        for (std::uint32_t i = 1; i + 1 < count; ++i)
            triangle(0, i, i + 1);
        return true;
    case GL_QUADS:
        for (std::uint32_t i = 0; i + 3 < count; i += 4) {
            triangle(i, i + 1, i + 2);
            triangle(i, i + 2, i + 3);
        }
        return true;
    case GL_QUAD_STRIP:
        // Quad k is (v2k, v2k+1, v2k+3, v2k+2).
        for (std::uint32_t i = 0; i + 3 < count; i += 2) {
            triangle(i, i + 1, i + 3);
            triangle(i, i + 3, i + 2);
        }
        return true;
    }
    return false;
}

GeometryBuffers makeGeometryBuffers(const std::vector<Vertex>& vertices,
                                    const std::vector<std::uint32_t>& indices)
{
    GeometryBuffers buffers;
    emscripten_glGenVertexArrays(1, &buffers.vertexArray);
    emscripten_glBindVertexArray(buffers.vertexArray);
    emscripten_glGenBuffers(1, &buffers.vertexBuffer);
    emscripten_glBindBuffer(webgl::ArrayBuffer, buffers.vertexBuffer);
    emscripten_glBufferData(webgl::ArrayBuffer, GLsizeiptr(vertices.size() * sizeof(Vertex)),
                            vertices.data(), webgl::StaticDraw);
    emscripten_glGenBuffers(1, &buffers.indexBuffer);
    emscripten_glBindBuffer(webgl::ElementArrayBuffer, buffers.indexBuffer);
    emscripten_glBufferData(webgl::ElementArrayBuffer,
                            GLsizeiptr(indices.size() * sizeof(std::uint32_t)), indices.data(),
                            webgl::StaticDraw);
    setVertexLayout();
    emscripten_glBindVertexArray(0);
    counts.uploads += 2;
    return buffers;
}

void drawGeometry(const GeometryBuffers& buffers, PrimitiveClass kind, std::uint32_t firstIndex,
                  std::uint32_t count)
{
    if (count == 0)
        return;
    GLint stateLocation = -1;
    if (!fixedFunctionProgram(stateLocation))
        return;
    sendTexture();
    sendUniforms(stateLocation);
    emscripten_glBindVertexArray(buffers.vertexArray);
    emscripten_glDrawElements(webglMode(kind), GLsizei(count), webgl::UnsignedInt,
                              reinterpret_cast<const void*>(std::size_t(firstIndex) * 4));
    ++counts.draws;
}

void drawPrimitiveNow(const Primitive& primitive)
{
    if (primitive.indices.empty())
        return;
    // One stream buffer pair for everything drawn outside lists, given new
    // contents at each draw.
    static GeometryBuffers stream = makeGeometryBuffers({}, {});
    emscripten_glBindVertexArray(stream.vertexArray);
    emscripten_glBindBuffer(webgl::ArrayBuffer, stream.vertexBuffer);
    emscripten_glBufferData(webgl::ArrayBuffer,
                            GLsizeiptr(primitive.vertices.size() * sizeof(Vertex)),
                            primitive.vertices.data(), webgl::StreamDraw);
    emscripten_glBufferData(webgl::ElementArrayBuffer,
                            GLsizeiptr(primitive.indices.size() * sizeof(std::uint32_t)),
                            primitive.indices.data(), webgl::StreamDraw);
    emscripten_glBindVertexArray(0);
    counts.uploads += 2;
    drawGeometry(stream, primitive.kind, 0, std::uint32_t(primitive.indices.size()));
}

DrawCounts takeDrawCounts()
{
    const DrawCounts taken = counts;
    counts = {};
    return taken;
}

} // namespace webgl11

void glBegin(GLenum mode)
{
    if (inside) {
        setError(InvalidOperation);
        return;
    }
    if (mode > GL_POLYGON) {
        setError(InvalidEnum);
        return;
    }
    inside = true;
    beginMode = mode;
    building = Primitive{};
}

void glEnd()
{
    if (!inside) {
        setError(InvalidOperation);
        return;
    }
    inside = false;
    assemble(beginMode, building, 0, std::uint32_t(building.vertices.size()));
    if (compilingList())
        recordGeometry(building);
    else
        drawPrimitiveNow(building);
}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z)
{
    // 2.6.3: a vertex outside glBegin/glEnd has no effect here.
    if (!inside)
        return;
    Vertex vertex{};
    vertex.position[0] = x;
    vertex.position[1] = y;
    vertex.position[2] = z;
    std::uint8_t inherit = 0;
    const CurrentAttributes* attributes = &glState.current;
    if (compilingList()) {
        const ListAttributes& list = listAttributes();
        attributes = &list.values;
        inherit = std::uint8_t((list.colourKnown ? 0 : InheritColour) |
                               (list.normalKnown ? 0 : InheritNormal) |
                               (list.texCoordKnown ? 0 : InheritTexCoord));
    }
    pointAttributes(attributes->normal, 3, vertex.normal);
    pointAttributes(attributes->texCoord, 2, vertex.texCoord);
    pointAttributes(attributes->colour, 4, vertex.colour);
    setInherit(vertex, inherit);
    building.vertices.push_back(vertex);
}

void glNormal3f(GLfloat nx, GLfloat ny, GLfloat nz)
{
    CurrentAttributes& attributes = attributesForChange();
    attributes.normal[0] = nx;
    attributes.normal[1] = ny;
    attributes.normal[2] = nz;
    if (compilingList())
        listAttributes().normalKnown = true;
    else
        glState.uniformsDirty = true;
}

void glNormal3fv(const GLfloat* v)
{
    glNormal3f(v[0], v[1], v[2]);
}

void glTexCoord2f(GLfloat s, GLfloat t)
{
    CurrentAttributes& attributes = attributesForChange();
    attributes.texCoord[0] = s;
    attributes.texCoord[1] = t;
    if (compilingList())
        listAttributes().texCoordKnown = true;
    else
        glState.uniformsDirty = true;
}

void glColor3f(GLfloat red, GLfloat green, GLfloat blue)
{
    CurrentAttributes& attributes = attributesForChange();
    attributes.colour[0] = red;
    attributes.colour[1] = green;
    attributes.colour[2] = blue;
    attributes.colour[3] = 1;
    if (compilingList())
        listAttributes().colourKnown = true;
    else
        glState.uniformsDirty = true;
}
