// mirtal-record's stages without GL: the command line, the checks before
// drawing, the tour's plan (its views, its frame counts, its glides), the
// flight's frame count, the K x K reduction, the progress bar and ffmpeg's
// command line for each format.
#include "record.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

using record::Content;
using record::Format;
using record::ParseResult;

ParseResult parse(std::vector<const char*> arguments)
{
    arguments.insert(arguments.begin(), "mirtal-record");
    return record::parseArguments(int(arguments.size()), arguments.data());
}

TEST(RecordSettings, DefaultsAndEveryOption)
{
    const ParseResult plain = parse({"data", "film.MP4"});
    ASSERT_EQ(plain.kind, ParseResult::Record) << plain.message;
    const record::Settings& d = plain.settings;
    EXPECT_EQ(d.scene, "data");
    EXPECT_EQ(d.output, "film.MP4");
    EXPECT_EQ(d.format, Format::Mp4);
    EXPECT_EQ(d.content, Content::TourThenFlight);
    EXPECT_EQ(d.width, 1280);
    EXPECT_EQ(d.height, 720);
    EXPECT_EQ(d.fps, 30);
    EXPECT_EQ(d.supersample, 2);
    EXPECT_EQ(d.holdSeconds, 2);
    EXPECT_EQ(d.glideSeconds, 2);
    EXPECT_FALSE(d.force);

    const ParseResult all = parse({"--tour", "--size", "321x201", "--fps", "12", "--supersample", "3",
                                   "--hold", "0.5", "--glide", "1.25", "--force", "--time-limit", "300",
                                   "--memory-limit", "0.5", "scene", "out.gif"});
    ASSERT_EQ(all.kind, ParseResult::Record) << all.message;
    const record::Settings& s = all.settings;
    EXPECT_EQ(s.content, Content::Tour);
    EXPECT_EQ(s.format, Format::Gif);  // a GIF may have odd sides
    EXPECT_EQ(s.width, 321);
    EXPECT_EQ(s.height, 201);
    EXPECT_EQ(s.fps, 12);
    EXPECT_EQ(s.supersample, 3);
    EXPECT_EQ(s.holdSeconds, 0.5);
    EXPECT_EQ(s.glideSeconds, 1.25);
    EXPECT_TRUE(s.force);
    EXPECT_EQ(s.readLimits.seconds, 300);
    EXPECT_EQ(s.readLimits.memoryBytes, std::uint64_t(1) << 29);

    EXPECT_EQ(parse({"--flight", "a", "b.webm"}).settings.content, Content::Flight);
    EXPECT_EQ(parse({"--flight", "--tour", "a", "b.webm"}).settings.content, Content::TourThenFlight);
    EXPECT_EQ(parse({"a", "b.webm"}).settings.format, Format::WebM);
    EXPECT_EQ(parse({"--help"}).kind, ParseResult::Help);
}

TEST(RecordSettings, BadCommandLinesGetOneLineThatSaysWhatToDo)
{
    const struct {
        std::vector<const char*> arguments;
        const char* names;
    } cases[] = {
        {{"data"}, "SCENE OUTPUT"},
        {{"data", "a.mp4", "b.mp4"}, "SCENE OUTPUT"},
        {{"--size", "1280", "data", "a.mp4"}, "--size"},
        {{"--size", "1280x", "data", "a.mp4"}, "--size"},
        {{"--size", "8x8", "data", "a.mp4"}, "--size"},
        {{"--size", "1280x720x", "data", "a.mp4"}, "--size"},
        {{"--size"}, "--size"},
        {{"--fps", "0", "data", "a.mp4"}, "--fps"},
        {{"--fps", "2.5", "data", "a.mp4"}, "--fps"},
        {{"--supersample", "9", "data", "a.mp4"}, "--supersample"},
        {{"--hold", "-1", "data", "a.mp4"}, "--hold"},
        {{"--glide", "nan", "data", "a.mp4"}, "--glide"},
        {{"--hold", "0", "--glide", "0", "data", "a.mp4"}, "--hold and --glide"},
        {{"--speed", "2", "data", "a.mp4"}, "--speed"},
        {{"--time-limit", "0", "data", "a.mp4"}, "--time-limit"},
        {{"--memory-limit", "a lot", "data", "a.mp4"}, "--memory-limit"},
        {{"data", "a.mp4", "--memory-limit"}, "--memory-limit"},
        {{"data", "a.avi"}, ".mp4, .webm or .gif"},
        {{"data", "mp4"}, ".mp4, .webm or .gif"},
        {{"data", "dir.mp4/film"}, ".mp4, .webm or .gif"},
        {{"--size", "640x481", "data", "a.webm"}, "even"},
    };
    for (const auto& c : cases) {
        const ParseResult result = parse(c.arguments);
        SCOPED_TRACE(c.names);
        EXPECT_EQ(result.kind, ParseResult::Error);
        EXPECT_EQ(result.message.rfind("mirtal-record: ", 0), 0u) << result.message;
        EXPECT_NE(result.message.find(c.names), std::string::npos) << result.message;
        EXPECT_EQ(result.message.find('\n'), std::string::npos) << result.message;
    }
    // The flight alone needs no tour frames.
    EXPECT_EQ(parse({"--flight", "--hold", "0", "--glide", "0", "data", "a.mp4"}).kind, ParseResult::Record);
}

