// The road that leads to the gate, following the camera flight's approach,
// and the river north of the grounds: its banks and its water. Entry points: addRoad(),
// addRiver().
#include "scene_layout.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <tuple>

namespace {

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
    // A new point where the road has turned by 5 degrees since the last one
    // or run on 80 units, but never closer than 8: short pieces in the bends,
    // long ones on the straight.
    constexpr double Spacing = 8, LongestPiece = 80;
    const double turn = std::cos(5 * std::acos(-1.0) / 180);
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

} // namespace

void addRoad(QuadModel& model)
{
    // The road runs on a low bank, RoadZ above the fields (so that the depth
    // test tells it from the grass even far away), with grass verges
    // sloping down to the ground on either side; it comes down to the
    // courtyard's level over its last stretch before the gate.
    constexpr double RoadZ = 1.2, GateZ = 0.3, LevelOff = 40, Verge = 4, VergeFoot = -0.3;
    const std::vector<Vec3> line = roadCentreLine();
    constexpr double AsphaltScale = 2 * RoadHalfWidth;
    std::vector<std::array<Vec3, 4>> across;  // outer left, left, right, outer right
    std::vector<double> distance;
    double travelled = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const Vec3 ahead = line[std::min(i + 1, line.size() - 1)] - line[i == 0 ? 0 : i - 1];
        const Vec3 side = Vec3{-ahead.y, ahead.x, 0} * (1 / std::sqrt(dot(ahead, ahead)));
        if (i > 0)
            travelled += std::sqrt(dot(line[i] - line[i - 1], line[i] - line[i - 1]));
        distance.push_back(travelled);
        const double toGate = std::sqrt(dot(line.back() - line[i], line.back() - line[i]));
        const Vec3 top{0, 0, GateZ + (RoadZ - GateZ) * std::min(1.0, toGate / LevelOff)};
        const Vec3 foot{0, 0, VergeFoot};
        across.push_back({line[i] + side * (RoadHalfWidth + Verge) + foot,
                          line[i] + side * RoadHalfWidth + top, line[i] - side * RoadHalfWidth + top,
                          line[i] - side * (RoadHalfWidth + Verge) + foot});
    }
    auto grass = [](Vec3 p) { return TexCoord{p.x / NearGrass.scale, p.y / NearGrass.scale}; };
    for (std::size_t i = 0; i + 1 < line.size(); ++i) {
        const auto& a = across[i];
        const auto& b = across[i + 1];
        const double t0 = distance[i] / AsphaltScale, t1 = distance[i + 1] / AsphaltScale;
        const std::string label = "road_" + std::to_string(i + 1);
        model.add(label, Tex::Asphalt, {a[2], b[2], b[1], a[1]},
                  {TexCoord{0, t0}, TexCoord{0, t1}, TexCoord{1, t1}, TexCoord{1, t0}}, {0, 0, 1});
        for (const auto& [outer, inner, name] :
             {std::tuple{0, 1, "_verge_left"}, std::tuple{3, 2, "_verge_right"}})
            model.add(label + name, NearGrass.texture, {a[outer], b[outer], b[inner], a[inner]},
                      {grass(a[outer]), grass(b[outer]), grass(b[inner]), grass(a[inner])},
                      {0, 0, 1});
    }
}

void addRiver(QuadModel& model)
{
    // Each bank falls in two strips, gently from the field's edge and then
    // steeply through the water's surface; the water's edges lie under the
    // banks. The river is cut where the land's columns are, so that every
    // corner of a bank meets a corner of the field above it.
    struct Step {
        double inset, z;
    };
    constexpr Step Crest{0, 0}, Shoulder{6, -1}, Foot{16, -5};
    constexpr double WaterInset = 10, StoneScale = 20, WaterScale = 40;
    auto bank = [&](const std::string& label, double x0, double x1, double edgeY, double into) {
        auto at = [&](double x, Step s) { return Vec3{x, edgeY + into * s.inset, s.z}; };
        // The grass of the bank's top continues that of the field beside it.
        const double fieldY = into > 0 ? *(std::find(std::begin(LandYs), std::end(LandYs), edgeY) - 1)
                                       : *(std::find(std::begin(LandYs), std::end(LandYs), edgeY) + 1);
        const GroundCover cover = landCover(x0, std::min(edgeY, fieldY), x1, std::max(edgeY, fieldY));
        auto grass = [&](Vec3 p) { return TexCoord{p.x / cover.scale, p.y / cover.scale}; };
        auto stone = [&](Vec3 p) { return TexCoord{p.x / StoneScale, p.y / StoneScale}; };
        const Vec3 a = at(x0, Crest), b = at(x1, Crest), c = at(x1, Shoulder), d = at(x0, Shoulder);
        model.add(label + "_grass", cover.texture, {a, b, c, d}, {grass(a), grass(b), grass(c), grass(d)},
                  {0, 0, 1});
        const Vec3 e = at(x1, Foot), f = at(x0, Foot);
        model.add(label + "_stones", Tex::Stone, {d, c, e, f}, {stone(d), stone(c), stone(e), stone(f)},
                  {0, 0, 1});
    };
    int piece = 0;
    for (auto x = std::begin(LandXs); x + 1 != std::end(LandXs); ++x) {
        const std::string n = std::to_string(++piece);
        bank("river_south_bank_" + n, *x, *(x + 1), RiverSouthBank, 1);
        bank("river_north_bank_" + n, *x, *(x + 1), RiverNorthBank, -1);
        model.addFloor("river_water_" + n, Tex::Water, *x, RiverSouthBank + WaterInset, *(x + 1),
                       RiverNorthBank - WaterInset, WaterZ, WaterScale);
    }
}
