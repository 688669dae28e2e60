// Gabled buildings, the granary, the footbridge and the dry-stone walls
// (see buildings.h).
#include "buildings.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double TileScale = 28;  // eight courses of roof tiles per repeat
constexpr double StoneScale = 16;

// A two-faced roof over the rectangle [a0, a1] along its ridge and [c0, c1]
// across it, eaves at eaveZ `overhang` beyond; `point(along, across, z)`
// gives the world point. Returns the roof's rise per unit across.
template <typename Point>
double addGableRoof(QuadModel& model, const std::string& label, Point point, double a0, double a1,
                    double c0, double c1, double eaveZ, double ridgeZ, double overhang)
{
    const double cMid = (c0 + c1) / 2;
    const double pitch = (ridgeZ - eaveZ) / (cMid - c0 + overhang);
    const double slope = (cMid - c0 + overhang) * std::sqrt(1 + pitch * pitch) / TileScale;
    for (const double side : {-1.0, 1.0}) {
        const double eave = side < 0 ? c0 - overhang : c1 + overhang;
        const Vec3 e0 = point(a0 - overhang, eave, eaveZ), e1 = point(a1 + overhang, eave, eaveZ);
        const Vec3 r0 = point(a0 - overhang, cMid, ridgeZ), r1 = point(a1 + overhang, cMid, ridgeZ);
        const double s0 = (a0 - overhang) / TileScale, s1 = (a1 + overhang) / TileScale;
        // Tiles run along the eave and up the slope; lit from above.
        const Vec3 outward = point(0, side * pitch, 1) - point(0, 0, 0);
        model.add(label + (side < 0 ? "_roof_1" : "_roof_2"), Tex::RoofTiles, {e0, e1, r1, r0},
                  {TexCoord{s0, 0}, TexCoord{s1, 0}, TexCoord{s1, slope}, TexCoord{s0, slope}},
                  outward);
    }
    return pitch;
}

} // namespace

void addBuilding(QuadModel& model, const Building& b)
{
    // In the roof's own terms: `along` the ridge and `across` it.
    const bool alongX = b.ridgeAlongX;
    auto point = [alongX](double along, double across, double z) {
        return alongX ? Vec3{along, across, z} : Vec3{across, along, z};
    };
    const double a0 = alongX ? b.x0 : b.y0, a1 = alongX ? b.x1 : b.y1;
    const double c0 = alongX ? b.y0 : b.x0, c1 = alongX ? b.y1 : b.x1;
    const double pitch =
        addGableRoof(model, b.label, point, a0, a1, c0, c1, b.eaveZ, b.ridgeZ, b.overhang);
    // The walls stand up to the underside of the roof at their line.
    const double wallTop = b.eaveZ + b.overhang * pitch;

    constexpr double Thickness = 2;
    auto wall = [&](const char* side, double sx, double sy, double ex, double ey,
                    const std::vector<Opening>& openings) {
        addWall(model, Wall{b.label + "_" + side + "_wall", sx, sy, ex, ey, Thickness, Thickness, -1,
                            wallTop, b.bands, 0, 0, b.bands, openings});
    };
    wall("west", b.x0, b.y1, b.x0, b.y0, b.west);
    wall("south", b.x0, b.y0, b.x1, b.y0, b.south);
    wall("east", b.x1, b.y0, b.x1, b.y1, b.east);
    wall("north", b.x1, b.y1, b.x0, b.y1, b.north);

    // The gables over the two end walls, in the walls' top material.
    const FaceBand& top = b.bands.back();
    const double cMid = (c0 + c1) / 2;
    for (const auto& [a, facing] : {std::pair{a0, -1.0}, std::pair{a1, 1.0}}) {
        const Vec3 p = point(a, c0, wallTop), q = point(a, c1, wallTop);
        const Vec3 apex = point(a, cMid, b.ridgeZ);
        auto st = [&](Vec3 v) {
            return TexCoord{(alongX ? v.y : v.x) / top.scale, v.z / top.scale};
        };
        model.add(b.label + (facing < 0 ? "_gable_1" : "_gable_2"), top.texture, {p, q, apex, apex},
                  {st(p), st(q), st(apex), st(apex)}, point(facing, 0, 0) - point(0, 0, 0));
    }
}

