// Trees and hedges (see plants.h).
#include "plants.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double Pi = 3.14159265358979323846;

Vec3 ring(double x, double y, double z, double radius, double angle)
{
    return {x + radius * std::cos(angle), y + radius * std::sin(angle), z};
}

// One face of a cone of foliage: the edge p0-p1 and the apex, the picture's
// bottom edge along p0-p1 (or its top edge, for a face hanging below its
// edge), lit from outside the tree's axis.
void addConeFace(QuadModel& model, const std::string& label, TexRect leaves, Vec3 p0, Vec3 p1,
                 Vec3 apex, Vec3 axis)
{
    const bool hanging = apex.z < p0.z;
    const double edgeT = hanging ? leaves.t1 : leaves.t0, apexT = hanging ? leaves.t0 : leaves.t1;
    const double middleS = (leaves.s0 + leaves.s1) / 2;
    Vec3 outward = (p0 + p1) * 0.5 - axis;
    outward.z = hanging ? -0.3 * std::sqrt(dot(outward, outward)) : 0.3 * std::sqrt(dot(outward, outward));
    model.add(label, Tex::Details, {p0, p1, apex, apex},
              {TexCoord{leaves.s0, edgeT}, TexCoord{leaves.s1, edgeT}, TexCoord{middleS, apexT},
               TexCoord{middleS, apexT}},
              outward);
}

void addTrunk(QuadModel& model, const std::string& label, double x, double y, double half,
              double top)
{
    // Its top is inside the crown.
    addBox(model, label + "_trunk", Tex::Wood, {x - half, y - half, -0.5}, {x + half, y + half, top},
           6, BoxTop);
}

} // namespace

void addCypress(QuadModel& model, const std::string& label, double x, double y, double height,
                double radius)
{
    // A narrow foot ring just above the ground, the widest ring a third of
    // the way up, and the tip.
    const TexRect needles = detailRect(Detail::Needles);
    const Vec3 axis{x, y, 0};
    const double footZ = 1.5, widestZ = height * 0.33;
    const Vec3 tip{x, y, height};
    for (int side = 0; side < 4; ++side) {
        const double a0 = side * Pi / 2 + Pi / 4, a1 = a0 + Pi / 2;
        const Vec3 w0 = ring(x, y, widestZ, radius, a0), w1 = ring(x, y, widestZ, radius, a1);
        const Vec3 f0 = ring(x, y, footZ, radius * 0.45, a0), f1 = ring(x, y, footZ, radius * 0.45, a1);
        const std::string n = std::to_string(side + 1);
        addConeFace(model, label + "_crown_" + n, needles, w0, w1, tip, axis);
        Vec3 outward = (w0 + w1) * 0.5 - Vec3{x, y, widestZ};
        model.add(label + "_skirt_" + n, Tex::Details, {f0, f1, w1, w0},
                  {TexCoord{needles.s0, needles.t0}, TexCoord{needles.s1, needles.t0},
                   TexCoord{needles.s1, needles.t1 * 0.4 + needles.t0 * 0.6},
                   TexCoord{needles.s0, needles.t1 * 0.4 + needles.t0 * 0.6}},
                  outward);
    }
}

void addRoundTree(QuadModel& model, const std::string& label, double x, double y,
                  const RoundTree& tree)
{
    // The crown: a cone hanging below its widest ring, a band narrowing to a
    // shoulder ring, and a cone from there to the top, so that it reads
    // rounded from the side.
    const TexRect leaves = detailRect(tree.foliage);
    const double above = tree.height - tree.crownZ;
    const double crownBottomZ = tree.crownZ - above * 0.6;
    const double shoulderZ = tree.crownZ + above * 0.45;
    addTrunk(model, label, x, y, std::max(0.6, tree.radius * 0.09), tree.crownZ);
    const Vec3 axis{x, y, tree.crownZ};
    const Vec3 top{x, y, tree.height}, bottom{x, y, crownBottomZ};
    for (int side = 0; side < tree.sides; ++side) {
        const double a0 = 2 * Pi * (side / double(tree.sides) + tree.turn);
        const double a1 = a0 + 2 * Pi / tree.sides;
        const Vec3 p0 = ring(x, y, tree.crownZ, tree.radius, a0);
        const Vec3 p1 = ring(x, y, tree.crownZ, tree.radius, a1);
        const Vec3 q0 = ring(x, y, shoulderZ, tree.radius * 0.8, a0);
        const Vec3 q1 = ring(x, y, shoulderZ, tree.radius * 0.8, a1);
        const std::string n = std::to_string(side + 1);
        addConeFace(model, label + "_crown_top_" + n, leaves, q0, q1, top, axis);
        addConeFace(model, label + "_crown_under_" + n, leaves, p1, p0, bottom, axis);
        const Vec3 outward = (p0 + p1) * 0.5 - axis;
        model.add(label + "_crown_band_" + n, Tex::Details, {p0, p1, q1, q0},
                  {TexCoord{leaves.s0, leaves.t0}, TexCoord{leaves.s1, leaves.t0},
                   TexCoord{leaves.s1, leaves.t1}, TexCoord{leaves.s0, leaves.t1}},
                  outward + Vec3{0, 0, 0.2 * std::sqrt(dot(outward, outward))});
    }
}

void addOrangeTree(QuadModel& model, const std::string& label, double x, double y, double turn)
{
    addRoundTree(model, label, x, y, {26, 11, 13, Detail::Oranges, 5, turn});
}

void addOliveTree(QuadModel& model, const std::string& label, double x, double y, double turn)
{
    addRoundTree(model, label, x, y, {30, 15, 16, Detail::Olive, 5, turn});
}

void addOak(QuadModel& model, const std::string& label, double x, double y, double scale,
            double turn)
{
    addRoundTree(model, label, x, y, {70 * scale, 26 * scale, 34 * scale, Detail::Leaves, 5, turn});
}

void addStonePine(QuadModel& model, const std::string& label, double x, double y, double scale,
                  double turn)
{
    addRoundTree(model, label, x, y, {80 * scale, 30 * scale, 70 * scale, Detail::Needles, 5, turn});
}

void addHedge(QuadModel& model, const std::string& label, double x0, double y0, double x1,
              double y1, double height)
{
    const TexRect leaves = detailRect(Detail::Hedge);
    forEachPiece(x0, y0, x1, y1, 10, [&](double ax, double ay, double bx, double by, unsigned inner, int i) {
        addPictureBox(model, label + "_" + std::to_string(i + 1), Tex::Details, leaves, leaves,
                      {ax, ay, 0}, {bx, by, height}, inner);
    });
}
