// glutSolidSphere, tessellated as freeglut tessellates it, so that the sun
// has the same vertices in the browser as natively: a vertex at each pole
// and `stacks - 1` rings of `slices` vertices, ring i at the polar angle
// pi i / stacks, vertex j at the azimuth -2 pi j / slices (both angles, their
// sines and cosines in single precision); normals are the unit directions.
// Each stack is one triangle strip, from the top down: the top stack pairs
// each vertex of the first ring with the top, a middle stack pairs ring
// i + 1 with ring i, the bottom stack the bottom vertex with the last ring,
// each strip closed by repeating its first pair. The vertices carry no
// colour or texture coordinates of their own: those are the current ones
// when the sphere is drawn. Each sphere's buffers are made once.
// Entry point: glutSolidSphere().
#include "web/gl/display_lists.h"
#include "web/gl/draw.h"

#include <GL/glut.h>

#include <cmath>
#include <map>
#include <tuple>
#include <vector>

using namespace webgl11;

namespace {

constexpr float Pi = 3.14159265358979323846f;

// sin and cos of `count` + 1 steps of `angle`, the last one closing the
// circle (whole) or landing on pi (half).
void circle(int count, float angle, bool half, std::vector<float>& sines,
            std::vector<float>& cosines)
{
    const int size = count < 0 ? -count : count;
    sines.assign(size + 1, 0);
    cosines.assign(size + 1, 1);
    for (int i = 1; i < size; ++i) {
        // The step is a float product; sine and cosine in double.
        sines[i] = float(std::sin(double(angle * float(i))));
        cosines[i] = float(std::cos(double(angle * float(i))));
    }
    sines[size] = half ? 0.0f : sines[0];
    cosines[size] = half ? -1.0f : cosines[0];
}

Primitive sphere(float radius, int slices, int stacks)
{
    Primitive primitive;
    if (slices == 0 || stacks < 2)
        return primitive;
    std::vector<float> sinSlice, cosSlice, sinStack, cosStack;
    circle(-slices, 2 * Pi / float(-slices), false, sinSlice, cosSlice);
    circle(stacks, Pi / float(stacks), true, sinStack, cosStack);

    auto add = [&](float x, float y, float z) {
        Vertex vertex{};
        const float direction[3] = {x, y, z};
        for (int c = 0; c < 3; ++c) {
            vertex.position[c] = direction[c] * radius;
            vertex.normal[c] = direction[c];
        }
        setInherit(vertex, InheritColour | InheritTexCoord);
        primitive.vertices.push_back(vertex);
    };
    add(0, 0, 1);
    for (int i = 1; i < stacks; ++i)
        for (int j = 0; j < slices; ++j)
            add(cosSlice[j] * sinStack[i], sinSlice[j] * sinStack[i], cosStack[i]);
    add(0, 0, -1);
    const std::uint32_t bottom = std::uint32_t(primitive.vertices.size() - 1);

    // One strip of (first, second) pairs per stack, assembled as
    // GL_TRIANGLE_STRIP over vertices listed in strip order.
    std::vector<std::uint32_t> strip;
    auto flush = [&] {
        Primitive pass;
        for (std::uint32_t index : strip)
            pass.vertices.push_back(primitive.vertices[index]);
        assemble(GL_TRIANGLE_STRIP, pass, 0, std::uint32_t(pass.vertices.size()));
        for (std::uint32_t& index : pass.indices)
            index = strip[index];
        primitive.indices.insert(primitive.indices.end(), pass.indices.begin(),
                                 pass.indices.end());
        strip.clear();
    };
    for (int j = 0; j <= slices; ++j)
        strip.insert(strip.end(), {std::uint32_t(1 + j % slices), 0});
    flush();
    for (int i = 0; i < stacks - 2; ++i) {
        const std::uint32_t ring = 1 + std::uint32_t(i * slices);
        for (int j = 0; j <= slices; ++j) {
            const std::uint32_t k = std::uint32_t(j % slices);
            strip.insert(strip.end(), {ring + k + std::uint32_t(slices), ring + k});
        }
        flush();
    }
    const std::uint32_t lastRing = 1 + std::uint32_t((stacks - 2) * slices);
    for (int j = 0; j <= slices; ++j)
        strip.insert(strip.end(), {bottom, lastRing + std::uint32_t(j % slices)});
    flush();
    return primitive;
}

struct CachedSphere {
    GeometryBuffers buffers;
    std::uint32_t indexCount;
};

} // namespace

void glutSolidSphere(GLdouble radius, GLint slices, GLint stacks)
{
    if (insideBeginEnd())
        return;
    if (compilingList()) {
        recordGeometry(sphere(float(radius), slices, stacks));
        return;
    }
    static std::map<std::tuple<float, int, int>, CachedSphere> cache;
    const auto key = std::make_tuple(float(radius), int(slices), int(stacks));
    auto found = cache.find(key);
    if (found == cache.end()) {
        const Primitive built = sphere(float(radius), slices, stacks);
        const CachedSphere made{makeGeometryBuffers(built.vertices, built.indices),
                                std::uint32_t(built.indices.size())};
        found = cache.emplace(key, made).first;
    }
    drawGeometry(found->second.buffers, PrimitiveClass::Triangles, 0, found->second.indexCount);
}
