// Triangles to quads: two triangles that share an edge become one quad
// wherever the quad draws nearly the picture the two triangles draw, along
// either of its diagonals; any other triangle becomes a quad whose last
// corner repeats its third. Entry point: makeQuads().
//
// GL leaves the diagonal along which it splits a quad to the driver (Mesa's
// llvmpipe splits an immediate-mode quad v1..v4 along v1-v3, the same quad
// in a display list, as the program draws, along v2-v4). So a pair becomes
// a quad only where both splits come out nearly alike: the quad is convex,
// nearly planar and its texture coordinates nearly follow one affine map.
// The program lights the quad with one normal, from its corners 1 to 3, and
// that normal must lie near each triangle's own. The tolerances are in
// PairTolerances below; with every one zero the rule is "planar, convex and
// one affine map".
//
// Stages: prepare() finds each triangle's corners, normal, colour and
// edges; candidates() lists every pair within the tolerances, with how well
// it fits; match() chooses the pairs (as many as it can, the better fits
// first); run() writes the quads out in the triangles' order.
#include "import.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <unordered_map>

namespace {

// How far a pair's quad may stray from its two triangles, chosen on the
// pictures of imported models (tools/compare_views measures them):
//   normal     the quad's normal (corners 1 to 3) from each triangle's own
//              normal, in degrees: what the paired faces' lighting changes by;
//   planarity  the fourth corner's distance from the plane of the other
//              three, as a share of the quad's longer diagonal: along the
//              other diagonal the surface moves by at most this much;
//   texture    the fourth corner's (s, t) from where the other three's affine
//              map puts it, as a share of the quad's longer diagonal in
//              (s, t): along the other diagonal the picture slides by at
//              most this share of the quad.
// Planarity and texture are taken both ways (either triangle's fourth
// corner), so that the rule does not depend on which triangle comes first.
struct PairTolerances {
    double normalDegrees;
    double planarity;
    double texture;
};
constexpr PairTolerances Tolerances{8.0, 0.05, 0.05};

constexpr double Pi = 3.14159265358979323846;

Point3d operator-(const Point3d& a, const Point3d& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double dot(const Point3d& a, const Point3d& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Point3d cross(const Point3d& a, const Point3d& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double length(const Point3d& a) { return std::sqrt(dot(a, a)); }

// The angle between two vectors, in degrees; 180 when either is zero.
double degreesBetween(const Point3d& u, const Point3d& v)
{
    const double lengths = length(u) * length(v);
    if (!(lengths > 0))
        return 180;
    return std::acos(std::clamp(dot(u, v) / lengths, -1.0, 1.0)) * (180 / Pi);
}

// The normal the program gives a quad: from its corners 1 to 3.
Point3d programNormal(const Point3d& p1, const Point3d& p2, const Point3d& p3)
{
    return cross(p1 - p2, p2 - p3);
}

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

// Two triangles that may become one quad: the quad's corners in the order
// it is written, and how much of the tolerances it uses (its worst share).
struct Candidate {
    std::uint32_t one, two;               // the triangles
    std::array<std::uint32_t, 4> corners;  // vertex indices, corner 1 first
    double fit;                           // 0 exact .. 1 at a tolerance's edge
};

constexpr std::uint32_t Unmatched = ~std::uint32_t(0);

class QuadMaker {
public:
    explicit QuadMaker(SourceModel& model) : model_(model) {}

    std::vector<WorldQuad> run(QuadReport& report)
    {
        prepare();
        candidates();
        match();
        std::vector<WorldQuad> quads;
        quads.reserve(model_.triangles.size());
        for (std::size_t t = 0; t < model_.triangles.size(); ++t) {
            if (!alive_[t])
                continue;
            if (partner_[t] != Unmatched) {
                const Candidate& c = candidates_[partner_[t]];
                if (c.one == t) {
                    quads.push_back(quad(t, c.corners));
                    ++report.pairs;
                }
                continue;
            }
            const ModelTriangle& tri = model_.triangles[t];
            quads.push_back(quad(t, {tri.v[0], tri.v[1], tri.v[2], tri.v[2]}));
            ++report.singles;
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

    // Every pair of triangles whose quad keeps within the tolerances, each
    // pair once, and for each triangle the pairs it is in.
    void candidates()
    {
        const std::size_t n = model_.triangles.size();
        for (std::size_t t = 0; t < n; ++t) {
            if (!alive_[t])
                continue;
            for (int k = 0; k < 3; ++k) {
                const std::uint64_t reverse = edgeKey(corner_[3 * t + (k + 1) % 3], corner_[3 * t + k]);
                auto it = std::lower_bound(edges_.begin(), edges_.end(), std::make_pair(reverse, std::size_t(0)));
                for (; it != edges_.end() && it->first == reverse; ++it) {
                    const std::size_t t2 = it->second / 3;
                    if (t2 > t)
                        consider(t, k, t2, int(it->second % 3));
                }
            }
        }
        // The pairs of each triangle, in one array (first_[t] to first_[t + 1]).
        first_.assign(n + 1, 0);
        for (const Candidate& c : candidates_) {
            ++first_[c.one + 1];
            ++first_[c.two + 1];
        }
        for (std::size_t t = 0; t < n; ++t)
            first_[t + 1] += first_[t];
        pairsOf_.resize(first_[n]);
        std::vector<std::uint32_t> next(first_.begin(), first_.end() - 1);
        for (std::uint32_t i = 0; i < candidates_.size(); ++i) {
            pairsOf_[next[candidates_[i].one]++] = i;
            pairsOf_[next[candidates_[i].two]++] = i;
        }
    }

    // Where the affine texture map of triangle (a, b, c) puts point p, taken
    // into the triangle's plane; false when the triangle has no plane.
    bool mapped(std::uint32_t a, std::uint32_t b, std::uint32_t c, const Point3d& p, double& s,
                double& t) const
    {
        const ModelVertex &va = model_.vertices[a], &vb = model_.vertices[b], &vc = model_.vertices[c];
        const Point3d e1 = vb.position - va.position, e2 = vc.position - va.position, w = p - va.position;
        const double g11 = dot(e1, e1), g12 = dot(e1, e2), g22 = dot(e2, e2);
        const double det = g11 * g22 - g12 * g12;
        if (!(det > 0))
            return false;
        const double alpha = (dot(w, e1) * g22 - dot(w, e2) * g12) / det;
        const double beta = (dot(w, e2) * g11 - dot(w, e1) * g12) / det;
        s = va.s + alpha * (vb.s - va.s) + beta * (vc.s - va.s);
        t = va.t + alpha * (vb.t - va.t) + beta * (vc.t - va.t);
        return true;
    }

    // How far vertex d's (s, t) lies from where triangle (a, b, c)'s map puts d.
    double textureShift(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d) const
    {
        double s = 0, t = 0;
        if (!mapped(a, b, c, at(d), s, t))
            return HUGE_VAL;
        return std::hypot(s - model_.vertices[d].s, t - model_.vertices[d].t);
    }

    // Triangle t read from its edge k is (a, b, c); triangle t2 holds that
    // edge as b -> a at its edge k2, with d its third corner. Their quad,
    // in both triangles' winding, is a d b c: its diagonal a-b is the shared
    // edge, d-c the other. Adds the pair when it keeps within the tolerances.
    void consider(std::size_t t, int k, std::size_t t2, int k2)
    {
        const ModelTriangle& one = model_.triangles[t];
        const ModelTriangle& two = model_.triangles[t2];
        if (one.material != two.material || textured(t) != textured(t2))
            return;
        if (!textured(t) && !sameColour(colour_[t], colour_[t2]))
            return;
        const std::uint32_t a = one.v[k], b = one.v[(k + 1) % 3], c = one.v[(k + 2) % 3];
        const std::uint32_t d = two.v[(k2 + 2) % 3];
        const Point3d &pa = at(a), &pb = at(b), &pc = at(c), &pd = at(d);
        const Point3d n1 = normal_[t], n2 = normal_[t2];

        // The quad starts at d or at c, so that its corners 1 to 3 are a
        // triangle across the other diagonal, whose normal lies between the
        // two triangles' (a start at a or b would give one triangle's own);
        // and its diagonal v2-v4, where a display list on llvmpipe splits
        // it, is the shared edge, so that the program draws the two
        // triangles' own corners and coordinates there.
        const std::array<std::uint32_t, 4> fromD{d, b, c, a}, fromC{c, a, d, b};
        auto normalError = [&](const std::array<std::uint32_t, 4>& q) {
            const Point3d n = programNormal(at(q[0]), at(q[1]), at(q[2]));
            return std::max(degreesBetween(n, n1), degreesBetween(n, n2));
        };
        const double errorD = normalError(fromD), errorC = normalError(fromC);
        const double normalDegrees = std::min(errorD, errorC);
        if (!(normalDegrees <= Tolerances.normalDegrees))
            return;

        // Nearly planar: six times the volume of a, b, c, d over twice a
        // triangle's area is the other corner's distance from its plane.
        const double diagonal = std::max(length(pb - pa), length(pc - pd));
        const double volume6 = std::fabs(dot(pd - pa, n1));
        const double planarity = volume6 / std::min(length(n1), length(n2)) / diagonal;
        if (!(planarity <= Tolerances.planarity))
            return;

        // Convex: every corner turns the same way about the triangles'
        // mean normal, which is where the quad faces.
        const Point3d facing{n1.x / length(n1) + n2.x / length(n2), n1.y / length(n1) + n2.y / length(n2),
                             n1.z / length(n1) + n2.z / length(n2)};
        const Point3d p[4] = {pa, pd, pb, pc};
        double longest = 0;
        for (int i = 0; i < 4; ++i)
            longest = std::max(longest, length(p[(i + 1) % 4] - p[i]));
        for (int i = 0; i < 4; ++i) {
            const Point3d turn = cross(p[(i + 1) % 4] - p[i], p[(i + 2) % 4] - p[(i + 1) % 4]);
            if (!(dot(turn, facing) > 1e-9 * longest * longest * length(facing)))
                return;
        }

        // One affine texture map, nearly: each fourth corner's coordinates
        // near where the other triangle's map puts it.
        double texture = 0;
        if (textured(t)) {
            const ModelVertex &va = model_.vertices[a], &vb = model_.vertices[b],
                              &vc = model_.vertices[c], &vd = model_.vertices[d];
            const double shift = std::max(textureShift(a, b, c, d), textureShift(b, a, d, c));
            const double span = std::max(std::hypot(va.s - vb.s, va.t - vb.t), std::hypot(vc.s - vd.s, vc.t - vd.t));
            if (shift > 0) {
                texture = shift / span;
                if (!(texture <= Tolerances.texture))
                    return;
            }
        }

        const double fit = std::max({normalDegrees / Tolerances.normalDegrees, planarity / Tolerances.planarity,
                                     texture / Tolerances.texture});
        candidates_.push_back({std::uint32_t(t), std::uint32_t(t2), errorD <= errorC ? fromD : fromC, fit});
    }

    // Chooses the pairs: as many as it can, the better fit first where the
    // choice is free. A triangle left with one pair takes it (no other
    // choice can pair more); otherwise the free triangle with the fewest
    // pairs left takes its best fit. On the test models this pairs as many
    // triangles as a maximum matching does.
    void match()
    {
        const std::size_t n = model_.triangles.size();
        partner_.assign(n, Unmatched);
        std::vector<std::uint32_t> open(n);  // pairs left whose other triangle is free
        for (std::size_t t = 0; t < n; ++t)
            open[t] = first_[t + 1] - first_[t];
        // Triangles by pairs left, 1 to MaxOpen and more; an entry whose
        // count has changed since is passed over.
        constexpr std::uint32_t MaxOpen = 8;
        std::vector<std::vector<std::uint32_t>> byOpen(MaxOpen + 1);
        for (std::uint32_t t = 0; t < n; ++t)
            if (open[t] > 0)
                byOpen[std::min(open[t], MaxOpen)].push_back(t);
        auto other = [&](const Candidate& c, std::uint32_t t) { return c.one == t ? c.two : c.one; };
        auto take = [&](std::uint32_t i) {
            const Candidate& chosen = candidates_[i];
            for (std::uint32_t t : {chosen.one, chosen.two}) {
                partner_[t] = i;
                for (std::uint32_t j = first_[t]; j < first_[t + 1]; ++j) {
                    const std::uint32_t u = other(candidates_[pairsOf_[j]], t);
                    if (partner_[u] == Unmatched && open[u] > 0 && --open[u] > 0)
                        byOpen[std::min(open[u], MaxOpen)].push_back(u);
                }
            }
        };
        for (;;) {
            std::uint32_t t = Unmatched;
            for (std::uint32_t level = 1; level <= MaxOpen && t == Unmatched; ++level)
                while (!byOpen[level].empty()) {
                    const std::uint32_t u = byOpen[level].back();
                    byOpen[level].pop_back();
                    if (partner_[u] == Unmatched && std::min(open[u], MaxOpen) == level) {
                        t = u;
                        break;
                    }
                }
            if (t == Unmatched)
                return;
            std::uint32_t best = Unmatched;
            for (std::uint32_t j = first_[t]; j < first_[t + 1]; ++j) {
                const std::uint32_t i = pairsOf_[j];
                if (partner_[other(candidates_[i], t)] == Unmatched &&
                    (best == Unmatched || candidates_[i].fit < candidates_[best].fit))
                    best = i;
            }
            if (best != Unmatched)
                take(best);
        }
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
    std::vector<Candidate> candidates_;
    std::vector<std::uint32_t> first_, pairsOf_;  // the pairs of each triangle
    std::vector<std::uint32_t> partner_;          // the pair a triangle is in, or Unmatched
};

} // namespace

std::vector<WorldQuad> makeQuads(SourceModel& model, QuadReport& report)
{
    return QuadMaker(model).run(report);
}