void addGranary(QuadModel& model, const std::string& label, double x, double y)
{
    constexpr double Length = 22, Width = 7, LegZ = 6, FloorZ = 7.5, EaveZ = 17, RidgeZ = 21;
    const double x0 = x - Length / 2, x1 = x + Length / 2, y0 = y - Width / 2, y1 = y + Width / 2;
    int leg = 0;
    for (const double lx : {x0 + 2, x1 - 2})
        for (const double ly : {y0 + 1.5, y1 - 1.5}) {
            const std::string n = std::to_string(++leg);
            addBox(model, label + "_leg_" + n, Tex::Stone, {lx - 0.8, ly - 0.8, -0.5},
                   {lx + 0.8, ly + 0.8, LegZ}, StoneScale, BoxTop);
            addBox(model, label + "_cap_" + n, Tex::BoundaryWall, {lx - 1.8, ly - 1.8, LegZ},
                   {lx + 1.8, ly + 1.8, LegZ + 0.8}, 10, BoxTop | BoxWithBottom);
        }
    // The chamber's granite floor slab, and its walls of wooden slats.
    addBox(model, label + "_floor", Tex::BoundaryWall, {x0, y0, LegZ + 0.8}, {x1, y1, FloorZ}, 10,
           BoxWithBottom);
    addBox(model, label + "_chamber", Tex::Wood, {x0 + 0.5, y0 + 0.5, FloorZ}, {x1 - 0.5, y1 - 0.5, EaveZ},
           8, BoxTop);
    auto point = [](double along, double across, double z) { return Vec3{along, across, z}; };
    addGableRoof(model, label, point, x0, x1, y0, y1, EaveZ, RidgeZ, 1);
    for (const auto& [gx, facing] : {std::pair{x0 + 0.5, -1.0}, std::pair{x1 - 0.5, 1.0}}) {
        const Vec3 p{gx, y0 + 0.5, EaveZ}, q{gx, y1 - 0.5, EaveZ}, apex{gx, y, RidgeZ - 0.6};
        model.add(label + (facing < 0 ? "_gable_1" : "_gable_2"), Tex::BoundaryWall, {p, q, apex, apex},
                  {TexCoord{p.y / 10, p.z / 10}, TexCoord{q.y / 10, q.z / 10},
                   TexCoord{apex.y / 10, apex.z / 10}, TexCoord{apex.y / 10, apex.z / 10}},
                  Vec3{facing, 0, 0});
    }
}

void addFootbridge(QuadModel& model, const std::string& label, double x, double y0, double y1,
                   double deckZ)
{
    constexpr double Half = 4, Deck = 0.8, RailZ = 5;
    // Stone abutments on the banks, two piers standing in the water.
    addBox(model, label + "_abutment_south", Tex::Stone, {x - Half - 1, y0 - 2, -1},
           {x + Half + 1, y0 + 6, deckZ - Deck}, StoneScale, BoxTop);
    addBox(model, label + "_abutment_north", Tex::Stone, {x - Half - 1, y1 - 6, -1},
           {x + Half + 1, y1 + 2, deckZ - Deck}, StoneScale, BoxTop);
    const double span = y1 - y0;
    for (const double k : {0.36, 0.64}) {
        const double py = y0 + span * k;
        addBox(model, label + (k < 0.5 ? "_pier_south" : "_pier_north"), Tex::Stone,
               {x - Half - 0.5, py - 2, -8}, {x + Half + 0.5, py + 2, deckZ - Deck}, StoneScale, BoxTop);
    }
    addBox(model, label + "_deck", Tex::Wood, {x - Half, y0 - 2, deckZ - Deck}, {x + Half, y1 + 2, deckZ},
           12, BoxWithBottom);
    // Rails on posts either side.
    constexpr int Posts = 5;
    for (const double side : {-1.0, 1.0}) {
        const double rx = x + side * (Half - 0.4);
        const std::string railLabel = label + (side < 0 ? "_rail_west" : "_rail_east");
        addBox(model, railLabel, Tex::Wood, {rx - 0.3, y0 - 2, deckZ + RailZ - 0.6},
               {rx + 0.3, y1 + 2, deckZ + RailZ}, 12, BoxWithBottom);
        for (int p = 0; p < Posts; ++p) {
            const double py = y0 - 1.5 + (span + 3) * p / (Posts - 1);
            addBox(model, railLabel + "_post_" + std::to_string(p + 1), Tex::Wood,
                   {rx - 0.3, py - 0.3, deckZ}, {rx + 0.3, py + 0.3, deckZ + RailZ - 0.6}, 12, BoxTop);
        }
    }
}

void addDryStoneWall(QuadModel& model, const std::string& label, double x0, double y0, double x1,
                     double y1, double height, unsigned hidden)
{
    addBox(model, label, Tex::Stone, {x0, y0, -1}, {x1, y1, height}, StoneScale, hidden);
}
