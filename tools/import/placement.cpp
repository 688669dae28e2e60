// Placing a model in the world: stood up on the axis --up names, turned
// z up and about the vertical by --turn, scaled to the default house's
// footprint or to its real size, standing on the lawn where the house
// stands. Entry points: placeModel(), isUpAxis().
#include "import.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The rotations that take an up axis (--up) to the file's own, +y: about z
// for the x axes and for -y, so that the front (+z) stays the front; about
// x for the z axes, so that a z-up model's front (-y, the way Blender's
// front view looks at it) for +z, or its back for -z, becomes +z. Each a
// rotation (determinant +1), so front faces stay front faces.
struct UpAxis {
    const char* name;
    Point3d (*upright)(const Point3d&);
};
constexpr UpAxis UpAxes[] = {
    {"+y", [](const Point3d& p) { return p; }},
    {"-y", [](const Point3d& p) { return Point3d{-p.x, -p.y, p.z}; }},
    {"+x", [](const Point3d& p) { return Point3d{-p.y, p.x, p.z}; }},
    {"-x", [](const Point3d& p) { return Point3d{p.y, -p.x, p.z}; }},
    {"+z", [](const Point3d& p) { return Point3d{p.x, p.z, -p.y}; }},
    {"-z", [](const Point3d& p) { return Point3d{p.x, -p.z, p.y}; }},
};

// The cosine and sine of an angle in degrees, exact at whole quarter
// turns, so that a model turned by 90 degrees keeps its faces square to
// the axes.
void cosSin(double degrees, double& c, double& s)
{
    const double quarters = degrees / 90;
    if (quarters == std::floor(quarters)) {
        constexpr double Cos[] = {1, 0, -1, 0}, Sin[] = {0, 1, 0, -1};
        const int k = int(std::fmod(std::fmod(quarters, 4) + 4, 4));
        c = Cos[k], s = Sin[k];
        return;
    }
    const double radians = degrees * std::acos(-1.0) / 180;
    c = std::cos(radians), s = std::sin(radians);
}

// The file's y-up axes to the world's: the file's up (+y) becomes +z, its
// front (+z, the way glTF and most exporters face a model) becomes -x, the
// side the house's front faces. A rotation (determinant +1), so the front
// faces stay front faces.
Point3d toWorld(const Point3d& p) { return {-p.z, -p.x, p.y}; }

} // namespace

bool isUpAxis(const std::string& name)
{
    return std::any_of(std::begin(UpAxes), std::end(UpAxes),
                       [&](const UpAxis& axis) { return name == axis.name; });
}

Placement placeModel(SourceModel& model, const ImportSettings& settings)
{
    auto upright = UpAxes[0].upright;
    for (const UpAxis& axis : UpAxes)
        if (settings.up == axis.name)
            upright = axis.upright;
    // --turn: counter-clockwise seen from above, about the world's z.
    double c = 1, s = 0;
    cosSin(settings.turnDegrees, c, s);

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
        p = toWorld(upright(p));
        p = {c * p.x - s * p.y, s * p.x + c * p.y, p.z};
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
