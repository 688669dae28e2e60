// The default scene: a one-storey house with a garage under it, its walled
// grounds, the road that leads to the gate, and a river beyond, described in
// world space (z up, about 10 cm to the unit). Entry point: makeSceneFiles().
//
// Where things are, as the program's fixed camera placements expect them:
// - the house stands over x 0..150, y 0..200, its front (with the front door)
//   facing -x; the side facing -y is its right side;
// - the entrance hall is the front-right room, with the living room beside it
//   and the kitchen and bedroom behind; the floor is at height 2;
// - the garage lies under the back-right of the house, floor at -28, its door
//   in the right wall; a ramp goes down to it from the courtyard inside the
//   gate, along the right side of the house;
// - the boundary wall encloses x -80..380, y -160..360, with the gate in its
//   west side at y = -10, where the road from the south ends;
// - a river runs along x at y 880..990, north of the grounds;
// - the ground is flat near the house, along the road and by the river, and
//   rises in low hills towards the sky sphere (radius 2500), which it meets
//   everywhere.
#include "scene_files.h"

#include "scene_builder.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

// ---------------------------------------------------------------- the house

constexpr double FloorZ = 2;            // top of the ground floor
constexpr double CeilingZ = 32;         // underside of the ceiling
constexpr double OuterWall = 3;         // thickness of the outer walls
constexpr double InnerWall = 2;         // thickness of the walls between rooms
constexpr double EavesZ = 34;           // height of the roof's lower edge
constexpr double Overhang = 8;          // of the roof beyond the walls
constexpr double RidgeZ = 70;
constexpr double HouseX = 150, HouseY = 200;
// All four roof faces have one pitch: the ridge lies half the depth of the
// roof in from every eave.
constexpr double RoofHalfDepth = HouseX / 2 + Overhang;
constexpr double RoofPitch = (RidgeZ - EavesZ) / RoofHalfDepth;  // rise per unit
// The outer walls stand up to the underside of the roof.
constexpr double WallTopZ = EavesZ + Overhang * RoofPitch;

constexpr double GarageFloorZ = -28;

// Window, door and vent heights.
constexpr double SillZ = 8, HeadZ = 28;         // windows, 20 x 20
constexpr double DoorTopZ = FloorZ + 22;         // doors, 11 wide
constexpr double GarageDoorTopZ = GarageFloorZ + 22;

const std::vector<FaceBand> OuterBands = {
    {6, Tex::Stone, 20},       // a granite plinth
    {1e9, Tex::Plaster, 40},   // white render above it
};
const std::vector<FaceBand> InnerBands = {
    {FloorZ + 2.5, Tex::Wood, 30},  // a wooden skirting, so that walls meet the floor visibly
    {1e9, Tex::Plaster, 40},
};

Opening window(double from) { return {from, from + 20, SillZ, HeadZ, Fill::Pane, Tex::Window}; }

// The outer walls, each given by its outer face with the outside on the
// right; openings are placed along the face from its start.
std::vector<Wall> outerWalls()
{
    auto wall = [](const char* label, double x0, double y0, double x1, double y1,
                   double bottom, std::vector<Opening> openings) {
        return Wall{label, x0, y0, x1, y1, OuterWall, OuterWall, bottom, WallTopZ, OuterBands,
                    FloorZ, CeilingZ, InnerBands, std::move(openings)};
    };
    return {
        // Front (x = 0, facing -x), from the left corner: living room windows,
        // then the front door of the hall, standing open.
        wall("house_front_wall", 0, HouseY, 0, 0, -2,
             {window(30), window(90),
              {161, 172, FloorZ, DoorTopZ, Fill::OpenDoor, Tex::FrontDoor}}),
        // Right side (y = 0, facing -y), over the sunken garage yard: the hall
        // and kitchen windows, and below the floor the garage door and vents.
        wall("house_right_wall", 0, 0, HouseX, 0, GarageFloorZ - 2,
             {window(20), window(112),
              {95, 135, GarageFloorZ, GarageDoorTopZ, Fill::Pane, Tex::GarageDoor},
              {86, 92, -16, -10, Fill::Pane, Tex::Vent},
              {140, 146, -16, -10, Fill::Pane, Tex::Vent}}),
        // Back (x = 150, facing +x): kitchen window, kitchen vent, the back
        // door onto the patio, bedroom window.
        wall("house_back_wall", HouseX, 0, HouseX, HouseY, -2,
             {window(30), {60, 66, 26, 30, Fill::Pane, Tex::Vent},
              {75, 86, FloorZ, DoorTopZ, Fill::Pane, Tex::PlankDoor}, window(130)}),
        // Left side (y = 200, facing +y), from the back: bedroom window, two
        // living room windows.
        wall("house_left_wall", HouseX, HouseY, 0, HouseY, -2,
             {window(15), window(70), window(110)}),
    };
}

