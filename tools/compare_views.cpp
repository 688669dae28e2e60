// compare_views: how far the pictures of one scene folder lie from another's,
// in the nine function-key views, drawn by the program's own start-up and
// frame in the real "Mirtal" window.
//   compare_views BEFORE_DIR AFTER_DIR [--other-diagonal] [--pictures DIR]
// For each view (F1 to F9, the sun one step up, as after the program's first
// idle call) it prints the share of the picture that the model covers in
// BEFORE_DIR (where its frame differs from one of the lawn alone, the quads
// of texture 2008), the share of pixels that differ at all, the share that
// differ by more than 25 of 255 in a channel (a tenth, the threshold of
// golden-image tests), that share again among the model's pixels, the mean
// difference a channel and the largest.
// --other-diagonal draws AFTER_DIR's quads from their second corner (v2 v3
// v4 v1) with the normal of corners 1 to 3 as read, as a driver would that
// splits a quad of a display list along v1-v3 where Mesa's llvmpipe splits
// it along v2-v4. --pictures writes each view of both folders and their
// difference (ten times, as grey) as PNG files into DIR.
// Run it under tests/with_xvfb.sh (Mesa's software renderer).
#include "app/startup.h"
#include "app/state.h"
#include "app/views.h"
#include "scene/face_normal.h"
#include "scene/quad_model_file.h"
#include "scene/sky.h"

#include <GL/freeglut.h>
#include <stb_image_write.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int ChannelThreshold = 25;  // of 255

struct Frame {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;  // bottom row first
};

constexpr int LawnTexture = 2008;

// The quad list again: each quad's corners sent from its second (with the
// normal of its corners 1 to 3 as the program computes it), or the lawn's
// quads alone.
void recompileQuads(bool fromSecondCorner, bool lawnOnly)
{
    std::vector<QuadRecord> quads;
    readQuadModelFile("data_textura.geo", quads);
    glNewList(quadListBase, GL_COMPILE);
    for (const QuadRecord& q : quads) {
        if (lawnOnly && q.texture != LawnTexture)
            continue;
        const int first = fromSecondCorner ? 1 : 0;
        float points[9], normal[3];
        std::memcpy(points, q.vertices, sizeof points);
        faceNormal(points, normal);
        glBindTexture(GL_TEXTURE_2D, GLuint(q.texture));
        glBegin(GL_QUADS);
        glNormal3fv(normal);
        for (int k = first; k < first + 4; ++k) {
            glTexCoord2fv(q.texCoords[k % 4]);
            glVertex3fv(q.vertices[k % 4]);
        }
        glEnd();
    }
    glEndList();
}

// The nine views of the scene in folder `dir`.
Frame drawView(int view, int width, int height)
{
    showFunctionKeyView(view);
    sunParam = 0;
    stepSun();
    displayScene();
    glFinish();
    Frame f;
    f.width = width;
    f.height = height;
    f.rgb.resize(std::size_t(width) * height * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, f.rgb.data());
    return f;
}

// The nine views of the scene in folder `dir`, and with `lawn` those of its
// lawn alone.
std::vector<Frame> drawViews(const char* dir, bool fromSecondCorner, int width, int height,
                             std::vector<Frame>* lawn = nullptr)
{
    if (chdir(dir) != 0) {
        std::perror(dir);
        std::exit(2);
    }
    // The BMP reader's lines would mix with the table.
    std::fflush(stdout);
    const int console = dup(1), quiet = open("/dev/null", O_WRONLY);
    dup2(quiet, 1);
    initScene();
    std::fflush(stdout);
    dup2(console, 1);
    close(quiet);
    close(console);
    if (fromSecondCorner)
        recompileQuads(true, false);
    reshape(width, height);

    std::vector<Frame> frames;
    for (int view = 1; view <= FunctionKeyViewCount; ++view)
        frames.push_back(drawView(view, width, height));
    if (lawn) {
        recompileQuads(false, true);
        for (int view = 1; view <= FunctionKeyViewCount; ++view)
            lawn->push_back(drawView(view, width, height));
    }
    return frames;
}

