// The ground outside the walls: the flat land as a grid of textured quads,
// and the Bezier patches of what is really curved, the hills beyond the
// farmland and the ramp down to the garage yard. Entry points: addGround(),
// addLand(), addTerrain(), rampZ().
//
// A patch costs the same to draw whatever its size (the program evaluates a
// 15 x 15 mesh of it in every frame), while a quad costs a few microseconds;
// so flat ground is made of quads and only the hills and the ramp's curve
// are patches.
#include "scene_layout.h"

#include <algorithm>
#include <cmath>
#include <iterator>

void addGround(QuadModel& model, const std::string& label, GroundCover cover, double x0,
               double y0, double x1, double y1, double z)
{
    model.addFloor(label, cover.texture, x0, y0, x1, y1, z, cover.scale);
}

double rampZ(double x)
{
    // Two quadratic pieces that meet half way with the same slope, as the
    // ramp's two patches draw them.
    constexpr double Middle = (RampStartX + RampEndX) / 2, HalfLength = (RampEndX - RampStartX) / 2;
    if (x <= RampStartX)
        return 0;
    if (x >= RampEndX)
        return GarageFloorZ;
    if (x <= Middle) {
        const double u = (x - RampStartX) / HalfLength;
        return GarageFloorZ / 2 * u * u;
    }
    const double u = (RampEndX - x) / HalfLength;
    return GarageFloorZ - GarageFloorZ / 2 * u * u;
}

namespace {

bool inHills(double x, double y)
{
    return y >= HillsNorthY || (x >= HillsEastX && y <= HillsEastTopY);
}

bool inRiver(double y) { return y > RiverSouthBank && y < RiverNorthBank; }

// ------------------------------------------------------------------ hills

// Height of the hills at (x, y): nothing at their foot, where the
// farmland's walls stand, rising to between about 120 and 320 at the edge
// of the land.
double hillZ(double x, double y)
{
    const double intoHills = y >= HillsNorthY ? y - HillsNorthY
                                              : std::min(x - HillsEastX, HillsEastTopY - y);
    const double rise = std::clamp(intoHills / 1300, 0.0, 1.0);
    const double swell = 1 + 0.45 * std::sin(x / 410 + 0.7) * std::cos(y / 530 - 0.3);
    return 220 * rise * swell;
}

// One hill patch over [x0, x1] x [y0, y1], its control points on the hills'
// height, its columns towards +x and rows towards +y (lit from above).
// Patches that share an edge share its control points, so the hills have
// no cracks; their edges at the hills' foot lie at height 0 under a wall.
void addHillPatch(TerrainModel& terrain, int kind, double x0, double y0, double x1, double y1)
{
    ControlGrid points;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            const double x = x0 + (x1 - x0) * c / 2, y = y0 + (y1 - y0) * r / 2;
            points[r][c] = {x, y, hillZ(x, y)};
        }
    terrain.add(kind, points);
}

// The ramp: two patches across its whole width, level where they meet the
// courtyard and the yard, sharing the steepest line half way down.
void addRampPatches(TerrainModel& terrain)
{
    constexpr double Middle = (RampStartX + RampEndX) / 2;
    for (const auto& [x0, x1] : {std::pair{RampStartX, Middle}, std::pair{Middle, RampEndX}}) {
        ControlGrid points;
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) {
                const double x = x0 + (x1 - x0) * c / 2;
                const double y = YardSouthY + (0 - YardSouthY) * r / 2;
                // The middle control point lies on the tangents of both ends.
                const double z = c == 1 ? (x0 < Middle ? 0.0 : GarageFloorZ) : rampZ(x);
                points[r][c] = {x, y, z};
            }
        terrain.add(Ground::Asphalt, points);
    }
}

} // namespace

GroundCover landCover(double x0, double y0, double x1, double y1)
{
    // Fields left to dry grass, by the south-west corner of their cell: a
    // patchwork of green and gold seen from above.
    constexpr double DryFields[][2] = {{BoundaryWest, BoundaryNorth}, {BoundaryEast, BoundaryNorth},
                                       {620, BoundaryNorth}, {-80, -600}, {-400, BoundaryNorth},
                                       {1030, -600}, {-1300, -600}, {-700, 990}, {1030, 1150},
                                       {380, -2600}, {-2600, -1300}, {1300, 990}};
    const double cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
    for (const auto& corner : DryFields)
        if (x0 == corner[0] && y0 == corner[1])
            return {Tex::Stubble, std::hypot(cx, cy) < 1300 ? 80.0 : 320.0};
    if (x0 >= 970 && x1 <= 1030 && y0 >= RiverNorthBank && y1 <= 1030)
        return RiversideGrass;
    if (x0 >= TrackWest && x1 <= TrackEast && y0 >= BoundaryNorth && y1 <= HillsNorthY)
        return TrackCover;
    const bool byRiverView = x0 >= 620 && x1 <= HillsEastX && y0 >= BoundaryNorth && y1 <= 1150;
    const bool byRoad = x0 >= -700 && x1 <= BoundaryWest && y1 <= BoundaryNorth;
    if (byRiverView || byRoad)
        return NearGrass;
    if (std::hypot(cx, cy) < 1300)
        return FieldGrass;
    return FarGrass;
}

void addLand(QuadModel& model)
{
    int cell = 0;
    for (auto y = std::begin(LandYs); y + 1 != std::end(LandYs); ++y)
        for (auto x = std::begin(LandXs); x + 1 != std::end(LandXs); ++x) {
            const double x0 = *x, y0 = *y, x1 = *(x + 1), y1 = *(y + 1);
            const double cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
            const bool grounds = cx > BoundaryWest && cx < BoundaryEast && cy > BoundarySouth &&
                                 cy < BoundaryNorth;
            if (grounds || inRiver(cy) || inHills(cx, cy))
                continue;
            addGround(model, "land_" + std::to_string(++cell), landCover(x0, y0, x1, y1), x0, y0,
                      x1, y1);
        }
}

void addTerrain(TerrainModel& terrain)
{
    const double e = TerrainEdge;
    // Grouped by kind: each patch binds its kind's image.
    addHillPatch(terrain, Ground::Grass, -e, HillsNorthY, -1300, e);
    addHillPatch(terrain, Ground::Grass, -1300, HillsNorthY, 0, e);
    addHillPatch(terrain, Ground::Grass, 0, HillsNorthY, HillsEastX, e);
    addHillPatch(terrain, Ground::Grass, HillsEastX, -950, e, HillsEastTopY);
    addHillPatch(terrain, Ground::Heath, HillsEastX, -e, e, -950);
    addHillPatch(terrain, Ground::Woods, HillsEastX, HillsNorthY, e, e);
    addRampPatches(terrain);
}