// The walls between rooms: both faces plastered, from floor to ceiling.
std::vector<Wall> innerWalls()
{
    auto wall = [](const char* label, double x0, double y0, double x1, double y1,
                   std::vector<Opening> openings) {
        return Wall{label, x0, y0, x1, y1, InnerWall, 0, FloorZ, CeilingZ, InnerBands,
                    FloorZ, CeilingZ, InnerBands, std::move(openings)};
    };
    auto doorway = [](double from) { return Opening{from, from + 11, FloorZ, DoorTopZ}; };
    return {
        // Hall | living room, y 60..62, with a wide arch between them.
        wall("house_hall_living_wall", OuterWall, 60, 100, 60, {{37, 77, FloorZ, FloorZ + 24}}),
        // Hall and living room | kitchen and bedroom, x 100..102.
        wall("house_middle_wall", 100, HouseY - OuterWall, 100, OuterWall, {doorway(46), doorway(156)}),
        // Kitchen | bedroom, y 100..102.
        wall("house_kitchen_bedroom_wall", 102, 100, HouseX - OuterWall, 100, {doorway(13)}),
    };
}

// Roof faces by their eave, from its left end to its right end seen from
// outside, and the ridge points above it in the same order (one point twice
// for a hip's triangle).
struct RoofFace {
    const char* label;
    Vec3 eaveLeft, eaveRight, ridgeRight, ridgeLeft;
};

std::vector<RoofFace> roofFaces()
{
    const double x0 = -Overhang, x1 = HouseX + Overhang;
    const double y0 = -Overhang, y1 = HouseY + Overhang;
    const Vec3 ridgeRightEnd{HouseX / 2, y0 + RoofHalfDepth, RidgeZ};  // towards -y
    const Vec3 ridgeLeftEnd{HouseX / 2, y1 - RoofHalfDepth, RidgeZ};   // towards +y
    return {
        {"roof_front", {x0, y1, EavesZ}, {x0, y0, EavesZ}, ridgeRightEnd, ridgeLeftEnd},
        {"roof_right_hip", {x0, y0, EavesZ}, {x1, y0, EavesZ}, ridgeRightEnd, ridgeRightEnd},
        {"roof_back", {x1, y0, EavesZ}, {x1, y1, EavesZ}, ridgeLeftEnd, ridgeRightEnd},
        {"roof_left_hip", {x1, y1, EavesZ}, {x0, y1, EavesZ}, ridgeLeftEnd, ridgeLeftEnd},
    };
}

void addRoof(QuadModel& model)
{
    constexpr double TileScale = 28;  // eight courses of tiles per repeat
    const double slopeLength = std::sqrt(1 + RoofPitch * RoofPitch);
    for (const RoofFace& face : roofFaces()) {
        const Vec3 eave = face.eaveRight - face.eaveLeft;
        const Vec3 eaveDir = eave * (1 / std::sqrt(dot(eave, eave)));
        const Vec3 upSlope = cross(Vec3{0, 0, 1}, eaveDir);  // horizontal, into the roof
        // Tiles run along the eave and up the slope.
        auto st = [&](Vec3 p) {
            const Vec3 d = p - face.eaveLeft;
            return TexCoord{dot(d, eaveDir) / TileScale, dot(d, upSlope) * slopeLength / TileScale};
        };
        const Vec3 outward = upSlope * -RoofPitch + Vec3{0, 0, 1};
        model.add(face.label, Tex::RoofTiles,
                  {face.eaveLeft, face.eaveRight, face.ridgeRight, face.ridgeLeft},
                  {st(face.eaveLeft), st(face.eaveRight), st(face.ridgeRight), st(face.ridgeLeft)},
                  outward);

        // The boarded underside of the overhang, half a unit below the tiles,
        // from the eave in to the wall.
        auto soffitPoint = [&](Vec3 p, double inset, double alongShift) {
            Vec3 q = p + upSlope * inset + eaveDir * alongShift;
            q.z = EavesZ + inset * RoofPitch - 0.5;
            return q;
        };
        const Vec3 a = soffitPoint(face.eaveLeft, 0, 0);
        const Vec3 b = soffitPoint(face.eaveRight, 0, 0);
        const Vec3 c = soffitPoint(face.eaveRight, Overhang, -Overhang);
        const Vec3 d = soffitPoint(face.eaveLeft, Overhang, Overhang);
        constexpr double WoodScale = 30;
        auto wood = [&](Vec3 p) {
            const Vec3 r = p - face.eaveLeft;
            return TexCoord{dot(r, eaveDir) / WoodScale, dot(r, upSlope) / WoodScale};
        };
        model.add(std::string(face.label) + "_soffit", Tex::Wood, {a, b, c, d},
                  {wood(a), wood(b), wood(c), wood(d)}, outward * -1);
    }

    // A chimney, rising through the back face of the roof.
    addBox(model, "chimney", Tex::Plaster, {108, 150, 48}, {118, 160, 82}, 20);
}

