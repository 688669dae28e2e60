// Quads, patches, boxes and walls of the default scene, and the text of the
// two scene files (see scene_builder.h).
#include "scene_builder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace {

constexpr double Pi = 3.14159265358979323846;

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

// The material of a wall face at height z (the first band reaching above z).
const FaceBand& bandAt(const std::vector<FaceBand>& bands, double z)
{
    for (const FaceBand& band : bands)
        if (z < band.top)
            return band;
    return bands.back();
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

namespace {

// One face of a wall: the rectangle [from, to] x [bottom, top] in (along,
// height), on the plane through `origin` spanned by `along` and z, seen from
// `facing`. The face is cut around the openings into columns, and each column
// into runs of one material.
struct WallFace {
    std::string label;
    Vec3 origin;
    Vec3 along;
    Vec3 facing;
    double from, to, bottom, top;
    const std::vector<FaceBand>* bands;
};

void addFace(QuadModel& model, const WallFace& face, const std::vector<Opening>& openings)
{
    std::vector<double> cutsAlong = {face.from, face.to};
    std::vector<double> cutsUp = {face.bottom, face.top};
    for (const Opening& o : openings) {
        cutsAlong.push_back(std::clamp(o.from, face.from, face.to));
        cutsAlong.push_back(std::clamp(o.to, face.from, face.to));
        cutsUp.push_back(std::clamp(o.bottom, face.bottom, face.top));
        cutsUp.push_back(std::clamp(o.top, face.bottom, face.top));
    }
    for (const FaceBand& band : *face.bands)
        cutsUp.push_back(std::clamp(band.top, face.bottom, face.top));
    for (auto* cuts : {&cutsAlong, &cutsUp}) {
        std::sort(cuts->begin(), cuts->end());
        cuts->erase(std::unique(cuts->begin(), cuts->end()), cuts->end());
    }

    auto inOpening = [&](double a, double z) {
        for (const Opening& o : openings)
            if (a > o.from && a < o.to && z > o.bottom && z < o.top)
                return true;
        return false;
    };
    // s follows the face's own right-hand direction, seen from `facing`.
    const double sSign = dot(cross(Vec3{0, 0, 1}, face.facing), face.along) >= 0 ? 1 : -1;
    auto point = [&](double a, double z) { return face.origin + face.along * a + Vec3{0, 0, z}; };

    int piece = 0;
    for (std::size_t i = 0; i + 1 < cutsAlong.size(); ++i) {
        const double a0 = cutsAlong[i], a1 = cutsAlong[i + 1];
        std::size_t j = 0;
        while (j + 1 < cutsUp.size()) {
            const double z0 = cutsUp[j];
            const double zMid = (z0 + cutsUp[j + 1]) / 2;
            if (inOpening((a0 + a1) / 2, zMid)) {
                ++j;
                continue;
            }
            // Runs up while the material stays the same and no opening starts.
            const FaceBand& band = bandAt(*face.bands, zMid);
            std::size_t k = j + 1;
            while (k + 1 < cutsUp.size()) {
                const double nextMid = (cutsUp[k] + cutsUp[k + 1]) / 2;
                if (inOpening((a0 + a1) / 2, nextMid) || &bandAt(*face.bands, nextMid) != &band)
                    break;
                ++k;
            }
            const double z1 = cutsUp[k];
            const double sc = band.scale;
            model.add(face.label + "_" + std::to_string(++piece), band.texture,
                      {point(a0, z0), point(a1, z0), point(a1, z1), point(a0, z1)},
                      {TexCoord{sSign * a0 / sc, z0 / sc}, TexCoord{sSign * a1 / sc, z0 / sc},
                       TexCoord{sSign * a1 / sc, z1 / sc}, TexCoord{sSign * a0 / sc, z1 / sc}},
                      face.facing);
            j = k;
        }
    }
}

} // namespace

void addWall(QuadModel& model, const Wall& wall)
{
    const Vec3 start{wall.startX, wall.startY, 0};
    const Vec3 span = Vec3{wall.endX, wall.endY, 0} - start;
    const double length = std::sqrt(dot(span, span));
    const Vec3 along = span * (1 / length);
    const Vec3 outside{along.y, -along.x, 0};
    const Vec3 inside = outside * -1;
    const Vec3 innerOrigin = start + inside * wall.thickness;

    addFace(model, {wall.label + "_outer", start, along, outside, 0, length, wall.outerBottom,
                    wall.outerTop, &wall.outerBands},
            wall.openings);
    addFace(model, {wall.label + "_inner", innerOrigin, along, inside, wall.innerTrim,
                    length - wall.innerTrim, wall.innerBottom, wall.innerTop, &wall.innerBands},
            wall.openings);

    int index = 0;
    for (const Opening& o : wall.openings) {
        const std::string name = wall.label + "_opening" + std::to_string(++index);
        const FaceBand& band = bandAt(wall.outerBands, (o.bottom + o.top) / 2);
        const double sc = band.scale;
        const double t = wall.thickness;
        auto at = [&](double a, double depth, double z) {
            return start + along * a + inside * depth + Vec3{0, 0, z};
        };
        // Jambs, facing into the opening, as high as the wall stands.
        const double jambBottom = std::max(o.bottom, wall.outerBottom);
        const double jambTop = std::min(o.top, wall.outerTop);
        for (const auto& [a, facing] : {std::pair{o.from, along}, std::pair{o.to, along * -1}}) {
            model.add(name + (a == o.from ? "_jamb_start" : "_jamb_end"), band.texture,
                      {at(a, 0, jambBottom), at(a, t, jambBottom), at(a, t, jambTop), at(a, 0, jambTop)},
                      {TexCoord{0, jambBottom / sc}, TexCoord{t / sc, jambBottom / sc},
                       TexCoord{t / sc, jambTop / sc}, TexCoord{0, jambTop / sc}},
                      facing);
        }
        // A head where wall stands above the opening, a sill or threshold of
        // cement where it stands below; a doorway between rooms has the floor
        // running through instead.
        if (o.top < wall.outerTop)
            model.add(name + "_head", band.texture,
                  {at(o.from, 0, o.top), at(o.to, 0, o.top), at(o.to, t, o.top), at(o.from, t, o.top)},
                  {TexCoord{o.from / sc, 0}, TexCoord{o.to / sc, 0}, TexCoord{o.to / sc, t / sc},
                   TexCoord{o.from / sc, t / sc}},
                  Vec3{0, 0, -1});
        if ((o.bottom > wall.innerBottom || wall.innerTrim > 0) && o.bottom > wall.outerBottom) {
            constexpr double CementScale = 20;
            model.add(name + "_sill", Tex::Cement,
                      {at(o.from, 0, o.bottom), at(o.to, 0, o.bottom), at(o.to, t, o.bottom),
                       at(o.from, t, o.bottom)},
                      {TexCoord{o.from / CementScale, 0}, TexCoord{o.to / CementScale, 0},
                       TexCoord{o.to / CementScale, t / CementScale},
                       TexCoord{o.from / CementScale, t / CementScale}},
                      Vec3{0, 0, 1});
        }

        if (o.fill == Fill::Pane) {
            addPicture(model, name + "_pane", o.texture, o.picture, at(o.from, t / 2, o.bottom),
                       along * (o.to - o.from), Vec3{0, 0, o.top - o.bottom}, outside);
        } else if (o.fill == Fill::OpenDoor) {
            // Hinged at the inner face, at the opening's start, and open by
            // 70 degrees into the room.
            constexpr double OpenAngle = 70 * Pi / 180;
            const Vec3 hinge = at(o.from, t, 0);
            const Vec3 leaf = (along * std::cos(OpenAngle) + inside * std::sin(OpenAngle)) * (o.to - o.from);
            const Vec3 up{0, 0, o.top - o.bottom};
            const Vec3 base = hinge + Vec3{0, 0, o.bottom};
            model.add(name + "_door_leaf", o.texture, {base, base + leaf, base + leaf + up, base + up},
                      {TexCoord{0, 0}, TexCoord{1, 0}, TexCoord{1, 1}, TexCoord{0, 1}},
                      outside * std::cos(OpenAngle) + along * std::sin(OpenAngle));
        }
    }
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
