// Simplifying a model that would give too many quads, with meshoptimizer:
// each material's triangles apart, so that materials keep their borders,
// first keeping open borders and texture seams, then, if that cannot get
// low enough, letting borders move, and at last by clustering (sloppy).
// Entry point: simplifyModel().
#include "import.h"

#include <meshoptimizer.h>

#include <algorithm>
#include <cmath>
#include <map>
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

// One material's triangles (of the meshes with the same attributes) with their own compact vertex numbering, as
// meshoptimizer takes them.
struct Group {
    std::vector<ModelTriangle> triangles;
    std::vector<std::uint32_t> vertices;  // local -> model vertex
    std::vector<unsigned> indices;        // local
    std::vector<float> positions;
};

std::vector<Group> groupsOf(const SourceModel& model)
{
    std::map<int, Group> byMaterial;
    for (const ModelTriangle& t : model.triangles)
        byMaterial[4 * t.material + (t.hasTexCoords ? 2 : 0) + (t.hasColours ? 1 : 0)]
            .triangles.push_back(t);
    std::vector<Group> groups;
    for (auto& entry : byMaterial) {
        Group& group = entry.second;
        std::unordered_map<std::uint32_t, unsigned> local;
        for (const ModelTriangle& t : group.triangles)
            for (std::uint32_t v : t.v) {
                const auto [it, added] = local.emplace(v, unsigned(group.vertices.size()));
                if (added) {
                    group.vertices.push_back(v);
                    const Point3d& p = model.vertices[v].position;
                    group.positions.insert(group.positions.end(), {float(p.x), float(p.y), float(p.z)});
                }
                group.indices.push_back(it->second);
            }
        groups.push_back(std::move(group));
    }
    return groups;
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
    const double ratio = double(targetTriangles) / double(model.triangles.size());
    std::vector<Group> groups = groupsOf(model);
    std::vector<ModelTriangle> result;
    for (Method method : {Method::KeepBorders, Method::MoveBorders, Method::Sloppy}) {
        result.clear();
        double error = 0;
        for (const Group& group : groups) {
            const std::size_t target = 3 * std::size_t(std::floor(double(group.triangles.size()) * ratio));
            std::vector<unsigned> kept(group.indices.size());
            float groupError = 0;
            std::size_t count = 0;
            if (method == Method::Sloppy)
                count = meshopt_simplifySloppy(kept.data(), group.indices.data(), group.indices.size(),
                                               group.positions.data(), group.vertices.size(),
                                               3 * sizeof(float), target, 1.0f, &groupError);
            else
                count = meshopt_simplify(kept.data(), group.indices.data(), group.indices.size(),
                                         group.positions.data(), group.vertices.size(),
                                         3 * sizeof(float), target, 1.0f,
                                         method == Method::KeepBorders ? meshopt_SimplifyLockBorder : 0,
                                         &groupError);
            error = std::max(error, double(groupError));
            const ModelTriangle& like = group.triangles.front();
            for (std::size_t i = 0; i + 2 < count; i += 3) {
                ModelTriangle t = like;
                for (int k = 0; k < 3; ++k)
                    t.v[k] = group.vertices[kept[i + std::size_t(k)]];
                result.push_back(t);
            }
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