TEST(RecordSettings, ChecksBeforeDrawingInTheOrderAUserFixesThem)
{
    ScopedWorkDir dir;
    ASSERT_EQ(mkdir("scene", 0755), 0);
    writeFile("scene/data_terreno.geo", "");
    ASSERT_EQ(mkdir("empty", 0755), 0);
    ASSERT_EQ(mkdir("bin", 0755), 0);
    writeFile("bin/ffmpeg", "#!/bin/sh\n");
    ASSERT_EQ(chmod("bin/ffmpeg", 0755), 0);
    writeFile("taken.mp4", "x");
    writeFile("plain", "x");
    const std::string path = dir.path() + "/nothing:" + dir.path() + "/bin";

    record::Settings s;
    s.scene = "scene";
    s.output = "film.mp4";
    std::string ffmpeg;
    EXPECT_EQ(record::checkBeforeDrawing(s, path.c_str(), ":0", ffmpeg), "");
    EXPECT_EQ(ffmpeg, dir.path() + "/bin/ffmpeg");

    auto problem = [&](record::Settings changed, const char* searchPath, const char* display) {
        std::string found;
        return record::checkBeforeDrawing(changed, searchPath, display, found);
    };
    auto with = [&](auto change) {
        record::Settings changed = s;
        change(changed);
        return changed;
    };
    EXPECT_NE(problem(with([](auto& c) { c.scene = "nowhere"; }), path.c_str(), ":0").find("does not exist"),
              std::string::npos);
    // A file is a model, to import after every other check: it is not read
    // here, and the output's checks still refuse before any import.
    EXPECT_TRUE(record::isModelFile("plain"));
    EXPECT_FALSE(record::isModelFile("scene"));
    EXPECT_FALSE(record::isModelFile("nowhere"));
    EXPECT_EQ(problem(with([](auto& c) { c.scene = "plain"; }), path.c_str(), ":0"), "");
    EXPECT_NE(problem(with([](auto& c) {
                  c.scene = "plain";
                  c.output = "taken.mp4";
              }),
                      path.c_str(), ":0")
                  .find("--force"),
              std::string::npos);
    EXPECT_NE(problem(with([](auto& c) { c.scene = "plain"; }), path.c_str(), nullptr).find("DISPLAY"),
              std::string::npos);
    EXPECT_NE(problem(with([](auto& c) { c.scene = "empty"; }), path.c_str(), ":0").find("not a scene folder"),
              std::string::npos);
    EXPECT_NE(problem(with([](auto& c) { c.output = "no/film.mp4"; }), path.c_str(), ":0")
                  .find("output folder no does not exist"),
              std::string::npos);
    EXPECT_NE(problem(with([](auto& c) { c.output = "taken.mp4"; }), path.c_str(), ":0").find("--force"),
              std::string::npos);
    EXPECT_EQ(problem(with([](auto& c) {
                  c.output = "taken.mp4";
                  c.force = true;
              }),
                      path.c_str(), ":0"),
              "");
    EXPECT_NE(problem(s, (dir.path() + "/nothing").c_str(), ":0").find("ffmpeg is not on the PATH"),
              std::string::npos);
    EXPECT_NE(problem(s, nullptr, ":0").find("ffmpeg"), std::string::npos);
    EXPECT_NE(problem(s, path.c_str(), nullptr).find("DISPLAY"), std::string::npos);
    // The scene comes first: it is the first name on the command line.
    EXPECT_NE(problem(with([](auto& c) { c.scene = "nowhere"; }), nullptr, nullptr).find("scene"),
              std::string::npos);
    // A file named ffmpeg that cannot run is not ffmpeg.
    ASSERT_EQ(chmod("bin/ffmpeg", 0644), 0);
    EXPECT_EQ(record::findOnPath("ffmpeg", path.c_str()), "");
}