void addHouse(QuadModel& model)
{
    for (const Wall& wall : outerWalls())
        addWall(model, wall);
    for (const Wall& wall : innerWalls())
        addWall(model, wall);
    model.addFloor("house_floor", Tex::Wood, OuterWall, OuterWall, HouseX - OuterWall,
                   HouseY - OuterWall, FloorZ, 30);
    model.addFloor("house_ceiling", Tex::Plaster, OuterWall, OuterWall, HouseX - OuterWall,
                   HouseY - OuterWall, CeilingZ, 40, false);
    // The step up to the front door.
    addBox(model, "front_step", Tex::Cement, {-6, 26, 0}, {0, 45, FloorZ}, 20, BoxEast);
    // And the one down from the back door onto the patio.
    addBox(model, "back_step", Tex::Cement, {HouseX, 73, 0}, {HouseX + 5, 88, FloorZ}, 20, BoxWest);
    addRoof(model);
}

// ------------------------------------------- the garage yard and its ramp

// The yard in front of the garage door, and the ramp down to it from the
// courtyard: the ramp falls along +x from the ground at x = -15 to the yard
// floor at x = 85; the yard reaches to x = 215.
constexpr double RampStartX = -15, RampEndX = 85, YardEndX = 215;
constexpr double YardSouthY = -70;

double yardFloorZ(double x)
{
    if (x <= RampStartX)
        return 0;
    if (x >= RampEndX)
        return GarageFloorZ;
    return GarageFloorZ * (x - RampStartX) / (RampEndX - RampStartX);
}

void addGarageYard(QuadModel& model)
{
    constexpr double StoneScale = 20;
    // The walls reach below the floor they stand on, so that no crack opens
    // along the foot of a wall.
    constexpr double Footing = 2;
    auto retaining = [&](const std::string& label, double x0, double x1, double y, Vec3 facing) {
        const Vec3 p0{x0, y, yardFloorZ(x0) - Footing}, p1{x1, y, yardFloorZ(x1) - Footing};
        const Vec3 p2{x1, y, 0}, p3{x0, y, 0};
        auto st = [&](Vec3 p) { return TexCoord{p.x / StoneScale, p.z / StoneScale}; };
        model.add(label, Tex::Stone, {p0, p1, p2, p3}, {st(p0), st(p1), st(p2), st(p3)}, facing);
    };
    // South side of ramp and yard, facing into them.
    retaining("ramp_south_wall", RampStartX, RampEndX, YardSouthY, {0, 1, 0});
    retaining("yard_south_wall", RampEndX, YardEndX, YardSouthY, {0, 1, 0});
    // North side where the house does not stand.
    retaining("ramp_north_wall", RampStartX, 0, 0, {0, -1, 0});
    retaining("yard_north_wall", HouseX, YardEndX, 0, {0, -1, 0});
    // East end of the yard.
    {
        const Vec3 p0{YardEndX, 0, GarageFloorZ - Footing};
        const Vec3 p1{YardEndX, YardSouthY, GarageFloorZ - Footing};
        const Vec3 p2{YardEndX, YardSouthY, 0}, p3{YardEndX, 0, 0};
        auto st = [&](Vec3 p) { return TexCoord{-p.y / StoneScale, p.z / StoneScale}; };
        model.add("yard_east_wall", Tex::Stone, {p0, p1, p2, p3}, {st(p0), st(p1), st(p2), st(p3)},
                  {-1, 0, 0});
    }
    // A low parapet round the drop.
    constexpr double ParapetZ = 8;
    addBox(model, "yard_parapet_south", Tex::Stone, {RampStartX, YardSouthY - 2, 0},
           {YardEndX, YardSouthY, ParapetZ}, StoneScale, BoxEast);
    addBox(model, "yard_parapet_east", Tex::Stone, {YardEndX, YardSouthY - 2, 0},
           {YardEndX + 2, 2, ParapetZ}, StoneScale);
    addBox(model, "yard_parapet_north", Tex::Stone, {HouseX + 0.5, 0, 0},
           {YardEndX, 2, ParapetZ}, StoneScale, BoxEast);
}

