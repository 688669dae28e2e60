// bench_frames: what a frame of the normal mode costs, beside an empty frame,
// and how long the start-up takes, in the real "Mirtal" window.
//   bench_frames DATA_DIR FRAME_COUNT
// It changes into DATA_DIR (where the program finds its files), opens the
// window as the program does, and prints:
//   - start-up: from the start of initScene to the first swapped frame;
//   - the normal-mode frame (stepSun, then displayScene), FRAME_COUNT times;
//   - an empty frame (clear and swap only), FRAME_COUNT times, in the same run.
// Every frame ends with glFinish, so the times are the renderer's real work.
// Run it under tests/with_xvfb.sh (Mesa's software renderer).
#include "app/startup.h"
#include "scene/sky.h"

#include <GL/freeglut.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Frames drawn before timing starts: the driver settles its caches.
constexpr int WarmUpFrames = 10;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct FrameTimes {
    std::vector<double> each;  // ms

    double mean() const
    {
        double sum = 0;
        for (double t : each)
            sum += t;
        return each.empty() ? 0 : sum / double(each.size());
    }
    double percentile(double p) const
    {
        std::vector<double> sorted = each;
        std::sort(sorted.begin(), sorted.end());
        if (sorted.empty())
            return 0;
        return sorted[std::min(sorted.size() - 1, std::size_t(p * double(sorted.size())))];
    }
};

template <typename DrawFrame>
FrameTimes timeFrames(int count, DrawFrame drawFrame)
{
    for (int i = 0; i < WarmUpFrames; ++i) {
        drawFrame();
        glFinish();
    }
    FrameTimes times;
    times.each.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        const Clock::time_point start = Clock::now();
        drawFrame();
        glFinish();
        times.each.push_back(millisecondsSince(start));
    }
    return times;
}

void report(const char* what, const FrameTimes& times)
{
    const double mean = times.mean();
    std::printf("%-34s %8.3f ms a frame (%6.1f frames a second)  median %7.3f  95%% %7.3f  max %7.3f  (%zu frames)\n",
                what, mean, mean > 0 ? 1000.0 / mean : 0.0, times.percentile(0.5),
                times.percentile(0.95), times.percentile(1.0), times.each.size());
}

void emptyFrame()
{
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glutSwapBuffers();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3 || std::atoi(argv[2]) <= 0) {
        std::fprintf(stderr, "usage: bench_frames DATA_DIR FRAME_COUNT\n");
        return 2;
    }
    if (chdir(argv[1]) != 0) {
        std::perror(argv[1]);
        return 2;
    }
    const int frameCount = std::atoi(argv[2]);

    glutInit(&argc, argv);
    createMainWindow();
    glutDisplayFunc([] {});
    // Let the window be mapped and configured, as the event loop would
    // before the first frame; this is not part of the start-up time.
    for (int i = 0; i < 10; ++i)
        glutMainLoopEvent();
    const int width = glutGet(GLUT_WINDOW_WIDTH);
    const int height = glutGet(GLUT_WINDOW_HEIGHT);

    // The reader messages of a scene with missing files would be timed too:
    // they go to the console as in the program.
    const Clock::time_point startUp = Clock::now();
    initScene();
    reshape(width, height);  // GLUT delivers it before the first frame
    displayScene();
    glFinish();
    const double startUpMs = millisecondsSince(startUp);

    const FrameTimes scene = timeFrames(frameCount, [] {
        stepSun();  // the idle callback between two frames
        displayScene();
    });
    const FrameTimes empty = timeFrames(frameCount, emptyFrame);

    std::printf("window %d x %d, renderer %s\n", width, height,
                reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    std::printf("%-34s %8.3f ms\n", "start-up (initScene to 1st frame)", startUpMs);
    report("normal-mode frame (displayScene)", scene);
    report("empty frame (clear and swap)", empty);
    std::printf("%-34s %8.3f ms a frame\n", "scene cost beyond an empty frame",
                scene.mean() - empty.mean());
    return 0;
}
