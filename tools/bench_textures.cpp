// bench_textures: how long the start-up load of the 17 bitmap textures takes.
// Prints milliseconds for reading the files alone (Pixmap::loadBmp on each
// table entry) and, when a display is there, for loadBitmapTextures (read and
// upload) in a real "Mirtal" window.
//   bench_textures [DATA_DIR]
// Without DATA_DIR it writes 17 pictures of 256 x 256 into a temporary folder.
// Run it under tests/with_xvfb.sh for the upload figures.
#include "app/startup.h"
#include "image/bmp_writer.h"
#include "image/textures.h"

#include <GL/freeglut.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <streambuf>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int Rounds = 30;

class NullBuffer : public std::streambuf {
protected:
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

void writeTablePictures(const std::string& dir)
{
    constexpr int Side = 256;
    for (const BitmapTexture& texture : BitmapTextureTable) {
        std::vector<PixelRGB> pixels(Side * Side);
        for (int r = 0; r < Side; ++r)
            for (int c = 0; c < Side; ++c)
                pixels[r * Side + c] = {std::uint8_t(c + texture.slot), std::uint8_t(r),
                                        std::uint8_t(r ^ c)};
        const std::vector<unsigned char> file = encodeBmp24(pixels, Side, Side);
        std::ofstream out(dir + "/" + texture.fileName, std::ios::binary);
        out.write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    }
}

double millisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

void report(const char* what, std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    std::printf("%-44s min %7.3f ms  median %7.3f ms  max %7.3f ms  (%zu rounds)\n", what,
                times.front(), times[times.size() / 2], times.back(), times.size());
}

} // namespace

int main(int argc, char** argv)
{
    std::string dir;
    bool madeDir = false;
    if (argc > 1) {
        dir = argv[1];
    } else {
        char pattern[] = "/tmp/mirtal-bench-XXXXXX";
        if (!mkdtemp(pattern)) {
            std::perror("mkdtemp");
            return 1;
        }
        dir = pattern;
        madeDir = true;
        writeTablePictures(dir);
    }
    if (chdir(dir.c_str()) != 0) {
        std::perror(dir.c_str());
        return 1;
    }
    std::uintmax_t bytes = 0;
    for (const BitmapTexture& texture : BitmapTextureTable) {
        std::error_code error;
        const std::uintmax_t size = std::filesystem::file_size(texture.fileName, error);
        if (!error)
            bytes += size;
    }
    std::printf("17 bitmap textures in %s: %.1f KiB of files\n", dir.c_str(), bytes / 1024.0);

    // The reader's console lines would dominate a terminal; they go nowhere
    // while timing.
    NullBuffer sink;
    std::streambuf* console = std::cout.rdbuf(&sink);

    std::vector<double> readTimes;
    for (int round = 0; round < Rounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        for (const BitmapTexture& texture : BitmapTextureTable) {
            Pixmap pixmap;
            pixmap.loadBmp(texture.fileName);
            delete[] pixmap.pixels;
        }
        readTimes.push_back(millisecondsSince(start));
    }
    std::cout.rdbuf(console);
    report("read 17 files (loadBmp)", readTimes);

    if (std::getenv("DISPLAY")) {
        glutInit(&argc, argv);
        createMainWindow();
        glutDisplayFunc([] {});
        glutMainLoopEvent();

        // The first load costs more than later ones; this tells how much of
        // that is the driver's first texture of the process.
        const auto warmUp = std::chrono::steady_clock::now();
        PixelRGB texel;
        Pixmap one;
        one.pixels = &texel;
        one.rowCount = one.columnCount = 1;
        one.uploadAsTexture(1);
        glFinish();
        report("first upload of the process (1 x 1)", {millisecondsSince(warmUp)});

        std::cout.rdbuf(&sink);
        std::vector<double> firstTime, loadTimes;
        for (int round = 0; round <= Rounds; ++round) {
            const auto start = std::chrono::steady_clock::now();
            loadBitmapTextures();
            glFinish();
            (round == 0 ? firstTime : loadTimes).push_back(millisecondsSince(start));
        }
        std::cout.rdbuf(console);
        report("first loadBitmapTextures (read + upload)", firstTime);
        report("later loadBitmapTextures (read + upload)", loadTimes);
        std::printf("GL renderer: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    } else {
        std::printf("no DISPLAY: upload not measured (run under tests/with_xvfb.sh)\n");
    }

    if (madeDir) {
        std::error_code error;
        std::filesystem::remove_all(dir, error);
    }
    return 0;
}
