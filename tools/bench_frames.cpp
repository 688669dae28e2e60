// bench_frames: what a frame of the normal mode costs, beside an empty frame,
// and how long the start-up takes, in the real "Mirtal" window.
//   bench_frames DATA_DIR FRAME_COUNT
// It changes into DATA_DIR (where the program finds its files), opens the
// window as the program does, and prints:
//   - start-up: from the start of initScene to the first swapped frame;
//   - the normal-mode frame (stepSun, then displayScene), FRAME_COUNT times;
//   - an empty frame (clear and swap only), FRAME_COUNT times, in the same run;
//   - frames that call one scene list alone (quads, terrain, sky), as many;
//   - memory after start-up: the process's VmRSS and VmHWM, the heap that
//     initScene and the first frame added (malloc's count, which holds
//     Mesa's display lists and, with llvmpipe, the texture images), and the
//     texture images' share of it from the GL's own level sizes;
//   - the start-up steps one at a time, run a second time after everything
//     else (warm file cache): the two readers alone, then loadBitmapTextures,
//     loadQuadModel and loadTerrainPatches each with its GL work.
// Every frame ends with glFinish, so the times are the renderer's real work.
// The last line, "summary: key=value ...", is for tools/bench_scale.sh.
// Run it under tests/with_xvfb.sh (Mesa's software renderer).
#include "app/startup.h"
#include "app/state.h"
#include "image/textures.h"
#include "scene/quad_model.h"
#include "scene/quad_model_file.h"
#include "scene/sky.h"
#include "scene/terrain.h"
#include "scene/terrain_file.h"
#include "proc_status.h"

#include <GL/freeglut.h>

#include <malloc.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Frames drawn before timing starts, so that the driver settles its caches:
// this many, or as many as are timed if that is fewer (a huge scene).
constexpr int WarmUpFrames = 10;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Processor time of the whole process, every thread (llvmpipe rasterizes on
// threads of its own), user and system, in ms. Beside the wall-clock times it
// tells the work from the waiting when other programs load the machine.
double processorMilliseconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto ms = [](const timeval& t) { return double(t.tv_sec) * 1000 + double(t.tv_usec) / 1000; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

struct FrameTimes {
    std::vector<double> each;  // ms
    double processorMs = 0;    // the process's processor time over all the timed frames

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
    for (int i = 0; i < std::min(WarmUpFrames, count); ++i) {
        drawFrame();
        glFinish();
    }
    FrameTimes times;
    times.each.reserve(std::size_t(count));
    const double processorStart = processorMilliseconds();
    for (int i = 0; i < count; ++i) {
        const Clock::time_point start = Clock::now();
        drawFrame();
        glFinish();
        times.each.push_back(millisecondsSince(start));
    }
    times.processorMs = processorMilliseconds() - processorStart;
    return times;
}

void report(const char* what, const FrameTimes& times)
{
    const double mean = times.mean();
    std::printf("%-34s %8.3f ms a frame (%6.1f frames a second)  median %7.3f  95%% %7.3f  max %7.3f  (%zu frames)\n",
                what, mean, mean > 0 ? 1000.0 / mean : 0.0, times.percentile(0.5),
                times.percentile(0.95), times.percentile(1.0), times.each.size());
    std::printf("%-34s %8.3f ms of processor time a frame, all threads\n", "",
                times.processorMs / double(times.each.size()));
}

// Bytes that malloc has handed out and not had back, mmapped blocks included.
double heapInUseBytes()
{
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks) + double(info.hblkhd);
}

// Level 0 of every texture object the scene names: the bitmaps 2001..2017
// and the raw images 2100..2104. Bytes a texel are the GL's component sizes
// rounded up to a power of two (an RGB image of 8-bit components is kept in
// 4 bytes by llvmpipe). No object has further levels.
double textureImageBytes()
{
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    std::vector<GLuint> ids;
    for (GLuint id = 2001; id <= 2017; ++id)
        ids.push_back(id);
    for (GLuint id = 2100; id <= 2104; ++id)
        ids.push_back(id);
    double bytes = 0;
    for (GLuint id : ids) {
        if (!glIsTexture(id))
            continue;
        glBindTexture(GL_TEXTURE_2D, id);
        GLint width = 0, height = 0, bits = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
        for (GLenum size : {GL_TEXTURE_RED_SIZE, GL_TEXTURE_GREEN_SIZE, GL_TEXTURE_BLUE_SIZE,
                            GL_TEXTURE_ALPHA_SIZE, GL_TEXTURE_LUMINANCE_SIZE}) {
            GLint component = 0;
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, size, &component);
            bits += component;
        }
        int texelBytes = 1;
        while (texelBytes * 8 < bits)
            texelBytes *= 2;
        bytes += double(width) * double(height) * texelBytes;
    }
    glBindTexture(GL_TEXTURE_2D, GLuint(previous));
    return bytes;
}

