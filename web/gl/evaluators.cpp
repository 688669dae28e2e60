// Two-dimensional evaluators: GL 1.1 section 5.1. A map is a tensor-product
// Bernstein (Bezier) surface over [u1, u2] x [v1, v2]; glEvalMesh2 with
// GL_FILL evaluates the grid of glMapGrid2f as GL 1.1 spells it out:
//   for each row q1 <= j < q2: one quad strip over p1 <= i <= p2 of the
//   points (u_i, v_j), (u_i, v_{j+1}), u_i = u1' + i du, v_j = v1' + j dv,
// the last grid step landing on u2' (v2') exactly. A point takes its vertex
// from GL_MAP2_VERTEX_3, its texture coordinates from
// GL_MAP2_TEXTURE_COORD_2 where that map is on, and with GL_AUTO_NORMAL the
// normal dp/du x dp/dv, made unit length; everything else from the current
// attributes, which evaluation does not change. No vertex map, no vertex.
// Meshes are evaluated when the command is given: in a list, as the list is
// compiled, against the evaluator state the list sees (its own commands
// after the state at glNewList).
// Entry points: glMap2f(), glMapGrid2f(), glEvalMesh2().
#include "web/gl/display_lists.h"
#include "web/gl/draw.h"
#include "web/gl/gl_state.h"

#include <cmath>

using namespace webgl11;

namespace {

// Bernstein polynomials of degree order - 1 at t, and their derivatives.
void bernstein(int order, double t, double value[MaxEvalOrder], double slope[MaxEvalOrder])
{
    const int degree = order - 1;
    double lower[MaxEvalOrder] = {1};  // degree - 1 polynomials
    for (int d = 1; d < degree; ++d) {
        for (int i = d; i >= 0; --i)
            lower[i] = (i < d ? (1 - t) * lower[i] : 0) + (i > 0 ? t * lower[i - 1] : 0);
    }
    for (int i = 0; i <= degree; ++i) {
        value[i] = (i < degree ? (1 - t) * lower[i] : 0) + (i > 0 ? t * lower[i - 1] : 0);
        slope[i] = degree * ((i > 0 ? lower[i - 1] : 0) - (i < degree ? lower[i] : 0));
    }
    if (degree == 0) {
        value[0] = 1;
        slope[0] = 0;
    }
}

// The map at (u, v), and its derivatives in u and v.
void evaluate(const Map2& map, double u, double v, double out[4], double du[4], double dv[4])
{
    const double su = (u - map.u1) / (map.u2 - map.u1);
    const double sv = (v - map.v1) / (map.v2 - map.v1);
    double bu[MaxEvalOrder], dbu[MaxEvalOrder], bv[MaxEvalOrder], dbv[MaxEvalOrder];
    bernstein(map.uOrder, su, bu, dbu);
    bernstein(map.vOrder, sv, bv, dbv);
    for (int c = 0; c < map.components; ++c) {
        out[c] = du[c] = dv[c] = 0;
        for (int j = 0; j < map.vOrder; ++j)
            for (int i = 0; i < map.uOrder; ++i) {
                const double point = map.points[(j * map.uOrder + i) * map.components + c];
                out[c] += bu[i] * bv[j] * point;
                du[c] += dbu[i] * bv[j] * point;
                dv[c] += bu[i] * dbv[j] * point;
            }
        du[c] /= map.u2 - map.u1;
        dv[c] /= map.v2 - map.v1;
    }
}

struct MeshSource {
    const EvaluatorState& evaluators;
    const CurrentAttributes& current;
    std::uint8_t inherit;  // attributes left to the moment a list runs
};

void addPoint(const MeshSource& source, double u, double v, Primitive& mesh)
{
    const EvaluatorState& evaluators = source.evaluators;
    double position[4], du[4], dv[4];
    evaluate(evaluators.vertex3, u, v, position, du, dv);

    Vertex vertex{};
    std::uint8_t inherit = source.inherit;
    for (int c = 0; c < 3; ++c) {
        vertex.position[c] = GLfloat(position[c]);
        vertex.normal[c] = source.current.normal[c];
    }
    if (evaluators.autoNormal) {
        double normal[3] = {du[1] * dv[2] - du[2] * dv[1], du[2] * dv[0] - du[0] * dv[2],
                            du[0] * dv[1] - du[1] * dv[0]};
        const double length = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] +
                                        normal[2] * normal[2]);
        for (int c = 0; c < 3; ++c)
            vertex.normal[c] = GLfloat(length > 0 ? normal[c] / length : 0);
        inherit &= ~InheritNormal;
    }
    for (int c = 0; c < 2; ++c)
        vertex.texCoord[c] = source.current.texCoord[c];
    if (evaluators.texCoord2Enabled) {
        double texCoord[4];
        evaluate(evaluators.texCoord2, u, v, texCoord, du, dv);
        vertex.texCoord[0] = GLfloat(texCoord[0]);
        vertex.texCoord[1] = GLfloat(texCoord[1]);
        inherit &= ~InheritTexCoord;
    }
    for (int c = 0; c < 4; ++c)
        vertex.colour[c] = source.current.colour[c];
    setInherit(vertex, inherit);
    mesh.vertices.push_back(vertex);
}