// The tour's placements as the preset views are defined: F1 to F9, then the
// named views in the menu's order.
const float TourPlacements[20][6] = {
    {-5, 170, 6, 0, 0, 0},        {400, 400, 100, 0, 0, 0},     {-200, 100, 20, 0, 100, 0},
    {400, 100, 20, 0, 100, 0},    {50, 430, 20, 50, 0, 0},      {150, -230, 60, 150, 0, 0},
    {-150, 150, 400, -30, 70, 0}, {20, 20, 10, 30, 30, 10},     {90, 90, 10, 50, 50, 10},
    {-200, 100, 20, 0, 100, 0},   {400, 100, 20, 0, 100, 0},    {90, -100, 30, 90, 0, 20},
    {50, 330, 40, 50, 0, 0},      {200, -50, -10, 0, 100, -10}, {10, 10, 30, 30, 30, 10},
    {-500, -10, 15, 0, 0, 15},    {1000, 1000, 2, 400, 0.2f, 22}, {-150, 150, 400, -30, 70, 0},
    {900, 900, 402, -60, -4, 1},  {-500, 1100, 100, -92, 100, 1},
};

bool same(const Point3& p, float x, float y, float z) { return p.x == x && p.y == y && p.z == z; }

double distance(const Point3& a, const Point3& b)
{
    return std::sqrt(double(a.x - b.x) * (a.x - b.x) + double(a.y - b.y) * (a.y - b.y) +
                     double(a.z - b.z) * (a.z - b.z));
}

TEST(RecordPlan, TheTourHoldsEachPresetViewInOrderAndGlidesBetween)
{
    record::Settings s;
    s.content = Content::Tour;
    s.fps = 10;
    s.holdSeconds = 0.5;  // 5 frames
    s.glideSeconds = 0.3; // 3 frames
    const record::FilmPlan plan = record::planFilm(s, Point3(-400, 300, 200), -620);
    ASSERT_EQ(plan.tourFrames, 20 * 5 + 19 * 3);
    EXPECT_EQ(plan.flightFrames, 0);
    ASSERT_EQ(int(plan.frames.size()), plan.tourFrames);
    // The views that record their points (every key view; "Frente  ",
    // "Trás    ", "Lat. Esquerdo", "Alçado  ", "Geral 1 ") move light 1.
    const bool stores[20] = {true, true, true, true, true, true, true, true, true,
                             true, true, false, true, false, true, false, false, true, false, false};
    Point3 light(-400, 300, 200);
    for (int i = 0; i < 20; ++i) {
        SCOPED_TRACE(i);
        const float* p = TourPlacements[i];
        if (stores[i])
            light = Point3(p[0], p[1], p[2]);
        for (int j = 0; j < 5; ++j) {
            const record::FilmFrame& f = plan.frames[std::size_t(i * 8 + j)];
            EXPECT_EQ(f.kind, record::FilmFrame::Hold);
            EXPECT_EQ(f.stop, i);
            EXPECT_TRUE(same(f.placement.eye, p[0], p[1], p[2]));
            EXPECT_TRUE(same(f.placement.look, p[3], p[4], p[5]));
            EXPECT_TRUE(same(f.light, light.x, light.y, light.z));
        }
        if (i < 19) {
            for (int j = 5; j < 8; ++j)
                EXPECT_EQ(plan.frames[std::size_t(i * 8 + j)].kind, record::FilmFrame::Glide);
        }
    }
    // The stops name the program's views: keys 1 to 9, then the menu values.
    const std::vector<record::TourStop> stops = record::tourStops(Point3(-400, 300, 200));
    const int numbers[20] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12};
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(stops[std::size_t(i)].kind,
                  i < 9 ? record::TourStop::FunctionKey : record::TourStop::MenuView);
        EXPECT_EQ(stops[std::size_t(i)].number, numbers[i]);
    }
}