// The largest difference of the three channels at byte offset p.
int pixelDifference(const Frame& a, const Frame& b, std::size_t p)
{
    int most = 0;
    for (int c = 0; c < 3; ++c)
        most = std::max(most, std::abs(int(a.rgb[p + c]) - int(b.rgb[p + c])));
    return most;
}

void writePng(const std::string& path, const Frame& f)
{
    // PNG rows go top first.
    const std::size_t row = std::size_t(f.width) * 3;
    std::vector<unsigned char> flipped(f.rgb.size());
    for (int y = 0; y < f.height; ++y)
        std::memcpy(&flipped[std::size_t(y) * row], &f.rgb[std::size_t(f.height - 1 - y) * row], row);
    if (!stbi_write_png(path.c_str(), f.width, f.height, 3, flipped.data(), int(row)))
        std::fprintf(stderr, "compare_views: cannot write %s\n", path.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> folders;
    bool otherDiagonal = false;
    std::string pictures;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--other-diagonal")
            otherDiagonal = true;
        else if (arg == "--pictures" && i + 1 < argc)
            pictures = argv[++i];
        else
            folders.push_back(arg);
    }
    if (folders.size() != 2) {
        std::fprintf(stderr, "usage: compare_views BEFORE_DIR AFTER_DIR [--other-diagonal] [--pictures DIR]\n");
        return 2;
    }
    char start[4096];
    if (!getcwd(start, sizeof start))
        return 2;
    // Folders given relative to where the tool starts.
    for (std::string& f : folders)
        if (f[0] != '/')
            f = std::string(start) + "/" + f;
    if (!pictures.empty() && pictures[0] != '/')
        pictures = std::string(start) + "/" + pictures;

    glutInit(&argc, argv);
    createMainWindow();
    glutDisplayFunc([] {});
    for (int i = 0; i < 10; ++i)
        glutMainLoopEvent();
    const int width = glutGet(GLUT_WINDOW_WIDTH), height = glutGet(GLUT_WINDOW_HEIGHT);

    std::vector<Frame> lawn;
    const std::vector<Frame> before = drawViews(folders[0].c_str(), false, width, height, &lawn);
    const std::vector<Frame> after = drawViews(folders[1].c_str(), otherDiagonal, width, height);

    std::printf("%s against %s%s, %d x %d pixels\n", folders[1].c_str(), folders[0].c_str(),
                otherDiagonal ? " (its quads from their second corner)" : "", width, height);
    std::printf("view  model  differ  over %d  of the model   mean   max\n", ChannelThreshold);
    for (int v = 0; v < FunctionKeyViewCount; ++v) {
        const Frame &a = before[std::size_t(v)], &b = after[std::size_t(v)];
        std::size_t model = 0, differ = 0, over = 0, overOnModel = 0;
        double sum = 0;
        int worst = 0;
        Frame difference = a;
        for (std::size_t p = 0; p < a.rgb.size(); p += 3) {
            const bool onModel = pixelDifference(a, lawn[std::size_t(v)], p) > 0;
            const int most = pixelDifference(a, b, p);
            for (int c = 0; c < 3; ++c)
                sum += std::abs(int(a.rgb[p + c]) - int(b.rgb[p + c]));
            model += onModel;
            differ += most > 0;
            over += most > ChannelThreshold;
            overOnModel += onModel && most > ChannelThreshold;
            worst = std::max(worst, most);
            const unsigned char grey = (unsigned char)std::min(255, 10 * most);
            difference.rgb[p] = difference.rgb[p + 1] = difference.rgb[p + 2] = grey;
        }
        const double pixels = double(a.rgb.size() / 3);
        std::printf("F%d   %5.1f%%  %5.2f%%  %6.2f%%  %8.2f%%    %5.2f  %4d\n", v + 1,
                    100 * double(model) / pixels, 100 * double(differ) / pixels,
                    100 * double(over) / pixels,
                    model ? 100 * double(overOnModel) / double(model) : 0.0,
                    sum / double(a.rgb.size()), worst);
        if (!pictures.empty()) {
            const std::string stem = pictures + "/f" + std::to_string(v + 1);
            writePng(stem + "-before.png", a);
            writePng(stem + "-after.png", b);
            writePng(stem + "-difference.png", difference);
        }
    }
    return 0;
}
