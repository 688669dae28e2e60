// The grounds inside the boundary wall: the wall itself with its gate, and
// the garden it encloses, with its paths, patio and pergola, shed, kitchen
// garden, flower beds and trees. Entry points: addBoundary(), addGrounds().
#include "scene_layout.h"

#include "furniture.h"
#include "garden_features.h"
#include "plants.h"

#include <cmath>
#include <iterator>

// ---------------------------------------------- boundary wall and gate

void addBoundary(QuadModel& model)
{
    const double h = BoundaryThickness / 2;
    const double w0 = BoundaryWest - h, e0 = BoundaryEast + h;    // outer faces
    const double s0 = BoundarySouth - h, n0 = BoundaryNorth + h;
    const std::vector<FaceBand> ashlar = {{1e9, Tex::BoundaryWall, 10}};
    auto wall = [&](const char* label, double x0, double y0, double x1, double y1,
                    std::vector<Opening> openings) {
        addWall(model, Wall{label, x0, y0, x1, y1, BoundaryThickness, BoundaryThickness, -1,
                            BoundaryTopZ, ashlar, -1, BoundaryTopZ, ashlar, std::move(openings)});
    };
    // The gate's gap reaches into the posts on either side of it.
    const double gapFrom = n0 - (GateY + GateHalfWidth + 3);
    const double gapTo = n0 - (GateY - GateHalfWidth - 3);
    wall("boundary_south", w0, s0, e0, s0, {});
    wall("boundary_east", e0, s0, e0, n0, {});
    wall("boundary_north", e0, n0, w0, n0, {});
    wall("boundary_west", w0, n0, w0, s0, {{gapFrom, gapTo, -2, BoundaryTopZ + 1}});

    // Coping along the top, cut at the gate.
    constexpr double CopingScale = 20;
    auto coping = [&](const char* label, double x0, double y0, double x1, double y1) {
        model.addFloor(label, Tex::Cement, x0, y0, x1, y1, BoundaryTopZ, CopingScale);
    };
    coping("boundary_south_top", w0, s0, e0, s0 + BoundaryThickness);
    coping("boundary_north_top", w0, n0 - BoundaryThickness, e0, n0);
    coping("boundary_east_top", e0 - BoundaryThickness, s0 + BoundaryThickness, e0,
           n0 - BoundaryThickness);
    coping("boundary_west_top_south", w0, s0 + BoundaryThickness, w0 + BoundaryThickness,
           n0 - gapTo);
    coping("boundary_west_top_north", w0, n0 - gapFrom, w0 + BoundaryThickness,
           n0 - BoundaryThickness);

    // Stone posts, and the two leaves of the gate closed between them.
    constexpr double PostZ = 18, LeafZ = 16;
    const double postSouth = GateY - GateHalfWidth, postNorth = GateY + GateHalfWidth;
    addBox(model, "gate_post_south", Tex::Stone, {BoundaryWest - 3.5, postSouth - 7, -1},
           {BoundaryWest + 3.5, postSouth, PostZ}, 20);
    addBox(model, "gate_post_north", Tex::Stone, {BoundaryWest - 3.5, postNorth, -1},
           {BoundaryWest + 3.5, postNorth + 7, PostZ}, 20);
    for (int leaf = 0; leaf < 2; ++leaf) {
        const double y0 = leaf == 0 ? postSouth : GateY;
        const double y1 = leaf == 0 ? GateY : postNorth;
        // Seen from the road (-x), the south leaf is on the right.
        model.add(leaf == 0 ? "gate_leaf_south" : "gate_leaf_north", Tex::PlankDoor,
                  {Vec3{BoundaryWest, y1, 0.5}, Vec3{BoundaryWest, y0, 0.5},
                   Vec3{BoundaryWest, y0, LeafZ}, Vec3{BoundaryWest, y1, LeafZ}},
                  {TexCoord{0, 0}, TexCoord{1, 0}, TexCoord{1, 1}, TexCoord{0, 1}}, {-1, 0, 0});
    }
}

// ------------------------------------------- the grounds: paths and patio

