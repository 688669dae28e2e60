// Quads, patches, boxes and pictures of the default scene, and the text of
// the two scene files (see scene_builder.h); walls are in walls.cpp.
#include "scene_builder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace {

// A number as the scene files hold it: at most four decimals, no trailing
// zeros, and never "-0", so that the files read well and are the same on
// every run.
std::string number(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.4f", value);
    std::string s = text;
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.')
        s.pop_back();
    if (s == "-0")
        s = "0";
    return s;
}

// World (z up) to the files' model space (y up).
std::string modelPoint(Vec3 p)
{
    return number(p.x) + " " + number(p.z) + " " + number(-p.y);
}

// The normal the program computes from corners 1 to 3.
Vec3 faceNormal(const std::array<Vec3, 4>& c)
{
    return cross(c[0] - c[1], c[1] - c[2]);
}

} // namespace

void QuadModel::add(const std::string& label, int texture, std::array<Vec3, 4> corners,
                    std::array<TexCoord, 4> st, Vec3 facing)
{
    if (dot(faceNormal(corners), facing) < 0) {
        std::swap(corners[1], corners[3]);
        std::swap(st[1], st[3]);
    }
    quads_.push_back({label, texture, corners, st});
}

void QuadModel::addFloor(const std::string& label, int texture, double x0, double y0,
                         double x1, double y1, double height, double scale, bool facingUp)
{
    add(label, texture,
        {Vec3{x0, y0, height}, Vec3{x1, y0, height}, Vec3{x1, y1, height}, Vec3{x0, y1, height}},
        {TexCoord{x0 / scale, y0 / scale}, TexCoord{x1 / scale, y0 / scale},
         TexCoord{x1 / scale, y1 / scale}, TexCoord{x0 / scale, y1 / scale}},
        Vec3{0, 0, facingUp ? 1.0 : -1.0});
}

std::string QuadModel::text() const
{
    // Grouped by texture: the program binds each quad's texture before it,
    // and on a software renderer a change of texture costs far more than
    // the quad itself, while binding the texture already bound costs
    // nothing. Within a texture the quads keep the order they were made in.
    std::vector<const Quad*> order;
    for (const Quad& q : quads_)
        order.push_back(&q);
    std::stable_sort(order.begin(), order.end(),
                     [](const Quad* a, const Quad* b) { return a->texture < b->texture; });

    std::string out = std::to_string(quads_.size()) + "\n";
    for (const Quad* quad : order) {
        const Quad& q = *quad;
        out += q.label + " " + std::to_string(q.texture);
        for (const Vec3& p : q.corners)
            out += "  " + modelPoint(p);
        for (const TexCoord& t : q.st)
            out += "  " + number(t.s) + " " + number(t.t);
        out += "\n";
    }
    return out;
}

void TerrainModel::add(int kind, const ControlGrid& points)
{
    patches_.push_back({kind, points});
}

std::string TerrainModel::text() const
{
    auto record = [](int kind, const ControlGrid& points) {
        std::string out = std::to_string(kind) + " 0 0 0\n";
        int label = 1;
        for (const auto& row : points) {
            for (const Vec3& p : row)
                out += "  " + std::to_string(label++) + " " + modelPoint(p);
            out += "\n";
        }
        return out;
    };
    std::string out = "1\n";
    for (const Patch& patch : patches_)
        out += record(patch.kind, patch.points);
    return out + record(69, ControlGrid{});
}

TexRect detailRect(Detail picture)
{
    constexpr double W = DetailColumns * DetailCellPixels, H = DetailRows * DetailCellPixels;
    const DetailPlace place = detailPlace(picture);
    const double x0 = place.column * DetailCellPixels;
    double y0 = place.row * DetailCellPixels, height = DetailCellPixels;
    if (place.part != CellPart::Whole) {
        height /= 2;
        if (place.part == CellPart::UpperHalf)
            y0 += height;
    }
    return {(x0 + 0.5) / W, (y0 + 0.5) / H, (x0 + DetailCellPixels - 0.5) / W, (y0 + height - 0.5) / H};
}

TexRect partOf(TexRect picture, double u0, double v0, double u1, double v1)
{
    const double w = picture.s1 - picture.s0, h = picture.t1 - picture.t0;
    return {picture.s0 + w * u0, picture.t0 + h * v0, picture.s0 + w * u1, picture.t0 + h * v1};
}

