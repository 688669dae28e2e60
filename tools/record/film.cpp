// The run of a film (see record.h): the window and the scene, the plan of
// frames, then each frame drawn, read back, reduced and handed to ffmpeg.
// ffmpeg writes into a hidden file beside OUTPUT, which becomes OUTPUT only
// when the film is whole: an interrupted or failed run leaves no OUTPUT (and
// an OUTPUT replaced with --force stays as it was).
#include "record.h"

#include "app/state.h"

#include <GL/freeglut.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace record {

namespace {

using Clock = std::chrono::steady_clock;

volatile sig_atomic_t interruption = 0;  // the signal that interrupted the run, or 0

void onSignal(int signal) { interruption = signal; }

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A new empty file named after OUTPUT in its folder, hidden, ending with
// `suffix`; "" when it cannot be made.
std::string reserveBeside(const std::string& output, const char* kind, const char* suffix)
{
    const std::size_t slash = output.find_last_of('/');
    const std::string folder = output.substr(0, slash + 1);
    std::string name = folder + "." + output.substr(slash + 1) + "." + kind + "-XXXXXX" + suffix;
    std::vector<char> pattern(name.begin(), name.end());
    pattern.push_back('\0');
    const int fd = mkstemps(pattern.data(), int(std::strlen(suffix)));
    if (fd < 0)
        return "";
    close(fd);
    return pattern.data();
}

// What the program's frames read and write from one frame to the next: the
// sun, the flight, the points of the last view. Kept before the first frame,
// so that a second pass draws the same film.
struct FilmState {
    float sunParam;
    Point3 sunPos, eyePoint, lookPoint;
    float flightParam;

    static FilmState now() { return {::sunParam, ::sunPos, ::eyePoint, ::lookPoint, ::flightParam}; }
    void restore() const
    {
        ::sunParam = sunParam;
        ::sunPos = sunPos;
        ::eyePoint = eyePoint;
        ::lookPoint = lookPoint;
        ::flightParam = flightParam;
        // The program's first frame draws the sun with the texturing that
        // initScene left on; drawSceneLists turns it off.
        glEnable(GL_TEXTURE_2D);
    }
};

struct Times {
    double drawing = 0, readBack = 0, reduction = 0;
};

const char* formatName(Format format)
{
    switch (format) {
    case Format::Mp4:
        return "MP4 (H.264)";
    case Format::WebM:
        return "WebM (VP9)";
    case Format::Gif:
        return "GIF";
    }
    return "";
}

} // namespace