// Wall-clock and processor milliseconds of one start-up step.
struct StepTime {
    double wall = 0;
    double processor = 0;
};

template <typename Step>
StepTime timeStep(Step step)
{
    const double processorStart = processorMilliseconds();
    const Clock::time_point start = Clock::now();
    step();
    glFinish();
    return {millisecondsSince(start), processorMilliseconds() - processorStart};
}

void reportStep(const char* what, const StepTime& time, const char* after)
{
    std::printf("%-34s %8.3f ms (%.3f ms of processor time)%s\n", what, time.wall,
                time.processor, after);
}

constexpr double MiB = 1024.0 * 1024.0;

// A normal-mode frame that calls one scene list alone, where drawSceneLists
// calls all three: what each list costs of a frame.
void oneListFrame(GLuint list)
{
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    drawSunAndLights();
    glPushMatrix();
    glRotatef(90, 1, 0, 0);
    glEnable(GL_TEXTURE_2D);
    glCallList(list);
    glDisable(GL_TEXTURE_2D);
    glPopMatrix();
    glutSwapBuffers();
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
    const double heapBefore = heapInUseBytes();
    const double processorBefore = processorMilliseconds();
    const Clock::time_point startUp = Clock::now();
    initScene();
    reshape(width, height);  // GLUT delivers it before the first frame
    glFinish();
    const double initSceneMs = millisecondsSince(startUp);
    const double heapAddedByInitScene = heapInUseBytes() - heapBefore;
    displayScene();
    glFinish();
    const double startUpMs = millisecondsSince(startUp);
    const double startUpProcessorMs = processorMilliseconds() - processorBefore;
    const double heapAdded = heapInUseBytes() - heapBefore;
    const long rssKiB = statusKiB("VmRSS");
    const long hwmKiB = statusKiB("VmHWM");
    const double textureBytes = textureImageBytes();

    const FrameTimes scene = timeFrames(frameCount, [] {
        stepSun();  // the idle callback between two frames
        displayScene();
    });
    const double heapAfterFrames = heapInUseBytes();
    const long rssAfterFramesKiB = statusKiB("VmRSS");
    const FrameTimes empty = timeFrames(frameCount, emptyFrame);
    const FrameTimes quadFrames = timeFrames(frameCount, [] { oneListFrame(quadListBase); });
    const FrameTimes terrainFrames = timeFrames(frameCount, [] { oneListFrame(terrainList); });
    const FrameTimes skyFrames = timeFrames(frameCount, [] { oneListFrame(skyList); });

    std::printf("window %d x %d, renderer %s\n", width, height,
                reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    std::printf("%-34s %8.3f ms (initScene %.3f ms, 1st frame %.3f ms)\n",
                "start-up (initScene to 1st frame)", startUpMs, initSceneMs,
                startUpMs - initSceneMs);
    std::printf("%-34s %8.3f ms of processor time, all threads\n", "", startUpProcessorMs);
    report("normal-mode frame (displayScene)", scene);
    report("empty frame (clear and swap)", empty);
    std::printf("%-34s %8.3f ms a frame\n", "scene cost beyond an empty frame",
                scene.mean() - empty.mean());
    report("frame of the quad list alone", quadFrames);
    report("frame of the terrain list alone", terrainFrames);
    report("frame of the sky list alone", skyFrames);
    std::printf("%-34s %8.2f\n", "scene frame / empty frame", scene.mean() / empty.mean());
    std::printf("%-34s %8.1f MiB VmRSS, %.1f MiB VmHWM\n", "memory after start-up",
                double(rssKiB) / 1024, double(hwmKiB) / 1024);
    std::printf("%-34s %8.1f MiB VmRSS, heap %+.1f MiB since start-up\n",
                "memory after the scene frames", double(rssAfterFramesKiB) / 1024,
                (heapAfterFrames - heapBefore - heapAdded) / MiB);
    std::printf("%-34s %8.1f MiB (initScene %.1f MiB, of which texture images %.1f MiB; "
                "1st frame %.1f MiB)\n",
                "heap added by start-up", heapAdded / MiB, heapAddedByInitScene / MiB,
                textureBytes / MiB, (heapAdded - heapAddedByInitScene) / MiB);

    // The steps again, one by one. The new lists replace the scene's; the
    // old ones stay, as nothing is freed, and no frame is drawn after this.
    std::vector<QuadRecord> quads;
    std::vector<TerrainPatch> patches;
    const StepTime readQuads = timeStep([&] { readQuadModelFile("data_textura.geo", quads); });
    const StepTime readPatches = timeStep([&] { readTerrainFile("data_terreno.geo", patches); });
    const StepTime textures = timeStep(loadBitmapTextures);
    const double heapBeforeQuads = heapInUseBytes();
    const StepTime quadList = timeStep([] { loadQuadModel("data_textura.geo"); });
    const double heapBeforePatches = heapInUseBytes();
    const StepTime terrain = timeStep([] { loadTerrainPatches("data_terreno.geo"); });
    const double heapAfterPatches = heapInUseBytes();
    const double quadListBytes = heapBeforePatches - heapBeforeQuads;
    const double terrainListBytes = heapAfterPatches - heapBeforePatches;
    std::printf("scene: %zu quads, %zu patches; the start-up steps again:\n", quads.size(),
                patches.size());
    reportStep("read data_textura.geo", readQuads, "");
    reportStep("read data_terreno.geo", readPatches, "");
    reportStep("loadBitmapTextures", textures, "");
    std::printf("%-34s %8.3f ms (%.3f ms of processor time), list %.2f MiB of heap\n",
                "loadQuadModel (read + list)", quadList.wall, quadList.processor,
                quadListBytes / MiB);
    std::printf("%-34s %8.3f ms (%.3f ms of processor time), list %.2f MiB of heap\n",
                "loadTerrainPatches (read + list)", terrain.wall, terrain.processor,
                terrainListBytes / MiB);

    std::printf("summary: quads=%zu patches=%zu startup_ms=%.1f init_scene_ms=%.1f "
                "first_frame_ms=%.1f startup_cpu_ms=%.1f frame_ms=%.3f frame_cpu_ms=%.3f "
                "empty_ms=%.3f quad_frame_ms=%.3f terrain_frame_ms=%.3f sky_frame_ms=%.3f "
                "ratio=%.2f rss_mib=%.1f hwm_mib=%.1f rss_after_frames_mib=%.1f "
                "heap_mib=%.1f init_heap_mib=%.1f texture_mib=%.1f quad_list_mib=%.2f "
                "terrain_list_mib=%.2f read_quads_ms=%.1f read_quads_cpu_ms=%.1f "
                "read_patches_ms=%.1f read_patches_cpu_ms=%.1f load_quads_ms=%.1f "
                "load_quads_cpu_ms=%.1f load_patches_ms=%.1f load_patches_cpu_ms=%.1f\n",
                quads.size(), patches.size(), startUpMs, initSceneMs, startUpMs - initSceneMs,
                startUpProcessorMs, scene.mean(), scene.processorMs / double(scene.each.size()),
                empty.mean(), quadFrames.mean(), terrainFrames.mean(), skyFrames.mean(),
                scene.mean() / empty.mean(), double(rssKiB) / 1024, double(hwmKiB) / 1024,
                double(rssAfterFramesKiB) / 1024, heapAdded / MiB, heapAddedByInitScene / MiB,
                textureBytes / MiB, quadListBytes / MiB, terrainListBytes / MiB, readQuads.wall,
                readQuads.processor, readPatches.wall, readPatches.processor, quadList.wall,
                quadList.processor, terrain.wall, terrain.processor);
    return 0;
}