TEST(RecordPlan, GlidesLeaveAndReachEachViewAtRestWithoutAJump)
{
    const std::vector<record::TourStop> stops = record::tourStops(Point3(-400, 300, 200));
    for (int i = 0; i + 1 < int(stops.size()); ++i) {
        SCOPED_TRACE(i);
        const record::FilmFrame start = record::glideFrame(stops, i, 0);
        const record::FilmFrame end = record::glideFrame(stops, i, 1);
        EXPECT_LT(distance(start.placement.eye, stops[std::size_t(i)].placement.eye), 1e-3);
        EXPECT_LT(distance(start.placement.look, stops[std::size_t(i)].placement.look), 1e-3);
        EXPECT_LT(distance(end.placement.eye, stops[std::size_t(i + 1)].placement.eye), 1e-3);
        EXPECT_LT(distance(end.placement.look, stops[std::size_t(i + 1)].placement.look), 1e-3);
        // Eased: the first and last hundredth of the time cover far less
        // than a hundredth of the way (smoothstep: 3 in 10000 of it).
        const double way = distance(stops[std::size_t(i)].placement.eye, stops[std::size_t(i + 1)].placement.eye);
        EXPECT_LT(distance(record::glideFrame(stops, i, 0.01).placement.eye, start.placement.eye), 0.01 * way);
        EXPECT_LT(distance(record::glideFrame(stops, i, 0.99).placement.eye, end.placement.eye), 0.01 * way);
        // At the default 2 s and 30 frames a second, every frame gives the
        // camera a proper frame (eye away from look, not looking straight
        // up or down) and no step is more than a tenth of the way between
        // the two views' eyes plus a little (the curve is no wild loop).
        Point3 before = start.placement.eye;
        for (int j = 1; j <= 60; ++j) {
            const record::FilmFrame f = record::glideFrame(stops, i, j / 61.0);
            const Point3 &e = f.placement.eye, &l = f.placement.look;
            const double dx = double(e.x) - l.x, dy = double(e.y) - l.y, dz = double(e.z) - l.z;
            const double across = std::sqrt(dx * dx + dy * dy);
            EXPECT_GT(across, 0.05 * std::sqrt(dx * dx + dy * dy + dz * dz)) << "frame " << j;
            EXPECT_LT(distance(e, before), 0.1 * way + 1) << "frame " << j;
            before = e;
        }
    }
}

TEST(RecordPlan, TheFlightRunsUntilTheCameraStops)
{
    // From -620 in steps of 10: 51 frames of segment A, one still at -100,
    // 34 of B, one at 250, 49 of C, one at 750, 24 of D, one at 1000, 59 of
    // E; at 1600 the eye stays but the look turns to (40, 40, 20), the last
    // move: 222 frames.
    EXPECT_EQ(record::flightFrameCount(-620, Point3(-400, 300, 200)), 51 + 1 + 34 + 1 + 49 + 1 + 24 + 1 + 59 + 1);
    record::Settings s;
    s.content = Content::Flight;
    const record::FilmPlan flight = record::planFilm(s, Point3(-400, 300, 200), -620);
    EXPECT_EQ(flight.flightFrames, 222);
    EXPECT_EQ(flight.tourFrames, 0);
    ASSERT_EQ(flight.frames.size(), 222u);
    EXPECT_EQ(flight.frames.front().placement.eye.x, -610);
    EXPECT_TRUE(same(flight.frames.back().placement.look, 40, 40, 20));
    // The default film: the tour at 30 frames a second (60 on each of the 20
    // views, 60 for each of the 19 glides), then the flight.
    s.content = Content::TourThenFlight;
    const record::FilmPlan both = record::planFilm(s, Point3(-400, 300, 200), -620);
    EXPECT_EQ(both.tourFrames, 20 * 60 + 19 * 60);
    EXPECT_EQ(both.flightFrames, 222);
    // A flight already over: only its first frame.
    EXPECT_EQ(record::flightFrameCount(2000, Point3(1, 2, 3)), 1);
}

