// Placing a model in the world: turned z up, scaled to the default house's
// footprint or to its real size, standing on the lawn where the house
// stands. Entry point: placeModel().
#include "import.h"

#include <algorithm>
#include <limits>

namespace {

// The file's y-up axes to the world's: the file's up (+y) becomes +z, its
// front (+z, the way glTF and most exporters face a model) becomes -x, the
// side the house's front faces. A rotation (determinant +1), so the front
// faces stay front faces.
Point3d toWorld(const Point3d& p) { return {-p.z, -p.x, p.y}; }

} // namespace

Placement placeModel(SourceModel& model, const ImportSettings& settings)
{
    std::vector<bool> used(model.vertices.size(), false);
    for (const ModelTriangle& triangle : model.triangles)
        for (std::uint32_t v : triangle.v)
            used[v] = true;

    constexpr double Inf = std::numeric_limits<double>::infinity();
    Point3d low{Inf, Inf, Inf}, high{-Inf, -Inf, -Inf};
    for (std::size_t i = 0; i < model.vertices.size(); ++i) {
        if (!used[i])
            continue;
        Point3d& p = model.vertices[i].position;
        p = toWorld(p);
        low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
    }

    Placement placement;
    placement.size = {high.x - low.x, high.y - low.y, high.z - low.z};
    if (settings.unitMetres > 0) {
        placement.unitMetres = settings.unitMetres;
        placement.unitSource = "--units";
    } else if (model.unitMetres > 0) {
        placement.unitMetres = model.unitMetres;
        placement.unitSource = model.unitSource;
    } else {
        placement.unitMetres = 1;
        placement.unitSource = "assumed: the file gives none (--units sets it)";
    }

    if (settings.realSize) {
        // 10 world units to the metre.
        placement.scale = placement.unitMetres * 10;
    } else {
        // The largest scale at which the footprint fits the house's; a model
        // with no footprint (a wall seen edge-on from above) gets the house's
        // depth as its height.
        const double sx = placement.size.x > 0 ? (FootprintX1 - FootprintX0) / placement.size.x : Inf;
        const double sy = placement.size.y > 0 ? (FootprintY1 - FootprintY0) / placement.size.y : Inf;
        placement.scale = std::min(sx, sy);
        if (placement.scale == Inf)
            placement.scale = placement.size.z > 0 ? (FootprintX1 - FootprintX0) / placement.size.z : 1;
    }

    const double k = placement.scale;
    const Point3d centre{(low.x + high.x) / 2, (low.y + high.y) / 2, low.z};
    const Point3d target{(FootprintX0 + FootprintX1) / 2, (FootprintY0 + FootprintY1) / 2, ModelLift};
    for (std::size_t i = 0; i < model.vertices.size(); ++i)
        if (used[i]) {
            Point3d& p = model.vertices[i].position;
            p = {target.x + (p.x - centre.x) * k, target.y + (p.y - centre.y) * k,
                 target.z + (p.z - centre.z) * k};
        }
    return placement;
}
