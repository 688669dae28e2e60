// The ground as Bezier patches: flat round the house, the road and the river,
// sunk into the garage yard and the river's bed, and rising in low hills
// towards the sky sphere. Entry point: addTerrain().
#include "scene_layout.h"

#include <algorithm>
#include <cmath>

namespace {

double smoothstep(double edge0, double edge1, double v)
{
    const double t = std::clamp((v - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

double distanceToBox(double x, double y, double x0, double y0, double x1, double y1)
{
    const double dx = std::max({x0 - x, 0.0, x - x1});
    const double dy = std::max({y0 - y, 0.0, y - y1});
    return std::sqrt(dx * dx + dy * dy);
}

// Height of the open ground: flat over the grounds, the road, the river and
// everything else within 1300 of the house, and rising in low hills to the
// north and east, towards the sky sphere.
constexpr double FlatReach = 1300;

double groundZ(double x, double y)
{
    const double nearHouse = distanceToBox(x, y, -1e9, -1e9, FlatReach, FlatReach);
    const double nearRiver = distanceToBox(x, y, -1e9, RiverSouthBank - 20, 1e9, RiverNorthBank + 20);
    const double weight = smoothstep(0, 600, std::min(nearHouse, nearRiver));
    const double hills = 80 + 60 * std::sin(x / 330 + 1) * std::cos(y / 290) +
                         35 * std::sin((x - y) / 210);
    return weight * std::max(0.0, hills);
}

// The ground of one grid cell: its surface kind and height, or none where the
// house stands.
struct CellGround {
    bool present;
    int kind;
    double (*height)(double x, double y);
};

CellGround groundOfCell(double cx, double cy)
{
    auto flat = [](double, double) { return 0.0; };
    auto yard = [](double x, double) { return yardFloorZ(x); };
    auto riverBed = [](double, double y) {
        if (y <= RiverBedSouth)
            return RiverBedZ * (y - RiverSouthBank) / (RiverBedSouth - RiverSouthBank);
        if (y >= RiverBedNorth)
            return RiverBedZ * (RiverNorthBank - y) / (RiverNorthBank - RiverBedNorth);
        return RiverBedZ;
    };
    if (cx > 0 && cx < HouseX && cy > 0 && cy < HouseY)
        return {false, 0, flat};
    if (cy > YardSouthY && cy < 0 && cx > BoundaryWest && cx < YardEndX) {
        if (cx < RampStartX)
            return {true, Ground::Slabs, flat};  // the courtyard inside the gate
        return {true, cx < RampEndX ? Ground::Asphalt : Ground::Cement, yard};
    }
    if (cy > RiverSouthBank && cy < RiverNorthBank)
        return {true, cy > RiverBedSouth && cy < RiverBedNorth ? Ground::Cement : Ground::Grass,
                riverBed};
    return {true, Ground::Grass, groundZ};
}

// One patch over the rectangle [x0, x1] x [y0, y1], of the kind and height
// of the ground at its middle; none where the house stands. Its columns run
// towards +x and its rows towards +y, so that it is lit from above.
void addGroundPatch(TerrainModel& terrain, double x0, double y0, double x1, double y1)
{
    const CellGround ground = groundOfCell((x0 + x1) / 2, (y0 + y1) / 2);
    if (!ground.present)
        return;
    ControlGrid points;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            const double x = x0 + (x1 - x0) * c / 2, y = y0 + (y1 - y0) * r / 2;
            points[r][c] = {x, y, ground.height(x, y)};
        }
    terrain.add(ground.kind, points);
}

// Patches over every cell of a grid.
void addGroundGrid(TerrainModel& terrain, std::initializer_list<double> xs,
                   std::initializer_list<double> ys)
{
    for (auto y = ys.begin(); y + 1 != ys.end(); ++y)
        for (auto x = xs.begin(); x + 1 != xs.end(); ++x)
            addGroundPatch(terrain, *x, *y, *(x + 1), *(y + 1));
}

} // namespace

// The ground as patches. A patch costs the same to draw whatever its size
// (a 15 x 15 mesh, 450 triangles), and the triangles, not the pixels, are
// most of a frame's cost on a software renderer: so there are few patches,
// and large ones far out. Flat ground may
// meet other flat ground anywhere along an edge; where the ground rises, the
// patches on either side of an edge share its control points, so that the
// ground has no cracks.
void addTerrain(TerrainModel& terrain)
{
    const double e = TerrainEdge, f = FlatReach;
    // Inside the boundary wall, round the house: the row of the courtyard,
    // the ramp, the garage yard and a strip of lawn; then the lawns.
    addGroundGrid(terrain, {BoundaryWest, RampStartX, RampEndX, YardEndX, BoundaryEast},
                  {YardSouthY, 0});
    addGroundPatch(terrain, BoundaryWest, BoundarySouth, BoundaryEast, YardSouthY);
    addGroundPatch(terrain, BoundaryWest, 0, 0, BoundaryNorth);
    addGroundPatch(terrain, HouseX, 0, BoundaryEast, HouseY);
    addGroundPatch(terrain, 0, HouseY, BoundaryEast, BoundaryNorth);
    // Flat land round the grounds, out to 1300; smaller patches where the
    // views from the front and the right side look over it.
    addGroundGrid(terrain, {-f, BoundaryWest, BoundaryEast, f}, {-f, -600});
    addGroundGrid(terrain, {-f, BoundaryWest}, {-600, BoundarySouth});
    addGroundGrid(terrain, {BoundaryWest, HouseX, BoundaryEast}, {-600, -350, BoundarySouth});
    addGroundGrid(terrain, {BoundaryEast, f}, {-600, BoundarySouth});
    addGroundGrid(terrain, {-f, -500, -250, BoundaryWest}, {BoundarySouth, BoundaryNorth});
    addGroundPatch(terrain, -f, BoundaryNorth, BoundaryWest, RiverSouthBank);
    addGroundGrid(terrain, {BoundaryEast, f}, {BoundarySouth, BoundaryNorth, RiverSouthBank});
    addGroundPatch(terrain, BoundaryWest, BoundaryNorth, BoundaryEast, RiverSouthBank);
    // The river's banks and bed from end to end, and the flat land beyond
    // it, finer round the view across the river from (1000, 1000).
    addGroundGrid(terrain, {-e, 0, e}, {RiverSouthBank, RiverBedSouth, RiverBedNorth, RiverNorthBank});
    addGroundGrid(terrain, {-e, 700}, {RiverNorthBank, f});
    addGroundGrid(terrain, {700, 1000, f}, {RiverNorthBank, 1150, f});
    // Flat to the west and south, where the road comes from.
    addGroundGrid(terrain, {-e, -f}, {-e, -200, RiverSouthBank});
    addGroundPatch(terrain, -f, -e, f, -f);
    // Hills to the north and the east; the two share the columns at 1300,
    // 1950 and 2600 along their common edge.
    addGroundGrid(terrain, {-e, -700, f, 1950, e}, {f, e});
    addGroundGrid(terrain, {f, 1950, e}, {-e, -200, RiverSouthBank});
    addGroundGrid(terrain, {f, 1950, e}, {RiverNorthBank, f});
}
