// The house: its outer walls with their doors and windows, the walls between
// its rooms, floor, ceiling, steps and hipped roof with the chimney; and the
// sunken yard in front of the garage door with the ramp down to it.
// Entry points: addHouse(), addGarageYard().
#include "scene_layout.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace {

constexpr double EavesZ = 34;           // height of the roof's lower edge
constexpr double Overhang = 8;          // of the roof beyond the walls
constexpr double RidgeZ = 70;
// All four roof faces have one pitch: the ridge lies half the depth of the
// roof in from every eave.
constexpr double RoofHalfDepth = HouseX / 2 + Overhang;
constexpr double RoofPitch = (RidgeZ - EavesZ) / RoofHalfDepth;  // rise per unit
// The outer walls stand up to the underside of the roof.
constexpr double WallTopZ = EavesZ + Overhang * RoofPitch;

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
Opening vent(double from, double bottom, double top)
{
    return {from, from + 6, bottom, top, Fill::Pane, Tex::Details, detailRect(Detail::Vent)};
}

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
              {95, 135, GarageFloorZ, GarageDoorTopZ, Fill::Pane, Tex::Details,
               detailRect(Detail::GarageDoor)},
              vent(86, -16, -10), vent(140, -16, -10)}),
        // Back (x = 150, facing +x): kitchen window, kitchen vent, the back
        // door onto the patio, bedroom window.
        wall("house_back_wall", HouseX, 0, HouseX, HouseY, -2,
             {window(30), vent(60, 26, 30),
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
    // Doorways with panelled doors standing open into the back rooms.
    auto doorway = [](double from) {
        return Opening{from, from + 11, FloorZ, DoorTopZ, Fill::OpenDoor, Tex::FrontDoor};
    };
    return {
        // Hall | living room, y 60..62, with a wide arch between them.
        wall("house_hall_living_wall", OuterWall, HallWallY, MiddleWallX, HallWallY,
             {{37, 77, FloorZ, FloorZ + 24}}),
        // Hall and living room | kitchen and bedroom, x 100..102.
        wall("house_middle_wall", MiddleWallX, HouseY - OuterWall, MiddleWallX, OuterWall,
             {doorway(46), doorway(156)}),
        // Kitchen | bedroom, y 100..102.
        wall("house_kitchen_bedroom_wall", MiddleWallX + InnerWall, KitchenWallY,
             HouseX - OuterWall, KitchenWallY, {doorway(13)}),
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

    // The chimney of the living room's fireplace, rising through the left
    // hip of the roof from the attic.
    addBox(model, "chimney", Tex::Plaster, {44, HouseY - 16, 36}, {56, HouseY - 4, 58}, 20, BoxTop);
    addBox(model, "chimney_cap", Tex::Cement, {43, HouseY - 17, 58}, {57, HouseY - 3, 59.5}, 20,
           BoxWithBottom);
}

} // namespace

void addHouse(QuadModel& model)
{
    for (const Wall& wall : outerWalls())
        addWall(model, wall);
    for (const Wall& wall : innerWalls())
        addWall(model, wall);
    model.addFloor("house_floor", Tex::Wood, OuterWall, OuterWall, HouseX - OuterWall,
                   HouseY - OuterWall, FloorZ, 16);
    model.addFloor("house_ceiling", Tex::Plaster, OuterWall, OuterWall, HouseX - OuterWall,
                   HouseY - OuterWall, CeilingZ, 40, false);
    // The step up to the front door.
    addBox(model, "front_step", Tex::Cement, {-10, 26, 0}, {0, 45, FloorZ}, 20, BoxEast);
    // And the one down from the back door onto the patio.
    addBox(model, "back_step", Tex::Cement, {HouseX, 73, 0}, {HouseX + 5, 88, FloorZ}, 20, BoxWest);
    addRoof(model);
}

// ------------------------------------------- the garage yard and its ramp

void addGarageYard(QuadModel& model)
{
    constexpr double StoneScale = 20;
    // The walls reach below the floor they stand on, so that no crack opens
    // along the foot of a wall; by the ramp, below its curve too.
    constexpr double Footing = 6;
    auto retaining = [&](const std::string& label, double x0, double x1, double y, Vec3 facing) {
        const Vec3 p0{x0, y, rampZ(x0) - Footing}, p1{x1, y, rampZ(x1) - Footing};
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
    // The yard's cement floor, and a drain grating across the ramp's foot
    // and across its top, where the ramp's curved surface meets the level
    // floors.
    model.addFloor("yard_floor", Tex::Cement, RampEndX, YardSouthY, YardEndX, 0, GarageFloorZ, 20);
    constexpr int GratePieces = 10;
    for (const auto& [label, x, z] : {std::tuple{"ramp_top_drain_", RampStartX, 0.0},
                                      std::tuple{"ramp_foot_drain_", RampEndX, GarageFloorZ}})
        for (int k = 0; k < GratePieces; ++k) {
            const double y0 = YardSouthY * (1 - double(k) / GratePieces);
            const double y1 = YardSouthY * (1 - double(k + 1) / GratePieces);
            addPictureBox(model, label + std::to_string(k + 1), Tex::Details, detailRect(Detail::Vent),
                          detailRect(Detail::Vent), {x - 1, y0, z - 1}, {x + 1, y1, z + 0.15},
                          BoxWest | BoxEast | BoxSouth | BoxNorth);
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
