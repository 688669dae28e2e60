// The grounds inside the boundary wall: the wall itself with its gate, the
// stone shed in the back garden, the paths, the patio, and the trees.
// Entry points: addBoundary(), addShed(), addGrounds().
#include "scene_layout.h"

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

// -------------------------------------------------------- the garden shed

// A stone shed in the back garden, its plank door facing the house, under a
// tiled roof whose ridge runs from front to back.
void addShed(QuadModel& model)
{
    constexpr double x0 = 290, x1 = 340, y0 = 250, y1 = 290;
    constexpr double Thickness = 2, RidgeHeight = 32, EaveOverhang = 3, EaveHeight = 19;
    constexpr double yMid = (y0 + y1) / 2;
    constexpr double Pitch = (RidgeHeight - EaveHeight) / ((y1 - y0) / 2 + EaveOverhang);
    // The side walls stand up to the underside of the roof.
    constexpr double WallTop = EaveHeight + EaveOverhang * Pitch;
    const std::vector<FaceBand> stone = {{1e9, Tex::Stone, 20}};
    auto wall = [&](const char* label, double ax, double ay, double bx, double by,
                    std::vector<Opening> openings) {
        addWall(model, Wall{label, ax, ay, bx, by, Thickness, Thickness, -1, WallTop, stone,
                            0, WallTop, stone, std::move(openings)});
    };
    wall("shed_front_wall", x0, y1, x0, y0, {{14, 26, 1, 17, Fill::Pane, Tex::PlankDoor}});
    wall("shed_right_wall", x0, y0, x1, y0, {});
    wall("shed_back_wall", x1, y0, x1, y1, {});
    wall("shed_left_wall", x1, y1, x0, y1, {});

    // The gables above the front and back walls, outside and in.
    for (const auto& [x, facing] : {std::pair{x0, -1.0}, std::pair{x1, 1.0}}) {
        for (const double inset : {0.0, Thickness}) {
            const double gx = x - facing * inset;
            const Vec3 a{gx, y0 + inset, WallTop}, b{gx, y1 - inset, WallTop};
            const Vec3 apex{gx, yMid, RidgeHeight - inset * Pitch};
            auto st = [](Vec3 p) { return TexCoord{p.y / 20, p.z / 20}; };
            model.add(std::string(facing < 0 ? "shed_front" : "shed_back") +
                          (inset == 0 ? "_gable_outer" : "_gable_inner"),
                      Tex::Stone, {a, b, apex, apex}, {st(a), st(b), st(apex), st(apex)},
                      Vec3{inset == 0 ? facing : -facing, 0, 0});
        }
    }
    // The two faces of the roof, tiles running along the eave.
    constexpr double TileScale = 28;
    const double slopeLength = std::sqrt(1 + Pitch * Pitch);
    for (const double side : {-1.0, 1.0}) {
        const double eaveY = side < 0 ? y0 - EaveOverhang : y1 + EaveOverhang;
        const Vec3 e0{x0 - EaveOverhang, eaveY, EaveHeight}, e1{x1 + EaveOverhang, eaveY, EaveHeight};
        const Vec3 r0{x0 - EaveOverhang, yMid, RidgeHeight}, r1{x1 + EaveOverhang, yMid, RidgeHeight};
        const double up = std::abs(yMid - eaveY) * slopeLength / TileScale;
        model.add(side < 0 ? "shed_roof_right" : "shed_roof_left", Tex::RoofTiles, {e0, e1, r1, r0},
                  {TexCoord{e0.x / TileScale, 0}, TexCoord{e1.x / TileScale, 0},
                   TexCoord{e1.x / TileScale, up}, TexCoord{e0.x / TileScale, up}},
                  Vec3{0, side * Pitch, 1});
    }
}

// ------------------------------------------- the grounds: paths and patio

namespace {

// The ground inside the walls is a grid cut along the edges of every path
// and paved area, each cell one quad of its own cover; so paths lie in the
// ground, not on it, and no cell's corner falls on another cell's edge. The
// seams along the walls lie under the boundary wall and the house.
constexpr double GardenXs[] = {BoundaryWest, -24, RampStartX, -10, -6, 0, HouseX,
                               200, YardEndX, 330, BoundaryEast};
constexpr double GardenYs[] = {BoundarySouth, YardSouthY, 0, 27, 40, 42, 73, 88, 160, HouseY,
                               BoundaryNorth};

constexpr GroundCover Courtyard{Tex::BoundaryWall, 20};  // granite setts
constexpr GroundCover Flagstones{Tex::Path, 15};
constexpr GroundCover Calcada{Tex::Pavement, 25};

struct Rect {
    double x0, y0, x1, y1;
    bool holds(double x, double y) const { return x > x0 && x < x1 && y > y0 && y < y1; }
};

// What covers the garden at (x, y); false where the house, the ramp or the
// yard take the place of the ground.
bool gardenCover(double x, double y, GroundCover& cover)
{
    if (Rect{0, 0, HouseX, HouseY}.holds(x, y) || Rect{RampStartX, YardSouthY, YardEndX, 0}.holds(x, y))
        return false;
    cover = NearGrass;
    if (Rect{BoundaryWest, YardSouthY, RampStartX, 0}.holds(x, y))
        cover = Courtyard;
    else if (Rect{-24, 27, -6, 42}.holds(x, y) || Rect{-24, 0, -10, 27}.holds(x, y) ||
             Rect{200, 73, 330, 88}.holds(x, y))
        cover = Flagstones;
    else if (Rect{HouseX, 40, 200, 160}.holds(x, y))
        cover = Calcada;
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

} // namespace

void addGrounds(QuadModel& model)
{
    addGardenGround(model);
    addBox(model, "garden_bench", Tex::Stone, {330, 70, 0}, {336, 91, 5}, 10);

    // Cypresses along the boundary wall, clear of the views of the house
    // from behind and from the left; a few in the front garden, and a copse
    // on the river's near bank.
    struct TreeSpot {
        double x, y, height, radius;
    };
    constexpr TreeSpot Trees[] = {
        {200, 342, 55, 9},  {245, 344, 62, 10}, {290, 341, 50, 8},  {335, 343, 58, 9},
        {-60, 340, 52, 8},  {362, 300, 60, 10}, {363, 255, 48, 8},  {362, -60, 56, 9},
        {364, -105, 50, 8}, {362, -143, 60, 10}, {-55, 230, 45, 9}, {-50, 300, 58, 10},
        {560, 840, 70, 12}, {610, 855, 58, 10}, {660, 835, 75, 13}, {725, 850, 62, 11},
        {790, 838, 68, 12}, {1180, 850, 64, 11}, {1240, 835, 72, 12},
    };
    int tree = 0;
    for (const TreeSpot& t : Trees)
        addTree(model, "tree_" + std::to_string(++tree), t.x, t.y, t.height, t.radius);
}