int recordFilm(const Settings& settings, const std::string& ffmpeg, const std::string& output)
{
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A write to an ffmpeg that has ended fails with EPIPE instead.
    signal(SIGPIPE, SIG_IGN);

    int glutArgc = 1;
    char name[] = "mirtal-record";
    char* glutArgv[] = {name, nullptr};
    glutInit(&glutArgc, glutArgv);

    FrameSource source;
    std::string message;
    if (!source.open(settings.width, settings.height, settings.supersample, message)) {
        std::fprintf(stderr, "%s\n", message.c_str());
        return 2;
    }
    source.startScene();
    const FilmState start = FilmState::now();
    const FilmPlan plan = planFilm(settings, start.eyePoint, start.flightParam);
    const std::vector<TourStop> stops = tourStops(start.eyePoint);

    const std::string partial = reserveBeside(output, "partial", "");
    const std::string palette =
        settings.format == Format::Gif ? reserveBeside(output, "palette", ".png") : "";
    if (partial.empty() || (settings.format == Format::Gif && palette.empty())) {
        std::fprintf(stderr, "mirtal-record: cannot make a file beside %s: %s; choose another OUTPUT\n",
                     output.c_str(), std::strerror(errno));
        return 2;
    }
    auto removeScratch = [&] {
        unlink(partial.c_str());
        if (!palette.empty())
            unlink(palette.c_str());
    };

    auto interrupted = [&] {
        removeScratch();
        std::fprintf(stderr, "mirtal-record: interrupted by %s; the partial film was removed and %s "
                             "was not written\n",
                     interruption == SIGINT ? "SIGINT" : "SIGTERM", output.c_str());
        return 128 + interruption;
    };

    const bool terminal = isatty(STDERR_FILENO) != 0;
    const int frameCount = int(plan.frames.size());
    const int passes = settings.format == Format::Gif ? 2 : 1;
    Times times;
    double encoderWait = 0, encoderWrite = 0;
    const Clock::time_point runStart = Clock::now();
    std::vector<std::uint8_t> drawn, frame;
    for (int pass = 3 - passes; pass <= 2; ++pass) {
        start.restore();
        Encoder encoder;
        if (!encoder.start(ffmpegArguments(ffmpeg, settings, pass, pass == 1 ? palette : partial, palette),
                           message)) {
            std::fprintf(stderr, "%s\n", message.c_str());
            removeScratch();
            return 1;
        }
        Progress progress(stderr, terminal, frameCount,
                          passes == 2 ? (pass == 1 ? "palette" : "film") : "film");
        bool stopped = false;
        for (int i = 0; i < frameCount && !interruption; ++i) {
            const FilmFrame& planned = plan.frames[std::size_t(i)];
            Clock::time_point t = Clock::now();
            if (planned.kind == FilmFrame::Flight && i == 0)
                source.openWithFlight();
            if (planned.kind == FilmFrame::Flight)
                source.drawFlightFrame();
            else
                source.drawTourFrame(stops, planned);
            source.finish();
            times.drawing += secondsSince(t);
            t = Clock::now();
            source.readBack(drawn);
            times.readBack += secondsSince(t);
            t = Clock::now();
            reduceFrame(drawn, settings.width, settings.height, settings.supersample, frame);
            times.reduction += secondsSince(t);
            if (!encoder.submit(frame, interruption)) {
                stopped = true;
                break;
            }
            progress.update(i + 1);
        }
        if (interruption) {
            encoder.abort();
            progress.finish();
            return interrupted();
        }
        if (!stopped)
            progress.finish();
        if (!encoder.finish(message) || stopped) {
            if (message.empty())
                message = "mirtal-record: ffmpeg stopped taking frames; its message is above";
            std::fprintf(stderr, "%s\n", message.c_str());
            removeScratch();
            return 1;
        }
        encoderWait += encoder.waitSeconds();
        encoderWrite += encoder.writeSeconds();
    }
    // A signal while ffmpeg was closing the film still stops the run.
    if (interruption)
        return interrupted();
    if (std::rename(partial.c_str(), output.c_str()) != 0) {
        std::fprintf(stderr, "mirtal-record: cannot name the film %s: %s\n", output.c_str(),
                     std::strerror(errno));
        removeScratch();
        return 1;
    }
    // mkstemp made the film private; a film is for showing.
    const mode_t mask = umask(0);
    umask(mask);
    chmod(output.c_str(), 0666 & ~mask);
    if (!palette.empty())
        unlink(palette.c_str());

    const double wall = secondsSince(runStart);
    const double drawnFrames = double(frameCount) * passes;
    const double ms = 1000 / (drawnFrames > 0 ? drawnFrames : 1);
    std::fprintf(stderr,
                 "mirtal-record: wrote %s, %s, %d frames (%d of the tour, %d of the flight), "
                 "%d x %d at %d frames a second, drawn at %d x %d\n",
                 output.c_str(), formatName(settings.format), frameCount, plan.tourFrames,
                 plan.flightFrames, settings.width, settings.height, settings.fps,
                 source.drawnWidth(), source.drawnHeight());
    std::fprintf(stderr,
                 "mirtal-record: %.1f s in all (%d pass%s); a frame: drawing %.1f ms, read-back %.1f ms, "
                 "reduction %.1f ms, waiting for ffmpeg %.1f ms (ffmpeg took in a frame in %.1f ms)\n",
                 wall, passes, passes == 2 ? "es" : "", times.drawing * ms, times.readBack * ms,
                 times.reduction * ms, encoderWait * ms, encoderWrite * ms);
    return 0;
}

} // namespace record