// ---------------------------------------------- boundary wall and gate

constexpr double BoundaryWest = -80, BoundaryEast = 380;
constexpr double BoundarySouth = -160, BoundaryNorth = 360;
constexpr double BoundaryThickness = 3, BoundaryTopZ = 10;
constexpr double GateY = -10, GateHalfWidth = 18;

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

// Paths, patio and road lie this far above the flat ground they cover.
constexpr double OverlayZ = 0.6;

void addGrounds(QuadModel& model)
{
    // Flagstone path from the front step to the courtyard.
    model.addFloor("front_path_to_step", Tex::Path, -24, 27, -6, 42, OverlayZ, 15);
    model.addFloor("front_path_to_courtyard", Tex::Path, -24, 0, -10, 27, OverlayZ, 15);
    // Patio of Portuguese pavement behind the house, and a path across the
    // back lawn to a stone bench.
    model.addFloor("back_patio", Tex::Pavement, HouseX, 40, 200, 160, OverlayZ, 25);
    model.addFloor("back_path", Tex::Path, 200, 73, 330, 88, OverlayZ, 15);
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

// ------------------------------------------------------- road and river

// The ground reaches beyond the sky sphere (radius 2500) on every side.
constexpr double TerrainEdge = 2600;  // beyond the sky sphere on every side

// The road follows the first stretch of the camera flight: the cubic
// y(x) = c3 x^3 + c2 x^2 + c1 x + c0 from x = -610, straight on from there to
// beyond the sky sphere in the south. At the cubic's last trough (x = -170)
// it leaves the curve, which turns too tightly for a road beyond it, and
// bends north and then east into the gate.
constexpr double RoadHalfWidth = 15;
constexpr double RoadBendRadius = 30;

double flightCubic(double x)
{
    constexpr double c3 = 5.944504640519e-05, c2 = 0.048333184118664;
    constexpr double c1 = 11.28766266044, c0 = 661.1661011971;
    return ((x * c3) * x) * x + (x * c2) * x + x * c1 + c0;
}

std::vector<Vec3> roadCentreLine()
{
    // A new point where the road has turned by 3 degrees since the last one
    // or run on 60 units, but never closer than 8: short pieces in the bends,
    // long ones on the straight.
    constexpr double Spacing = 8, LongestPiece = 60;
    const double turn = std::cos(3 * std::acos(-1.0) / 180);
    std::vector<Vec3> line;
    auto follow = [&line, turn](Vec3 p) {
        if (line.size() < 2) {
            if (line.empty() || dot(p - line.back(), p - line.back()) >= Spacing * Spacing)
                line.push_back(p);
            return;
        }
        const Vec3 step = p - line.back();
        const Vec3 last = line.back() - line[line.size() - 2];
        const double length = std::sqrt(dot(step, step));
        const double cosine = dot(step, last) / (length * std::sqrt(dot(last, last)));
        if (length >= LongestPiece || (length >= Spacing && cosine < turn))
            line.push_back(p);
    };
    auto arc = [&follow](Vec3 centre, double from, double to) {
        for (int i = 0; i <= 60; ++i) {
            const double a = from + (to - from) * i / 60;
            follow(centre + Vec3{std::cos(a), std::sin(a), 0} * RoadBendRadius);
        }
    };
    // Straight on from the cubic's start, along its tangent.
    const Vec3 start{-610, flightCubic(-610), 0};
    const Vec3 tangent{1, (flightCubic(-609.99) - start.y) / 0.01, 0};
    const double back = (start.y + TerrainEdge) / tangent.y;
    for (int i = 0; i < 40; ++i)
        follow(start - tangent * (back * (40 - i) / 40));
    constexpr double LeaveX = -170;  // where the cubic runs along +x
    for (double x = -610; x <= LeaveX; x += 0.05)
        follow({x, flightCubic(x), 0});
    // Left onto the line x = -140, north along it, right onto y = -10.
    const double y0 = flightCubic(LeaveX);
    const double northX = LeaveX + RoadBendRadius;
    const double halfPi = std::acos(0.0);
    arc({LeaveX, y0 + RoadBendRadius, 0}, -halfPi, 0);
    for (double y = y0 + RoadBendRadius; y < GateY - RoadBendRadius; y += 1)
        follow({northX, y, 0});
    arc({northX + RoadBendRadius, GateY - RoadBendRadius, 0}, 2 * halfPi, halfPi);
    // Up to the gate's posts; the last point replaces one too close to it.
    const Vec3 end{BoundaryWest - 3.5, GateY, 0};
    if (dot(end - line.back(), end - line.back()) < (Spacing / 2) * (Spacing / 2))
        line.pop_back();
    line.push_back(end);
    return line;
}

void addRoad(QuadModel& model)
{
    const std::vector<Vec3> line = roadCentreLine();
    constexpr double AsphaltScale = 2 * RoadHalfWidth;
    std::vector<Vec3> left, right;
    std::vector<double> distance;
    double travelled = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const Vec3 ahead = line[std::min(i + 1, line.size() - 1)] - line[i == 0 ? 0 : i - 1];
        const Vec3 side = Vec3{-ahead.y, ahead.x, 0} * (RoadHalfWidth / std::sqrt(dot(ahead, ahead)));
        if (i > 0)
            travelled += std::sqrt(dot(line[i] - line[i - 1], line[i] - line[i - 1]));
        left.push_back(line[i] + side + Vec3{0, 0, OverlayZ});
        right.push_back(line[i] - side + Vec3{0, 0, OverlayZ});
        distance.push_back(travelled / AsphaltScale);
    }
    for (std::size_t i = 0; i + 1 < line.size(); ++i)
        model.add("road_" + std::to_string(i + 1), Tex::Asphalt,
                  {right[i], right[i + 1], left[i + 1], left[i]},
                  {TexCoord{0, distance[i]}, TexCoord{0, distance[i + 1]},
                   TexCoord{1, distance[i + 1]}, TexCoord{1, distance[i]}},
                  {0, 0, 1});
}

