// Frames drawn by the program's own code (see record.h): its initScene, its
// preset views, its normal-mode frame displayScene and its flight frame
// displayFlight, into a framebuffer object of any size, so that neither the
// screen's size nor windows in front of ours change a pixel.
#include "record.h"

#include "app/startup.h"
#include "app/state.h"
#include "app/views.h"
#include "flight/flight.h"
#include "scene/sky.h"

#include <GL/freeglut.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstring>

namespace record {

namespace {

// GL_EXT_framebuffer_object's entry points, fetched at run time: the
// program's GL is version 1.1, where they are an extension.
PFNGLGENFRAMEBUFFERSEXTPROC genFramebuffers;
PFNGLBINDFRAMEBUFFEREXTPROC bindFramebuffer;
PFNGLGENRENDERBUFFERSEXTPROC genRenderbuffers;
PFNGLBINDRENDERBUFFEREXTPROC bindRenderbuffer;
PFNGLRENDERBUFFERSTORAGEEXTPROC renderbufferStorage;
PFNGLFRAMEBUFFERRENDERBUFFEREXTPROC framebufferRenderbuffer;
PFNGLCHECKFRAMEBUFFERSTATUSEXTPROC checkFramebufferStatus;

template <typename Function>
bool fetch(Function& function, const char* name)
{
    function = reinterpret_cast<Function>(glutGetProcAddress(name));
    return function != nullptr;
}

bool hasExtension(const char* name)
{
    const char* all = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (!all)
        return false;
    const std::string list = std::string(" ") + all + " ";
    return list.find(std::string(" ") + name + " ") != std::string::npos;
}

} // namespace

bool FrameSource::open(int width, int height, int supersample, std::string& message)
{
    width_ = width;
    height_ = height;
    k_ = supersample;

    // The program's display mode; the window only carries the context and
    // is never shown.
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(64, 64);
    glutCreateWindow("mirtal-record");
    glutHideWindow();
    // freeglut insists on a display callback before it handles events.
    glutDisplayFunc([] {});
    for (int i = 0; i < 5; ++i)
        glutMainLoopEvent();

    if (!hasExtension("GL_EXT_framebuffer_object") ||
        !fetch(genFramebuffers, "glGenFramebuffersEXT") ||
        !fetch(bindFramebuffer, "glBindFramebufferEXT") ||
        !fetch(genRenderbuffers, "glGenRenderbuffersEXT") ||
        !fetch(bindRenderbuffer, "glBindRenderbufferEXT") ||
        !fetch(renderbufferStorage, "glRenderbufferStorageEXT") ||
        !fetch(framebufferRenderbuffer, "glFramebufferRenderbufferEXT") ||
        !fetch(checkFramebufferStatus, "glCheckFramebufferStatusEXT")) {
        message = "mirtal-record: this OpenGL has no framebuffer objects "
                  "(GL_EXT_framebuffer_object); update the graphics driver";
        return false;
    }

    GLint largest = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE_EXT, &largest);
    GLint viewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    const int drawnW = drawnWidth(), drawnH = drawnHeight();
    if (drawnW > largest || drawnH > largest || drawnW > viewport[0] || drawnH > viewport[1]) {
        message = "mirtal-record: frames of " + std::to_string(drawnW) + " x " +
                  std::to_string(drawnH) + " pixels (--size times --supersample) are more than this "
                  "OpenGL draws (" + std::to_string(std::min(largest, std::min(viewport[0], viewport[1]))) +
                  "); choose a smaller --size or --supersample";
        return false;
    }

