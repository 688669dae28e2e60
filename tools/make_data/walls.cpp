// Walls with their openings: the faces cut round doors and windows, the
// reveals, heads and sills, and what fills each opening (see Wall in
// scene_builder.h). Entry point: addWall().
#include "scene_builder.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double Pi = 3.14159265358979323846;

// The material of a wall face at height z (the first band reaching above z).
const FaceBand& bandAt(const std::vector<FaceBand>& bands, double z)
{
    for (const FaceBand& band : bands)
        if (z < band.top)
            return band;
    return bands.back();
}

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
