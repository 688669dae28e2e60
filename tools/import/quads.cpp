// Triangles to quads: two triangles that share an edge, lie in one plane,
// make a convex quad and carry one affine texture map become one quad; any
// other triangle becomes a quad whose last corner repeats its third. Entry
// point: makeQuads().
#include "import.h"

#include <algorithm>
#include <cmath>
#include <array>
#include <cstring>
#include <unordered_map>

namespace {

Point3d operator-(const Point3d& a, const Point3d& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double dot(const Point3d& a, const Point3d& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Point3d cross(const Point3d& a, const Point3d& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double length(const Point3d& a) { return std::sqrt(dot(a, a)); }

// Vertices that are one point with one texture coordinate, whatever their
// index: exporters split vertices at normals' creases, which says nothing
// about whether two faces can share a quad.
struct CornerKey {
    double value[5];
    bool operator==(const CornerKey& other) const
    {
        return std::memcmp(value, other.value, sizeof value) == 0;
    }
};
struct CornerHash {
    std::size_t operator()(const CornerKey& key) const
    {
        std::size_t h = 0;
        for (double v : key.value) {
            std::uint64_t bits;
            std::memcpy(&bits, &v, sizeof bits);
            h = (h ^ std::hash<std::uint64_t>()(bits)) * 0x100000001b3ull;
        }
        return h;
    }
};

PixelRGB averageColour(const SourceModel& model, const ModelTriangle& t)
{
    int r = 0, g = 0, b = 0;
    for (std::uint32_t v : t.v) {
        r += model.vertices[v].colour.red;
        g += model.vertices[v].colour.green;
        b += model.vertices[v].colour.blue;
    }
    return {std::uint8_t((r + 1) / 3), std::uint8_t((g + 1) / 3), std::uint8_t((b + 1) / 3)};
}

bool sameColour(PixelRGB a, PixelRGB b)
{
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

class QuadMaker {
public:
    explicit QuadMaker(SourceModel& model) : model_(model) {}

    std::vector<WorldQuad> run(QuadReport& report)
    {
        prepare();
        std::vector<WorldQuad> quads;
        quads.reserve(model_.triangles.size());
        std::vector<bool> done(model_.triangles.size(), false);
        for (std::size_t t = 0; t < model_.triangles.size(); ++t) {
            if (done[t] || !alive_[t])
                continue;
            done[t] = true;
            bool paired = false;
            for (int k = 0; k < 3 && !paired; ++k) {
                const std::uint64_t reverse = edgeKey(corner_[3 * t + (k + 1) % 3], corner_[3 * t + k]);
                auto it = std::lower_bound(edges_.begin(), edges_.end(), std::make_pair(reverse, std::size_t(0)));
                for (; it != edges_.end() && it->first == reverse; ++it) {
                    const std::size_t t2 = it->second / 3;
                    const int k2 = int(it->second % 3);
                    if (done[t2] || !alive_[t2])
                        continue;
                    if (pair(t, k, t2, k2, quads)) {
                        done[t2] = true;
                        paired = true;
                        ++report.pairs;
                        break;
                    }
                }
            }
            if (!paired) {
                const ModelTriangle& tri = model_.triangles[t];
                quads.push_back(quad(t, {tri.v[0], tri.v[1], tri.v[2], tri.v[2]}));
                ++report.singles;
            }
        }
        return quads;
    }

private:
    static std::uint64_t edgeKey(std::uint32_t from, std::uint32_t to)
    {
        return (std::uint64_t(from) << 32) | to;
    }

    const Point3d& at(std::uint32_t v) const { return model_.vertices[v].position; }

    // Corner identities, each triangle's normal and whether it has an area,
    // its flat colour, and the sorted list of directed edges.
    void prepare()
    {
        const std::size_t n = model_.triangles.size();
        std::unordered_map<CornerKey, std::uint32_t, CornerHash> ids;
        corner_.resize(3 * n);
        normal_.resize(n);
        alive_.assign(n, true);
        colour_.resize(n);
        edges_.reserve(3 * n);
        for (std::size_t t = 0; t < n; ++t) {
            const ModelTriangle& tri = model_.triangles[t];
            for (int k = 0; k < 3; ++k) {
                const ModelVertex& v = model_.vertices[tri.v[k]];
                const CornerKey key{{v.position.x, v.position.y, v.position.z, v.s, v.t}};
                corner_[3 * t + k] = ids.emplace(key, std::uint32_t(ids.size())).first->second;
            }
            const Point3d a = at(tri.v[0]), b = at(tri.v[1]), c = at(tri.v[2]);
            normal_[t] = cross(b - a, c - a);
            const double longest = std::max({length(b - a), length(c - b), length(a - c)});
            if (!(length(normal_[t]) > 1e-9 * longest * longest)) {
                alive_[t] = false;
                ++model_.dropped.zeroArea;
                continue;
            }
            colour_[t] = tri.hasColours ? averageColour(model_, tri)
                                        : model_.materials[std::size_t(tri.material)].colour;
            for (int k = 0; k < 3; ++k)
                edges_.emplace_back(edgeKey(corner_[3 * t + k], corner_[3 * t + (k + 1) % 3]), 3 * t + k);
        }
        std::sort(edges_.begin(), edges_.end());
    }

    bool textured(std::size_t t) const
    {
        const ModelTriangle& tri = model_.triangles[t];
        return tri.hasTexCoords && model_.materials[std::size_t(tri.material)].picture >= 0;
    }

    // Triangle t read from its edge k is (a, b, c); triangle t2 holds that
    // edge as b -> a at its edge k2, with d its third corner. The quad is
    // (a, d, b, c): both triangles' windings, so it faces their way.
    bool pair(std::size_t t, int k, std::size_t t2, int k2, std::vector<WorldQuad>& quads)
    {
        const ModelTriangle& one = model_.triangles[t];
        const ModelTriangle& two = model_.triangles[t2];
        if (one.material != two.material || textured(t) != textured(t2))
            return false;
        if (!textured(t) && !sameColour(colour_[t], colour_[t2]))
            return false;
        const std::uint32_t a = one.v[k], b = one.v[(k + 1) % 3], c = one.v[(k + 2) % 3];
        const std::uint32_t d = two.v[(k2 + 2) % 3];

        // One plane: the normals agree and d lies on t's plane.
        const Point3d n1 = normal_[t], n2 = normal_[t2];
        const double l1 = length(n1), l2 = length(n2);
        if (dot(n1, n2) < (1 - 1e-6) * l1 * l2)
            return false;
        const Point3d p[4] = {at(a), at(d), at(b), at(c)};
        double longest = 0;
        for (int i = 0; i < 4; ++i)
            longest = std::max(longest, length(p[(i + 1) % 4] - p[i]));
        if (std::fabs(dot(p[1] - p[0], n1)) > 1e-6 * longest * l1)
            return false;

        // Convex: every corner turns the same way about the normal.
        for (int i = 0; i < 4; ++i) {
            const Point3d turn = cross(p[(i + 1) % 4] - p[i], p[(i + 2) % 4] - p[(i + 1) % 4]);
            if (!(dot(turn, n1) > 1e-9 * longest * longest * l1))
                return false;
        }

        // One affine texture map: d's coordinates are where t's map puts d.
        if (textured(t)) {
            const ModelVertex &va = model_.vertices[a], &vb = model_.vertices[b],
                              &vc = model_.vertices[c], &vd = model_.vertices[d];
            const Point3d e1 = p[2] - p[0], e2 = p[3] - p[0], w = p[1] - p[0];
            const double g11 = dot(e1, e1), g12 = dot(e1, e2), g22 = dot(e2, e2);
            const double det = g11 * g22 - g12 * g12;
            if (!(det > 0))
                return false;
            const double alpha = (dot(w, e1) * g22 - dot(w, e2) * g12) / det;
            const double beta = (dot(w, e2) * g11 - dot(w, e1) * g12) / det;
            const double s = va.s + alpha * (vb.s - va.s) + beta * (vc.s - va.s);
            const double tt = va.t + alpha * (vb.t - va.t) + beta * (vc.t - va.t);
            const double tolerance =
                1e-5 * (1 + std::max({std::fabs(va.s), std::fabs(va.t), std::fabs(vd.s), std::fabs(vd.t)}));
            if (std::fabs(s - vd.s) > tolerance || std::fabs(tt - vd.t) > tolerance)
                return false;
        }
        quads.push_back(quad(t, {a, d, b, c}));
        return true;
    }

    WorldQuad quad(std::size_t t, std::array<std::uint32_t, 4> corners) const
    {
        const ModelTriangle& tri = model_.triangles[t];
        WorldQuad q;
        for (int i = 0; i < 4; ++i) {
            const ModelVertex& v = model_.vertices[corners[std::size_t(i)]];
            q.corner[i] = v.position;
            q.s[i] = v.s;
            q.t[i] = v.t;
        }
        q.material = tri.material;
        q.textured = textured(t);
        q.colour = colour_[t];
        return q;
    }

    SourceModel& model_;
    std::vector<std::uint32_t> corner_;
    std::vector<Point3d> normal_;
    std::vector<bool> alive_;
    std::vector<PixelRGB> colour_;
    std::vector<std::pair<std::uint64_t, std::size_t>> edges_;
};

} // namespace

std::vector<WorldQuad> makeQuads(SourceModel& model, QuadReport& report)
{
    return QuadMaker(model).run(report);
}