    GLuint framebuffer = 0, colour = 0, depth = 0;
    genFramebuffers(1, &framebuffer);
    bindFramebuffer(GL_FRAMEBUFFER_EXT, framebuffer);
    genRenderbuffers(1, &colour);
    bindRenderbuffer(GL_RENDERBUFFER_EXT, colour);
    renderbufferStorage(GL_RENDERBUFFER_EXT, GL_RGBA8, drawnW, drawnH);
    framebufferRenderbuffer(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_RENDERBUFFER_EXT, colour);
    genRenderbuffers(1, &depth);
    bindRenderbuffer(GL_RENDERBUFFER_EXT, depth);
    renderbufferStorage(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT24, drawnW, drawnH);
    framebufferRenderbuffer(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT, depth);
    if (checkFramebufferStatus(GL_FRAMEBUFFER_EXT) != GL_FRAMEBUFFER_COMPLETE_EXT) {
        message = "mirtal-record: this OpenGL cannot draw into a framebuffer object of " +
                  std::to_string(drawnW) + " x " + std::to_string(drawnH) +
                  " pixels; choose a smaller --size or --supersample";
        return false;
    }
    // Drawn and read from the object, never from the window.
    glDrawBuffer(GL_COLOR_ATTACHMENT0_EXT);
    glReadBuffer(GL_COLOR_ATTACHMENT0_EXT);
    return true;
}

void FrameSource::startScene()
{
    initScene();
    // As GLUT delivers a reshape before the program's first frame.
    reshape(drawnWidth(), drawnHeight());
}

void FrameSource::drawTourFrame(const std::vector<TourStop>& stops, const FilmFrame& frame)
{
    stepSun();
    if (frame.kind == FilmFrame::Hold) {
        const TourStop& stop = stops[std::size_t(frame.stop)];
        if (stop.kind == TourStop::FunctionKey)
            showFunctionKeyView(stop.number);
        else
            showMenuView(stop.number);
    } else {
        // Between two views light 1 moves from one view's eyePoint to the
        // next one's, so that the light does not jump when the view is
        // reached.
        eyePoint = frame.light;
        camera.set(frame.placement.eye, frame.placement.look, Vector3(0, 0, 1));
    }
    displayScene();
}

void FrameSource::openWithFlight() { stepSun(); }

void FrameSource::drawFlightFrame() { displayFlight(); }

void FrameSource::finish() { glFinish(); }

void FrameSource::readBack(std::vector<std::uint8_t>& drawn)
{
    drawn.resize(std::size_t(drawnWidth()) * std::size_t(drawnHeight()) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, drawnWidth(), drawnHeight(), GL_RGB, GL_UNSIGNED_BYTE, drawn.data());
}

void reduceFrame(const std::vector<std::uint8_t>& drawn, int width, int height, int k,
                 std::vector<std::uint8_t>& frame)
{
    frame.resize(std::size_t(width) * std::size_t(height) * 3);
    const std::size_t drawnRowBytes = std::size_t(width) * std::size_t(k) * 3;
    if (k == 1) {
        // Nothing to average: the rows turned only.
        for (int y = 0; y < height; ++y)
            std::memcpy(&frame[std::size_t(y) * drawnRowBytes],
                        &drawn[std::size_t(height - 1 - y) * drawnRowBytes], drawnRowBytes);
        return;
    }
    const unsigned area = unsigned(k * k);
    // The K drawn rows of one film row summed byte by byte first (a loop the
    // compiler vectorises), then K neighbouring pixels of the sum.
    std::vector<unsigned> rowSum(drawnRowBytes);
    for (int y = 0; y < height; ++y) {
        // The drawn rows are bottom-up; the film's top row is drawn last.
        const std::uint8_t* in = &drawn[std::size_t(height - 1 - y) * std::size_t(k) * drawnRowBytes];
        for (std::size_t i = 0; i < drawnRowBytes; ++i)
            rowSum[i] = in[i];
        for (int dy = 1; dy < k; ++dy) {
            in += drawnRowBytes;
            for (std::size_t i = 0; i < drawnRowBytes; ++i)
                rowSum[i] += in[i];
        }
        std::uint8_t* out = &frame[std::size_t(y) * std::size_t(width) * 3];
        const unsigned* sum = rowSum.data();
        for (int x = 0; x < width; ++x, out += 3) {
            unsigned r = 0, g = 0, b = 0;
            for (int dx = 0; dx < k; ++dx, sum += 3) {
                r += sum[0];
                g += sum[1];
                b += sum[2];
            }
            out[0] = std::uint8_t((r + area / 2) / area);
            out[1] = std::uint8_t((g + area / 2) / area);
            out[2] = std::uint8_t((b + area / 2) / area);
        }
    }
}

} // namespace record
