// first_swap: a library for LD_PRELOAD that ends a process at its first
// glXSwapBuffers, once that frame has been swapped and has reached the X
// server, and writes how long the process took to get there and its peak
// memory. tools/bench_open.sh measures Mirtal and other model viewers with
// it, all in the same way.
//   FIRST_SWAP_START=$EPOCHREALTIME LD_PRELOAD=libfirst_swap.so PROGRAM ...
// Environment:
//   FIRST_SWAP_START   the wall-clock time (seconds since 1970, as bash's
//                      $EPOCHREALTIME gives it) just before the exec
//   FIRST_SWAP_REPORT  the file to which one line is appended:
//                      "first_swap_ms=T peak_rss_kib=K rss_kib=R"
//                      (T from FIRST_SWAP_START; K and R are VmHWM and VmRSS
//                      of /proc/self/status at that moment)
//   FIRST_SWAP_PICTURE if set, the frame is also written there as a binary
//                      PPM, read from the back buffer just before the swap
//                      (to see what the frame shows; it costs time)
//   FIRST_SWAP_COUNT   if set to N > 1, the process goes on to its N-th swap
//                      and ends there instead (to see what a viewer's later
//                      frames show, and when)
// The process then ends with status 0 at once, with no clean-up of its own.
// Every GL and X function is looked up at run time, so the library links
// only with the dynamic loader and works in any program that has them.
#include "proc_status.h"

#include <GL/glx.h>

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

template <typename Function>
Function lookUp(void* where, const char* name)
{
    return reinterpret_cast<Function>(dlsym(where, name));
}

// The back buffer of the window's framebuffer (a viewer may draw into a
// framebuffer object of its own and copy it there), the window's size, as a
// PPM, top row first.
void writePicture(const char* path, Display* display, GLXDrawable drawable)
{
    using ReadBuffer = void (*)(GLenum);
    using PixelStorei = void (*)(GLenum, GLint);
    using ReadPixels = void (*)(GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, void*);
    using BindFramebuffer = void (*)(GLenum, GLuint);
    const auto readBuffer = lookUp<ReadBuffer>(RTLD_DEFAULT, "glReadBuffer");
    const auto pixelStorei = lookUp<PixelStorei>(RTLD_DEFAULT, "glPixelStorei");
    const auto readPixels = lookUp<ReadPixels>(RTLD_DEFAULT, "glReadPixels");
    const auto procAddress = lookUp<void* (*)(const GLubyte*)>(RTLD_DEFAULT, "glXGetProcAddressARB");
    using GetGeometry = Status (*)(Display*, Drawable, Window*, int*, int*, unsigned*, unsigned*,
                                   unsigned*, unsigned*);
    const auto getGeometry = lookUp<GetGeometry>(RTLD_DEFAULT, "XGetGeometry");
    if (!readBuffer || !pixelStorei || !readPixels || !getGeometry)
        return;
    if (procAddress)
        if (const auto bind = reinterpret_cast<BindFramebuffer>(
                procAddress(reinterpret_cast<const GLubyte*>("glBindFramebuffer"))))
            bind(0x8CA8 /* GL_READ_FRAMEBUFFER */, 0);
    Window root;
    int x, y;
    unsigned width = 0, height = 0, border, depth;
    if (!getGeometry(display, drawable, &root, &x, &y, &width, &height, &border, &depth) ||
        width == 0 || height == 0)
        return;
    std::vector<unsigned char> rgb(std::size_t(width) * std::size_t(height) * 3);
    readBuffer(GL_BACK);
    pixelStorei(GL_PACK_ALIGNMENT, 1);
    readPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    if (std::FILE* file = std::fopen(path, "wb")) {
        std::fprintf(file, "P6\n%u %u\n255\n", width, height);
        for (int row = int(height) - 1; row >= 0; --row)
            std::fwrite(&rgb[std::size_t(row) * std::size_t(width) * 3], 3, std::size_t(width), file);
        std::fclose(file);
    }
}

// Seconds from "S.F" (or "S,F": bash writes $EPOCHREALTIME with the
// locale's decimal point), read by hand since the program may have set a
// locale of its own.
double secondsOf(const char* text)
{
    double seconds = 0, scale = 1;
    bool fraction = false;
    for (const char* c = text; *c; ++c) {
        if (*c == '.' || *c == ',')
            fraction = true;
        else if (*c >= '0' && *c <= '9') {
            if (fraction)
                seconds += (*c - '0') * (scale /= 10);
            else
                seconds = seconds * 10 + (*c - '0');
        }
    }
    return seconds;
}

} // namespace

extern "C" void glXSwapBuffers(Display* display, GLXDrawable drawable)
{
    using SwapBuffers = void (*)(Display*, GLXDrawable);
    static const auto swap = lookUp<SwapBuffers>(RTLD_NEXT, "glXSwapBuffers");
    static int swaps = 0;
    const char* count = std::getenv("FIRST_SWAP_COUNT");
    if (count && ++swaps < std::atoi(count)) {
        if (swap)
            swap(display, drawable);
        return;
    }
    if (const char* picture = std::getenv("FIRST_SWAP_PICTURE"))
        writePicture(picture, display, drawable);
    if (swap)
        swap(display, drawable);
    if (const auto sync = lookUp<int (*)(Display*, Bool)>(RTLD_DEFAULT, "XSync"))
        sync(display, False);

    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const char* start = std::getenv("FIRST_SWAP_START");
    const double ms = start ? (double(now.tv_sec) + double(now.tv_nsec) / 1e9 - secondsOf(start)) * 1000
                            : -1;
    const char* report = std::getenv("FIRST_SWAP_REPORT");
    std::FILE* out = report ? std::fopen(report, "a") : nullptr;
    std::fprintf(out ? out : stderr, "first_swap_ms=%.1f peak_rss_kib=%ld rss_kib=%ld\n", ms,
                 statusKiB("VmHWM"), statusKiB("VmRSS"));
    if (out)
        std::fclose(out);
    _exit(0);
}