namespace {

// The faces of a box, each seen from outside with its picture upright:
// corners in drawing order, and the face's outward direction.
struct BoxFace {
    BoxSide side;
    const char* name;
    std::array<Vec3, 4> corners;
    Vec3 facing;
};

std::vector<BoxFace> boxFaces(Vec3 low, Vec3 high, unsigned hiddenSides)
{
    const double x0 = low.x, y0 = low.y, z0 = low.z, x1 = high.x, y1 = high.y, z1 = high.z;
    const BoxFace all[] = {
        {BoxWest, "_west", {Vec3{x0, y1, z0}, Vec3{x0, y0, z0}, Vec3{x0, y0, z1}, Vec3{x0, y1, z1}}, {-1, 0, 0}},
        {BoxEast, "_east", {Vec3{x1, y0, z0}, Vec3{x1, y1, z0}, Vec3{x1, y1, z1}, Vec3{x1, y0, z1}}, {1, 0, 0}},
        {BoxSouth, "_south", {Vec3{x0, y0, z0}, Vec3{x1, y0, z0}, Vec3{x1, y0, z1}, Vec3{x0, y0, z1}}, {0, -1, 0}},
        {BoxNorth, "_north", {Vec3{x1, y1, z0}, Vec3{x0, y1, z0}, Vec3{x0, y1, z1}, Vec3{x1, y1, z1}}, {0, 1, 0}},
        {BoxTop, "_top", {Vec3{x0, y0, z1}, Vec3{x1, y0, z1}, Vec3{x1, y1, z1}, Vec3{x0, y1, z1}}, {0, 0, 1}},
        {BoxWithBottom, "_bottom", {Vec3{x0, y1, z0}, Vec3{x1, y1, z0}, Vec3{x1, y0, z0}, Vec3{x0, y0, z0}}, {0, 0, -1}},
    };
    std::vector<BoxFace> faces;
    for (const BoxFace& face : all)
        if (face.side == BoxWithBottom ? (hiddenSides & BoxWithBottom) != 0 : !(hiddenSides & face.side))
            faces.push_back(face);
    return faces;
}

} // namespace

void addBox(QuadModel& model, const std::string& label, int texture, Vec3 low, Vec3 high,
            double scale, unsigned hiddenSides)
{
    for (const BoxFace& face : boxFaces(low, high, hiddenSides)) {
        // The texture in world space: s to the face's right, t up (across
        // y on the top and bottom).
        std::array<TexCoord, 4> st;
        const Vec3 right = cross(face.facing, Vec3{0, 0, 1});
        for (int k = 0; k < 4; ++k) {
            const Vec3& p = face.corners[k];
            st[k] = face.facing.z != 0 ? TexCoord{p.x / scale, p.y / scale}
                                       : TexCoord{-dot(p, right) / scale, p.z / scale};
        }
        model.add(label + face.name, texture, face.corners, st, face.facing);
    }
}

void addPictureBox(QuadModel& model, const std::string& label, int texture, TexRect top,
                   TexRect sides, Vec3 low, Vec3 high, unsigned hiddenSides)
{
    for (const BoxFace& face : boxFaces(low, high, hiddenSides)) {
        const TexRect& r = face.facing.z != 0 ? top : sides;
        model.add(label + face.name, texture, face.corners,
                  {TexCoord{r.s0, r.t0}, TexCoord{r.s1, r.t0}, TexCoord{r.s1, r.t1}, TexCoord{r.s0, r.t1}},
                  face.facing);
    }
}

void addPicture(QuadModel& model, const std::string& label, int texture, TexRect rect,
                Vec3 origin, Vec3 across, Vec3 up, Vec3 facing)
{
    model.add(label, texture, {origin, origin + across, origin + across + up, origin + up},
              {TexCoord{rect.s0, rect.t0}, TexCoord{rect.s1, rect.t0}, TexCoord{rect.s1, rect.t1},
               TexCoord{rect.s0, rect.t1}},
              facing);
}

void writeText(const std::string& path, const std::string& text)
{
    std::ofstream file(path, std::ios::binary);
    file << text;
    file.close();
    if (!file) {
        std::fprintf(stderr, "make_data: cannot write %s\n", path.c_str());
        std::exit(1);
    }
}