TEST(RecordFrames, TheReductionAveragesEachBlockAndTurnsTheRowsTopFirst)
{
    // Drawn 4 x 4 (bottom row first), reduced with K = 2 to 2 x 2.
    std::vector<std::uint8_t> drawn(4 * 4 * 3);
    auto set = [&](int x, int y, int r, int g, int b) {
        std::uint8_t* p = &drawn[std::size_t(y * 4 + x) * 3];
        p[0] = std::uint8_t(r);
        p[1] = std::uint8_t(g);
        p[2] = std::uint8_t(b);
    };
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            set(x, y, 0, 0, 0);
    // Bottom-left block: 10, 20, 30, 41 in red -> 101 / 4 = 25.25 -> 25.
    set(0, 0, 10, 255, 0);
    set(1, 0, 20, 255, 0);
    set(0, 1, 30, 255, 0);
    set(1, 1, 41, 255, 0);
    // Top-right block: blue 1, 1, 0, 0 -> 0.5 rounds up to 1.
    set(2, 2, 0, 0, 1);
    set(3, 3, 0, 0, 1);
    std::vector<std::uint8_t> frame;
    record::reduceFrame(drawn, 2, 2, 2, frame);
    ASSERT_EQ(frame.size(), 12u);
    // Top row first: the top-right block is pixel 1, the bottom-left pixel 2.
    const std::vector<std::uint8_t> expected = {0, 0, 0, 0, 0, 1, 25, 255, 0, 0, 0, 0};
    EXPECT_EQ(frame, expected);
    // K = 1 only turns the rows.
    record::reduceFrame(drawn, 4, 4, 1, frame);
    EXPECT_EQ(frame[0 * 3 + 2 * 4 * 0], drawn[std::size_t(3 * 4) * 3]);
    EXPECT_EQ(std::vector<std::uint8_t>(frame.end() - 12, frame.end()),
              std::vector<std::uint8_t>(drawn.begin(), drawn.begin() + 12));
}

TEST(RecordProgress, TheBarShowsFramesPercentAndTimeLeft)
{
    const std::string bar = record::Progress::barText(50, 200, 75, 70);
    EXPECT_EQ(bar.size(), 70u);
    EXPECT_NE(bar.find(" 50/200 frames  25%  1:15 left"), std::string::npos) << bar;
    const std::size_t inside = bar.find(']') - 1;
    EXPECT_EQ(std::count(bar.begin(), bar.end(), '#'), long(inside / 4)) << bar;
    EXPECT_NE(record::Progress::barText(0, 10, -1, 70).find("-:-- left"), std::string::npos);
    EXPECT_NE(record::Progress::barText(10, 10, 3725, 70).find("100%  1:02:05 left"), std::string::npos);
}

TEST(RecordEncoder, FfmpegsCommandLineForEachFormat)
{
    record::Settings s;
    s.width = 640;
    s.height = 360;
    s.fps = 25;
    auto joined = [&](Format format, int pass) {
        s.format = format;
        std::string line;
        for (const std::string& a : record::ffmpegArguments("/usr/bin/ffmpeg", s, pass, "OUT", "PAL.png"))
            line += a + " ";
        return line;
    };
    const std::string input = "-f rawvideo -pix_fmt rgb24 -s 640x360 -r 25 -i pipe:0 ";
    const std::string mp4 = joined(Format::Mp4, 2);
    EXPECT_EQ(mp4.rfind("/usr/bin/ffmpeg ", 0), 0u);
    for (const char* part : {input.c_str(), "-c:v libx264 ", "-pix_fmt yuv420p ", "-movflags +faststart ",
                             "-f mp4 -y OUT "})
        EXPECT_NE(mp4.find(part), std::string::npos) << part << " in " << mp4;
    const std::string webm = joined(Format::WebM, 2);
    for (const char* part : {input.c_str(), "-c:v libvpx-vp9 ", "-f webm -y OUT "})
        EXPECT_NE(webm.find(part), std::string::npos) << part << " in " << webm;
    const std::string palette = joined(Format::Gif, 1);
    for (const char* part : {input.c_str(), "palettegen", "-c:v png -y OUT "})
        EXPECT_NE(palette.find(part), std::string::npos) << part << " in " << palette;
    const std::string gif = joined(Format::Gif, 2);
    for (const char* part : {input.c_str(), "-i PAL.png ", "paletteuse", "-loop 0 ", "-f gif -y OUT "})
        EXPECT_NE(gif.find(part), std::string::npos) << part << " in " << gif;
}

} // namespace