// The grid value of step i of n between a and b.
double gridValue(int i, int n, GLfloat a, GLfloat b)
{
    return i == n ? double(b) : double(a) + i * (double(b) - double(a)) / n;
}

Primitive evaluateMesh(const MeshSource& source, GLint i1, GLint i2, GLint j1, GLint j2)
{
    const EvaluatorState& e = source.evaluators;
    Primitive mesh;
    for (GLint j = j1; j < j2; ++j) {
        const std::uint32_t first = std::uint32_t(mesh.vertices.size());
        const double v0 = gridValue(j, e.vSteps, e.gridV1, e.gridV2);
        const double v1 = gridValue(j + 1, e.vSteps, e.gridV1, e.gridV2);
        for (GLint i = i1; i <= i2; ++i) {
            const double u = gridValue(i, e.uSteps, e.gridU1, e.gridU2);
            addPoint(source, u, v0, mesh);
            addPoint(source, u, v1, mesh);
        }
        assemble(GL_QUAD_STRIP, mesh, first, std::uint32_t(mesh.vertices.size()) - first);
    }
    return mesh;
}

void setMap(EvaluatorState& evaluators, GLenum target, const Map2& map)
{
    (target == GL_MAP2_VERTEX_3 ? evaluators.vertex3 : evaluators.texCoord2) = map;
}

} // namespace

void glMap2f(GLenum target, GLfloat u1, GLfloat u2, GLint ustride, GLint uorder, GLfloat v1,
             GLfloat v2, GLint vstride, GLint vorder, const GLfloat* points)
{
    if (target != GL_MAP2_VERTEX_3 && target != GL_MAP2_TEXTURE_COORD_2) {
        setError(InvalidEnum);
        return;
    }
    const int components = target == GL_MAP2_VERTEX_3 ? 3 : 2;
    if (u1 == u2 || v1 == v2 || ustride < components || vstride < components || uorder < 1 ||
        uorder > MaxEvalOrder || vorder < 1 || vorder > MaxEvalOrder) {
        setError(InvalidValue);
        return;
    }
    Map2 map{u1, u2, v1, v2, uorder, vorder, components, {}};
    for (int j = 0; j < vorder; ++j)
        for (int i = 0; i < uorder; ++i)
            for (int c = 0; c < components; ++c)
                map.points[(j * uorder + i) * components + c] =
                    points[i * ustride + j * vstride + c];

    if (insideBeginEnd()) {
        setError(InvalidOperation);
    } else if (compilingList()) {
        setMap(listEvaluators(), target, map);
        recordInert([=] { setMap(glState.evaluators, target, map); });
    } else {
        setMap(glState.evaluators, target, map);
    }
}

void glMapGrid2f(GLint un, GLfloat u1, GLfloat u2, GLint vn, GLfloat v1, GLfloat v2)
{
    if (un < 1 || vn < 1) {
        setError(InvalidValue);
        return;
    }
    const auto setGrid = [=](EvaluatorState& evaluators) {
        evaluators.uSteps = un;
        evaluators.gridU1 = u1;
        evaluators.gridU2 = u2;
        evaluators.vSteps = vn;
        evaluators.gridV1 = v1;
        evaluators.gridV2 = v2;
    };
    if (insideBeginEnd()) {
        setError(InvalidOperation);
    } else if (compilingList()) {
        setGrid(listEvaluators());
        recordInert([=] { setGrid(glState.evaluators); });
    } else {
        setGrid(glState.evaluators);
    }
}

void glEvalMesh2(GLenum mode, GLint i1, GLint i2, GLint j1, GLint j2)
{
    if (mode != GL_FILL) {
        setError(InvalidEnum);
        return;
    }
    if (insideBeginEnd()) {
        setError(InvalidOperation);
        return;
    }
    if (compilingList()) {
        if (!listEvaluators().vertex3Enabled)
            return;
        const ListAttributes& list = listAttributes();
        const std::uint8_t inherit = std::uint8_t((list.colourKnown ? 0 : InheritColour) |
                                                  (list.normalKnown ? 0 : InheritNormal) |
                                                  (list.texCoordKnown ? 0 : InheritTexCoord));
        recordGeometry(evaluateMesh({listEvaluators(), list.values, inherit}, i1, i2, j1, j2));
        return;
    }
    if (glState.evaluators.vertex3Enabled)
        drawPrimitiveNow(evaluateMesh({glState.evaluators, glState.current, 0}, i1, i2, j1, j2));
}