namespace {

// The ground inside the walls is a grid cut along the edges of every path
// and paved area, each cell one quad of its own cover; so paths lie in the
// ground, not on it, and no cell's corner falls on another cell's edge. The
// seams along the walls lie under the boundary wall and the house.
constexpr double GardenXs[] = {BoundaryWest, -24, RampStartX, -10, 0, HouseX, 200, YardEndX,
                               230, 242, 278, 290, 330, BoundaryEast};
constexpr double GardenYs[] = {BoundarySouth, -140, YardSouthY, 0, 40, 73, 88, 160, HouseY,
                               276, BoundaryNorth};

constexpr GroundCover Courtyard{Tex::BoundaryWall, 20};  // granite setts
constexpr GroundCover Flagstones{Tex::Path, 15};
constexpr GroundCover Calcada{Tex::Pavement, 25};

struct Rect {
    double x0, y0, x1, y1;
    bool holds(double x, double y) const { return x > x0 && x < x1 && y > y0 && y < y1; }
};

// The flagstone paths: from the courtyard to the front door; from the
// patio across the back lawn to the paved corner under the oak, south past
// the yard to the vegetable beds, and north to the shed's door.
constexpr Rect Paths[] = {{-24, 0, -10, 40},   {200, 73, 330, 88},   {330, 40, BoundaryEast, 88},
                          {230, -140, 242, 73}, {278, 88, 290, 276}};
constexpr Rect Patio{HouseX, 40, 200, 160};

// What covers the garden at (x, y); false where the house, the ramp or the
// yard take the place of the ground.
bool gardenCover(double x, double y, GroundCover& cover)
{
    if (Rect{0, 0, HouseX, HouseY}.holds(x, y) || Rect{RampStartX, YardSouthY, YardEndX, 0}.holds(x, y))
        return false;
    cover = NearGrass;
    if (Rect{BoundaryWest, YardSouthY, RampStartX, 0}.holds(x, y))
        cover = Courtyard;
    else if (Patio.holds(x, y))
        cover = Calcada;
    for (const Rect& path : Paths)
        if (path.holds(x, y))
            cover = Flagstones;
    return true;
}

void addGardenGround(QuadModel& model)
{
    int cell = 0;
    for (auto y = std::begin(GardenYs); y + 1 != std::end(GardenYs); ++y)
        for (auto x = std::begin(GardenXs); x + 1 != std::end(GardenXs); ++x) {
            GroundCover cover;
            if (gardenCover((*x + *(x + 1)) / 2, (*y + *(y + 1)) / 2, cover))
                addGround(model, "garden_ground_" + std::to_string(++cell), cover, *x, *y,
                          *(x + 1), *(y + 1));
        }
}

// Trees: cypresses along the walls, clear of the views of the house from
// behind and from the left and of the flight's run along x = 250; orange
// trees in the front garden and by the gate; an olive on the back lawn and
// an oak shading the bench.
void addGardenTrees(QuadModel& model)
{
    struct Spot {
        double x, y, height, radius;
    };
    constexpr Spot Cypresses[] = {
        {200, 342, 55, 9}, {290, 341, 50, 8}, {335, 343, 58, 9},  {362, 300, 60, 10},
        {363, 255, 48, 8}, {362, -60, 56, 9}, {-62, 342, 52, 8},
    };
    int n = 0;
    for (const Spot& t : Cypresses)
        addCypress(model, "garden_cypress_" + std::to_string(++n), t.x, t.y, t.height, t.radius);
    constexpr double Oranges[][2] = {{-48, 245}, {-26, 292}, {-58, 318}, {-60, -98},
                                     {-36, -122}, {-60, -128}, {-28, -150}};
    n = 0;
    for (const auto& o : Oranges) {
        ++n;
        addOrangeTree(model, "garden_orange_" + std::to_string(n), o[0], o[1], 0.1 * n);
    }
    addOliveTree(model, "garden_olive", 212, 318, 0.3);
    addOak(model, "garden_oak", 362, 42, 0.6, 0.15);
}

} // namespace

void addGrounds(QuadModel& model)
{
    addGardenGround(model);
    addShed(model, "shed", 290, 250, 340, 290);
    addWoodPile(model, "garden_wood_pile", 298, 242, 332, 249.5, 8);
    addWashingLine(model, "garden_washing_line", 296, 336, 308);

    // The patio behind the house under its vine, with a table for meals.
    addPergola(model, "garden_pergola", HouseX, 49, 42, 158);
    addTable(model, "garden_table", {177, 125, Facing::North, 0}, 16, 9);
    addBench(model, "garden_bench_south", {177, 118, Facing::North, 0}, 14);
    addBench(model, "garden_bench_north", {177, 132, Facing::South, 0}, 14);

    // The kitchen garden south of the yard: vegetable beds and the tank that
    // waters them.
    for (int bed = 0; bed < 3; ++bed)
        addVegetableBed(model, "garden_vegetables_" + std::to_string(bed + 1), 250,
                        -148 + 14.0 * bed, 322, -140 + 14.0 * bed);
    addWaterTank(model, "garden_tank", 334, -152, 356, -136);

    // Flowers under the front windows and a box hedge between the
    // courtyard and the front lawn; a bench under the oak at the east wall.
    addFlowerBed(model, "garden_flowers_front", -9, 50, -3, 140);
    addFlowerBed(model, "garden_flowers_patio", 202, 92, 207, 156);
    addHedge(model, "garden_hedge_courtyard", -70, 1, -26, 4, 4);
    addStoneBench(model, "garden_bench_stone", 350, 30, 50);
    addGardenTrees(model);
}
