// The road that leads to the gate, following the camera flight's approach,
// and the river's water north of the grounds. Entry points: addRoad(),
// addRiverWater().
#include "scene_layout.h"

#include <algorithm>
#include <cmath>

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

} // namespace

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