// The river: water at -3 between banks that fall from the ground at y 880
// and 990 to its bed at -8. The view across it stands just beyond its
// northern bank, at (1000, 1000), two units above the ground.
constexpr double RiverSouthBank = 880, RiverBedSouth = 900, RiverBedNorth = 975;
constexpr double RiverNorthBank = 990;
constexpr double RiverBedZ = -8, WaterZ = -3;

void addRiverWater(QuadModel& model)
{
    // The water's edges lie under the banks, which rise through it.
    const double south = RiverSouthBank + (RiverBedSouth - RiverSouthBank) * 0.3;
    const double north = RiverNorthBank - (RiverNorthBank - RiverBedNorth) * 0.3;
    constexpr double Stretch = 400;
    int piece = 0;
    for (double x = -TerrainEdge; x < TerrainEdge; x += Stretch)
        model.addFloor("river_water_" + std::to_string(++piece), Tex::Water, x, south,
                       x + Stretch, north, WaterZ, 40);
}

// ---------------------------------------------------------------- terrain

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

} // namespace

void makeSceneFiles(const std::string& outputDir)
{
    QuadModel model;
    addHouse(model);
    addGarageYard(model);
    addBoundary(model);
    addGrounds(model);
    addShed(model);
    addRoad(model);
    addRiverWater(model);
    writeText(outputDir + "/data_textura.geo", model.text());

    TerrainModel terrain;
    addTerrain(terrain);
    writeText(outputDir + "/data_terreno.geo", terrain.text());
}
