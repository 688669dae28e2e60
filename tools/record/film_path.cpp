// The film's frames as camera placements (see record.h). Plain arithmetic on
// the program's tables of preset views and its flight path; no GL.
#include "record.h"

#include "app/views.h"

#include <algorithm>
#include <cmath>

namespace record {

namespace {

struct Vec {
    double x, y, z;
};

Vec vec(Point3 p) { return {p.x, p.y, p.z}; }
Point3 point(Vec v) { return Point3(float(v.x), float(v.y), float(v.z)); }
Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec operator*(double k, Vec a) { return {k * a.x, k * a.y, k * a.z}; }
double length(Vec a) { return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z); }

bool same(Point3 a, Point3 b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

// Points closer than this (world units) count as one on a curve.
constexpr double SamePoint = 1e-3;

// The centripetal Catmull-Rom curve (knots spaced by the square root of the
// distance, which keeps it from looping or overshooting between close
// points) from p1 to p2 at t in [0, 1], with p0 and p3 the neighbours
// (Barry and Goldman's pyramid). A missing or coincident neighbour is
// replaced by the reflection of the far end, which gives the end a straight
// tangent.
Vec catmullRom(Vec p0, Vec p1, Vec p2, Vec p3, double t)
{
    if (length(p2 - p1) < SamePoint)
        return p1;
    if (length(p1 - p0) < SamePoint)
        p0 = 2.0 * p1 - p2;
    if (length(p3 - p2) < SamePoint)
        p3 = 2.0 * p2 - p1;
    const double t0 = 0;
    const double t1 = t0 + std::sqrt(length(p1 - p0));
    const double t2 = t1 + std::sqrt(length(p2 - p1));
    const double t3 = t2 + std::sqrt(length(p3 - p2));
    const double u = t1 + t * (t2 - t1);
    auto lerp = [](Vec a, Vec b, double ta, double tb, double at) {
        return ((tb - at) / (tb - ta)) * a + ((at - ta) / (tb - ta)) * b;
    };
    const Vec a1 = lerp(p0, p1, t0, t1, u);
    const Vec a2 = lerp(p1, p2, t1, t2, u);
    const Vec a3 = lerp(p2, p3, t2, t3, u);
    const Vec b1 = lerp(a1, a2, t0, t2, u);
    const Vec b2 = lerp(a2, a3, t1, t3, u);
    return lerp(b1, b2, t1, t2, u);
}

// Eased time: the camera starts and stops at rest.
double smoothstep(double s) { return s * s * (3 - 2 * s); }

int framesFor(double seconds, int fps) { return int(std::lround(seconds * fps)); }

} // namespace

std::vector<TourStop> tourStops(Point3 startEyePoint)
{
    std::vector<TourStop> stops;
    Point3 light = startEyePoint;
    // Every function-key view records its eye in eyePoint.
    for (int n = 1; n <= FunctionKeyViewCount; ++n) {
        const PresetView& view = FunctionKeyViewTable[n - 1].view;
        light = view.eye();
        stops.push_back({TourStop::FunctionKey, n, {view.eye(), view.look()}, light});
    }
    for (const MenuView& menu : MenuViewTable) {
        if (menu.storesPoints)
            light = menu.view.eye();
        stops.push_back({TourStop::MenuView, menu.value, {menu.view.eye(), menu.view.look()}, light});
    }
    return stops;
}

int holdFrameCount(const Settings& settings) { return framesFor(settings.holdSeconds, settings.fps); }
int glideFrameCount(const Settings& settings) { return framesFor(settings.glideSeconds, settings.fps); }

int flightFrameCount(float startParam, Point3 startEye, int limit)
{
    float param = startParam;
    Point3 eye = startEye;
    Point3 look;
    int last = 0;
    for (int frame = 1; frame <= limit; ++frame) {
        const FlightPose pose = nextFlightPose(param, eye);
        // The first frame always counts: it places the camera on the path.
        if (frame == 1 || !same(pose.eye, eye) || !same(pose.look, look))
            last = frame;
        param = pose.param;
        eye = pose.eye;
        look = pose.look;
        // Past the path's end nothing changes again.
        if (param >= FlightBoundEnd && frame > last)
            break;
    }
    return last;
}

FilmFrame glideFrame(const std::vector<TourStop>& stops, int from, double s)
{
    const int count = int(stops.size());
    auto at = [&](int i) { return stops[std::size_t(std::clamp(i, 0, count - 1))]; };
    const TourStop &s0 = at(from - 1), &s1 = at(from), &s2 = at(from + 1), &s3 = at(from + 2);
    const double t = smoothstep(std::clamp(s, 0.0, 1.0));
    // At the ends of the tour the missing neighbour is the stop itself, which
    // catmullRom replaces by a reflection.
    FilmFrame frame;
    frame.kind = FilmFrame::Glide;
    frame.stop = from;
    frame.placement.eye = point(catmullRom(vec(s0.placement.eye), vec(s1.placement.eye),
                                           vec(s2.placement.eye), vec(s3.placement.eye), t));
    frame.placement.look = point(catmullRom(vec(s0.placement.look), vec(s1.placement.look),
                                            vec(s2.placement.look), vec(s3.placement.look), t));
    frame.light = point(vec(s1.light) + t * (vec(s2.light) - vec(s1.light)));
    return frame;
}

FilmPlan planFilm(const Settings& settings, Point3 startEyePoint, float startFlightParam)
{
    FilmPlan plan;
    Point3 eye = startEyePoint;
    if (settings.content != Content::Flight) {
        const std::vector<TourStop> stops = tourStops(startEyePoint);
        const int hold = holdFrameCount(settings);
        const int glide = glideFrameCount(settings);
        for (int i = 0; i < int(stops.size()); ++i) {
            if (i > 0)
                for (int j = 1; j <= glide; ++j)
                    plan.frames.push_back(glideFrame(stops, i - 1, double(j) / (glide + 1)));
            for (int j = 0; j < hold; ++j)
                plan.frames.push_back({FilmFrame::Hold, i, stops[std::size_t(i)].placement,
                                       stops[std::size_t(i)].light});
        }
        eye = stops.back().light;
        plan.tourFrames = int(plan.frames.size());
    }
    if (settings.content != Content::Tour) {
        plan.flightFrames = flightFrameCount(startFlightParam, eye);
        float param = startFlightParam;
        for (int i = 0; i < plan.flightFrames; ++i) {
            const FlightPose pose = nextFlightPose(param, eye);
            param = pose.param;
            eye = pose.eye;
            plan.frames.push_back({FilmFrame::Flight, -1, {pose.eye, pose.look}, pose.eye});
        }
    }
    return plan;
}

} // namespace record
