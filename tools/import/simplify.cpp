// Simplifying a model that would give too many quads, with meshoptimizer:
// first keeping open borders and texture seams (and so the borders between
// materials), then, if that cannot get low enough, letting open borders
// move, and at last by clustering (sloppy), which keeps neither.
// Entry point: simplifyModel().
#include "import.h"

#include <meshoptimizer.h>

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace {

enum class Method { KeepBorders, MoveBorders, Sloppy };

const char* describe(Method method)
{
    switch (method) {
    case Method::KeepBorders:
        return "open borders and texture seams kept";
    case Method::MoveBorders:
        return "texture seams kept, open borders moved";
    case Method::Sloppy:
        return "clustered: borders and seams not kept";
    }
    return "";
}

// The model's triangles with a compact vertex numbering, as meshoptimizer
// takes them, and what each vertex's triangles are (each vertex comes from
// one mesh, so all its triangles share a material and its attributes).
struct Mesh {
    std::vector<std::uint32_t> vertices;  // local -> model vertex
    std::vector<ModelTriangle> kindOf;    // local -> a triangle that uses it
    std::vector<unsigned> indices;        // local
    std::vector<float> positions;
};

Mesh meshOf(const SourceModel& model)
{
    Mesh mesh;
    std::unordered_map<std::uint32_t, unsigned> local;
    for (const ModelTriangle& t : model.triangles)
        for (std::uint32_t v : t.v) {
            const auto [it, added] = local.emplace(v, unsigned(mesh.vertices.size()));
            if (added) {
                mesh.vertices.push_back(v);
                mesh.kindOf.push_back(t);
                const Point3d& p = model.vertices[v].position;
                mesh.positions.insert(mesh.positions.end(), {float(p.x), float(p.y), float(p.z)});
            }
            mesh.indices.push_back(it->second);
        }
    return mesh;
}

} // namespace

SimplifyReport simplifyModel(SourceModel& model, std::size_t targetTriangles)
{
    SimplifyReport report;
    report.trianglesBefore = report.trianglesAfter = model.triangles.size();
    if (model.triangles.size() <= targetTriangles) {
        report.method = "not needed";
        return report;
    }
    // The whole model as one mesh: the vertices where materials meet are
    // distinct vertices at one place, which meshoptimizer keeps as seams,
    // and the triangles to remove are chosen over the whole model, so that
    // no small part has to vanish for its share.
    const Mesh mesh = meshOf(model);
    std::vector<ModelTriangle> result;
    for (Method method : {Method::KeepBorders, Method::MoveBorders, Method::Sloppy}) {
        std::vector<unsigned> kept(mesh.indices.size());
        float error = 0;
        std::size_t count = 0;
        if (method == Method::Sloppy)
            count = meshopt_simplifySloppy(kept.data(), mesh.indices.data(), mesh.indices.size(),
                                           mesh.positions.data(), mesh.vertices.size(),
                                           3 * sizeof(float), 3 * targetTriangles, 1.0f, &error);
        else
            count = meshopt_simplify(kept.data(), mesh.indices.data(), mesh.indices.size(),
                                     mesh.positions.data(), mesh.vertices.size(), 3 * sizeof(float),
                                     3 * targetTriangles, 1.0f,
                                     method == Method::KeepBorders ? meshopt_SimplifyLockBorder : 0,
                                     &error);
        result.clear();
        for (std::size_t i = 0; i + 2 < count; i += 3) {
            ModelTriangle t = mesh.kindOf[kept[i]];
            for (int k = 0; k < 3; ++k)
                t.v[k] = mesh.vertices[kept[i + std::size_t(k)]];
            result.push_back(t);
        }
        report.method = describe(method);
        report.error = error;
        if (result.size() <= targetTriangles)
            break;
    }
    model.triangles = std::move(result);
    report.trianglesAfter = model.triangles.size();
    return report;
}
