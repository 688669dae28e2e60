// The BMP reader without a display: sizes, pixel order, row padding, the
// console messages byte for byte, the files it refuses, and the public BMP
// Suite corpus.
#include "image/bmp_reader.h"
#include "image/bmp_writer.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

// A pixmap whose pixel array the test frees (the program's never are).
struct ScratchPixmap {
    Pixmap pixmap;
    ScratchPixmap() = default;
    ScratchPixmap(const ScratchPixmap&) = delete;
    ScratchPixmap& operator=(const ScratchPixmap&) = delete;
    ~ScratchPixmap() { delete[] pixmap.pixels; }
};

struct Load {
    int result;
    std::string output;  // what the reader wrote to standard output
};

Load load(Pixmap& pixmap, const std::string& fileName)
{
    testing::internal::CaptureStdout();
    const int result = pixmap.loadBmp(fileName);
    return {result, testing::internal::GetCapturedStdout()};
}

std::vector<unsigned char> bytesOf(const Pixmap& pixmap)
{
    if (!pixmap.pixels)
        return {};
    const auto* begin = reinterpret_cast<const unsigned char*>(pixmap.pixels);
    return {begin, begin + 3 * std::size_t(pixmap.rowCount) * std::size_t(pixmap.columnCount)};
}

// A picture in which every pixel differs from its neighbours, row 0 at the bottom.
std::vector<PixelRGB> pattern(int rows, int columns)
{
    std::vector<PixelRGB> pixels(std::size_t(rows) * columns);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            pixels[std::size_t(r) * columns + c] = {std::uint8_t(17 * c + 1),
                                                   std::uint8_t(29 * r + 2),
                                                   std::uint8_t(c * r + 3)};
    return pixels;
}

std::vector<unsigned char> bytesOf(const std::vector<PixelRGB>& pixels)
{
    const auto* begin = reinterpret_cast<const unsigned char*>(pixels.data());
    return {begin, begin + 3 * pixels.size()};
}

void put32(std::vector<unsigned char>& file, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        file[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

void expectUntouched(const Pixmap& pixmap)
{
    EXPECT_EQ(pixmap.rowCount, 0);
    EXPECT_EQ(pixmap.columnCount, 0);
    EXPECT_EQ(pixmap.pixels, nullptr);
}

class BmpReaderTest : public testing::Test {
protected:
    ScopedWorkDir dir_;
};

TEST_F(BmpReaderTest, ReadsTheSizeAndPrintsIt)
{
    writeFile("wide.bmp", encodeBmp24(pattern(128, 256), 128, 256));
    ScratchPixmap p;
    const Load loaded = load(p.pixmap, "wide.bmp");
    EXPECT_EQ(loaded.result, 1);
    EXPECT_EQ(loaded.output, "numRows,numCols = 128,256\n");
    EXPECT_EQ(p.pixmap.rowCount, 128);
    EXPECT_EQ(p.pixmap.columnCount, 256);
    EXPECT_EQ(bytesOf(p.pixmap), bytesOf(pattern(128, 256)));
}

TEST_F(BmpReaderTest, ReordersBlueGreenRedToRedGreenBlue)
{
    std::vector<unsigned char> file = encodeBmp24(pattern(1, 1), 1, 1);
    file[54] = 0x10;
    file[55] = 0x20;
    file[56] = 0x30;
    writeFile("one.bmp", file);
    ScratchPixmap p;
    ASSERT_EQ(load(p.pixmap, "one.bmp").result, 1);
    EXPECT_EQ(p.pixmap.pixels[0].red, 0x30);
    EXPECT_EQ(p.pixmap.pixels[0].green, 0x20);
    EXPECT_EQ(p.pixmap.pixels[0].blue, 0x10);
}

TEST_F(BmpReaderTest, SkipsRowPaddingWhateverItHolds)
{
    // Width, and the length of one row in the file, 3 bytes a pixel rounded
    // up to a multiple of 4.
    const std::pair<int, std::size_t> widths[] = {{1, 4}, {2, 8}, {3, 12}, {5, 16}, {256, 768}};
    for (const auto& [width, rowBytes] : widths) {
        SCOPED_TRACE(width);
        BmpLayout layout;
        layout.padValue = 0xee;
        const std::vector<unsigned char> file = encodeBmp24(pattern(3, width), 3, width, layout);
        ASSERT_EQ(file.size(), 54 + 3 * rowBytes);
        writeFile("padded.bmp", file);
        ScratchPixmap p;
        ASSERT_EQ(load(p.pixmap, "padded.bmp").result, 1);
        EXPECT_EQ(bytesOf(p.pixmap), bytesOf(pattern(3, width)));
    }
}

TEST_F(BmpReaderTest, IgnoresTheSignatureAndTheFieldsItDoesNotUse)
{
    std::vector<unsigned char> file = encodeBmp24(pattern(2, 4), 2, 4);
    file[0] = 'X';
    file[1] = 'Y';
    put32(file, 2, 0);           // bfSize
    put32(file, 14, 12345);      // biSize
    file[26] = 7;                // biPlanes
    put32(file, 34, 0xffffffff); // biSizeImage
    writeFile("odd.bmp", file);
    ScratchPixmap p;
    const Load loaded = load(p.pixmap, "odd.bmp");
    EXPECT_EQ(loaded.result, 1);
    EXPECT_EQ(loaded.output, "numRows,numCols = 2,4\n");
    EXPECT_EQ(bytesOf(p.pixmap), bytesOf(pattern(2, 4)));
}

TEST_F(BmpReaderTest, RefusesOtherBitDepthsWithTheMessage)
{
    for (std::uint16_t bits : {1, 4, 8, 16, 32, 0}) {
        SCOPED_TRACE(bits);
        BmpLayout layout;
        layout.bitCount = bits;
        writeFile("deep.bmp", encodeBmp24(pattern(2, 4), 2, 4, layout));
        ScratchPixmap p;
        const Load loaded = load(p.pixmap, "deep.bmp");
        EXPECT_EQ(loaded.result, 0);
        EXPECT_EQ(loaded.output, "not a 24 bit/pixelimage!\n");
        expectUntouched(p.pixmap);
    }
}

TEST_F(BmpReaderTest, AMissingFileDoesNotDisturbTheNextLoad)
{
    writeFile("here.bmp", encodeBmp24(pattern(2, 2), 2, 2));
    ScratchPixmap missing, found;
    const Load first = load(missing.pixmap, "nowhere/gone.bmp");
    EXPECT_EQ(first.result, 0);
    EXPECT_EQ(first.output, " can't open file: nowhere/gone.bmp\n");
    expectUntouched(missing.pixmap);
    const Load second = load(found.pixmap, "here.bmp");
    EXPECT_EQ(second.result, 1);
    EXPECT_EQ(second.output, "numRows,numCols = 2,2\n");
}

TEST_F(BmpReaderTest, ReadsThePixelRowsAtTheOffsetTheHeaderGives)
{
    struct Case {
        std::uint32_t infoHeaderBytes, gapBytes;
    };
    // A colour table after a 40-byte header; the 108- and 124-byte headers
    // of later versions of the format; both.
    for (const Case& c : {Case{40, 1024}, Case{108, 0}, Case{124, 0}, Case{124, 12}}) {
        SCOPED_TRACE(c.infoHeaderBytes + c.gapBytes);
        BmpLayout layout;
        layout.infoHeaderBytes = c.infoHeaderBytes;
        layout.gapBytes = c.gapBytes;
        writeFile("offset.bmp", encodeBmp24(pattern(3, 5), 3, 5, layout));
        ScratchPixmap p;
        const Load loaded = load(p.pixmap, "offset.bmp");
        EXPECT_EQ(loaded.result, 1);
        EXPECT_EQ(loaded.output, "numRows,numCols = 3,5\n");
        EXPECT_EQ(bytesOf(p.pixmap), bytesOf(pattern(3, 5)));
    }
}

TEST_F(BmpReaderTest, RefusesAnOffsetInsideTheHeadersOrPastTheEnd)
{
    const std::vector<unsigned char> good = encodeBmp24(pattern(2, 4), 2, 4);
    const std::pair<std::uint32_t, const char*> cases[] = {
        {0, "bad pixel data offset 0: inside the headers\n"},
        {53, "bad pixel data offset 53: inside the headers\n"},
        {std::uint32_t(good.size() + 1), "bad pixel data offset 79: past the end of the file\n"},
        {0xffffffff, "bad pixel data offset 4294967295: past the end of the file\n"},
    };
    for (const auto& [offset, message] : cases) {
        SCOPED_TRACE(offset);
        std::vector<unsigned char> file = good;
        put32(file, 10, offset);
        writeFile("offset.bmp", file);
        ScratchPixmap p;
        const Load loaded = load(p.pixmap, "offset.bmp");
        EXPECT_EQ(loaded.result, 0);
        EXPECT_EQ(loaded.output, message);
        expectUntouched(p.pixmap);
    }
}

TEST_F(BmpReaderTest, RefusesCompressedImages)
{
    // RLE8, bit fields, JPEG, PNG: none of them is three bytes a pixel.
    for (std::uint32_t compression : {1u, 3u, 4u, 5u}) {
        SCOPED_TRACE(compression);
        BmpLayout layout;
        layout.compression = compression;
        writeFile("packed.bmp", encodeBmp24(pattern(2, 4), 2, 4, layout));
        ScratchPixmap p;
        const Load loaded = load(p.pixmap, "packed.bmp");
        EXPECT_EQ(loaded.result, 0);
        EXPECT_EQ(loaded.output, "not an uncompressed image (biCompression " +
                                     std::to_string(compression) + ")!\n");
        expectUntouched(p.pixmap);
    }
}

TEST_F(BmpReaderTest, ReadsTopDownFilesBottomRowFirst)
{
    BmpLayout layout;
    layout.topDown = true;
    const std::vector<unsigned char> file = encodeBmp24(pattern(3, 5), 3, 5, layout);
    ASSERT_EQ(std::int32_t(file[22] | file[23] << 8 | file[24] << 16 | file[25] << 24), -3);
    writeFile("topdown.bmp", file);
    ScratchPixmap p;
    const Load loaded = load(p.pixmap, "topdown.bmp");
    EXPECT_EQ(loaded.result, 1);
    EXPECT_EQ(loaded.output, "numRows,numCols = 3,5\n");
    EXPECT_EQ(p.pixmap.rowCount, 3);
    EXPECT_EQ(bytesOf(p.pixmap), bytesOf(pattern(3, 5)));
}

TEST_F(BmpReaderTest, RefusesSizesThatCannotBeTextures)
{
    const std::pair<std::int32_t, std::int32_t> sizes[] = {
        {0, 4},      {-4, 4},     {0, 0},          {16385, 1},
        {1, 16385},  {1, -16385}, {1, INT32_MIN},  {INT32_MIN, 1},
        {INT32_MAX, INT32_MAX},   {3000000, 2000000},
    };
    const std::vector<unsigned char> good = encodeBmp24(pattern(1, 1), 1, 1);
    for (const auto& [width, height] : sizes) {
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
        std::vector<unsigned char> file = good;
        put32(file, 18, std::uint32_t(width));
        put32(file, 22, std::uint32_t(height));
        writeFile("huge.bmp", file);
        ScratchPixmap p;
        const Load loaded = load(p.pixmap, "huge.bmp");
        EXPECT_EQ(loaded.result, 0);
        EXPECT_EQ(loaded.output, "bad image size " + std::to_string(width) + " x " +
                                     std::to_string(height) +
                                     ": width must be 1 to 16384 pixels, height 0 to 16384\n");
        expectUntouched(p.pixmap);
    }
    // A height of 0 is read: an empty picture of its width.
    writeFile("flat.bmp", encodeBmp24(pattern(0, 4), 0, 4));
    ScratchPixmap flat;
    const Load loaded = load(flat.pixmap, "flat.bmp");
    EXPECT_EQ(loaded.result, 1);
    EXPECT_EQ(loaded.output, "numRows,numCols = 0,4\n");
    EXPECT_EQ(flat.pixmap.rowCount, 0);
    EXPECT_EQ(flat.pixmap.columnCount, 4);
    // The largest side taken.
    writeFile("long.bmp", encodeBmp24(pattern(1, 16384), 1, 16384));
    ScratchPixmap p;
    EXPECT_EQ(load(p.pixmap, "long.bmp").result, 1);
    EXPECT_EQ(p.pixmap.columnCount, 16384);
}

TEST_F(BmpReaderTest, AShortFileKeepsTheRowsReadAndLeavesTheRestBlack)
{
    const std::vector<unsigned char> whole = encodeBmp24(pattern(4, 4), 4, 4);
    // Two rows of 12 bytes, then one pixel and a part of the next.
    std::vector<unsigned char> file(whole.begin(), whole.begin() + 54 + 2 * 12 + 5);
    writeFile("short.bmp", file);
    ScratchPixmap p;
    const Load loaded = load(p.pixmap, "short.bmp");
    EXPECT_EQ(loaded.result, 0);
    EXPECT_EQ(loaded.output, "numRows,numCols = 4,4\n"
                             "file ends before its last pixel row: 2 of 4 rows read, "
                             "the rest left black\n");
    ASSERT_NE(p.pixmap.pixels, nullptr);
    EXPECT_EQ(p.pixmap.rowCount, 4);
    std::vector<PixelRGB> expected(16);
    const std::vector<PixelRGB> source = pattern(4, 4);
    std::copy(source.begin(), source.begin() + 9, expected.begin());
    EXPECT_EQ(bytesOf(p.pixmap), bytesOf(expected));

    // Only the last row's padding missing: the picture is whole.
    const std::vector<unsigned char> odd = encodeBmp24(pattern(2, 3), 2, 3);
    writeFile("nopad.bmp", std::vector<unsigned char>(odd.begin(), odd.end() - 3));
    ScratchPixmap q;
    EXPECT_EQ(load(q.pixmap, "nopad.bmp").result, 1);
    EXPECT_EQ(bytesOf(q.pixmap), bytesOf(pattern(2, 3)));

    // The headers and nothing more.
    writeFile("empty.bmp", std::vector<unsigned char>(whole.begin(), whole.begin() + 54));
    ScratchPixmap r;
    const Load headersOnly = load(r.pixmap, "empty.bmp");
    EXPECT_EQ(headersOnly.result, 0);
    EXPECT_EQ(headersOnly.output, "numRows,numCols = 4,4\n"
                                  "file ends before its last pixel row: 0 of 4 rows read, "
                                  "the rest left black\n");
    EXPECT_EQ(bytesOf(r.pixmap), bytesOf(std::vector<PixelRGB>(16)));
}

TEST_F(BmpReaderTest, RefusesAFileShorterThanItsHeaders)
{
    const std::vector<unsigned char> whole = encodeBmp24(pattern(2, 2), 2, 2);
    for (std::size_t length : {0, 2, 30, 53}) {
        SCOPED_TRACE(length);
        writeFile("stub.bmp", std::vector<unsigned char>(whole.begin(), whole.begin() + length));
        ScratchPixmap p;
        const Load loaded = load(p.pixmap, "stub.bmp");
        EXPECT_EQ(loaded.result, 0);
        EXPECT_EQ(loaded.output, "not a BMP file: it ends inside its 54 header bytes\n");
        expectUntouched(p.pixmap);
    }
    std::filesystem::create_directory("folder.bmp");
    ScratchPixmap p;
    EXPECT_EQ(load(p.pixmap, "folder.bmp").result, 0);
}

TEST_F(BmpReaderTest, ASecondLoadReplacesThePicture)
{
    writeFile("a.bmp", encodeBmp24(pattern(4, 4), 4, 4));
    writeFile("b.bmp", encodeBmp24(pattern(1, 3), 1, 3));
    ScratchPixmap p;
    ASSERT_EQ(load(p.pixmap, "a.bmp").result, 1);
    ASSERT_EQ(load(p.pixmap, "b.bmp").result, 1);
    EXPECT_EQ(p.pixmap.rowCount, 1);
    EXPECT_EQ(p.pixmap.columnCount, 3);
    EXPECT_EQ(bytesOf(p.pixmap), bytesOf(pattern(1, 3)));
}

TEST(BmpDecoder, ReadsBytesInMemoryAsItReadsAFile)
{
    const std::vector<unsigned char> file = encodeBmp24(pattern(3, 5), 3, 5);
    ScratchPixmap p;
    std::ostringstream messages;
    EXPECT_EQ(readBmp(file.data(), file.size(), p.pixmap, messages), 1);
    EXPECT_EQ(messages.str(), "numRows,numCols = 3,5\n");
    EXPECT_EQ(bytesOf(p.pixmap), bytesOf(pattern(3, 5)));

    EXPECT_EQ(probeBmp(file.data(), file.size()), 1);
    EXPECT_EQ(probeBmp(file.data(), file.size() - 4), 0);
    EXPECT_EQ(probeBmp(nullptr, 0), 0);
}

// The BMP Suite files: the 24-bit uncompressed ones decode to ImageMagick's
// pixels; every other one is read or refused with a message.
const std::string Rgb24Files[] = {"g/rgb24", "g/rgb24pal", "q/rgb24largepal", "q/rgb24prof",
                                  "q/rgb24lprof"};

std::string suitePath(const std::string& name) { return sharedPath("testdata/bmpsuite/" + name); }

TEST(BmpSuite, DecodesTheUncompressed24BitFilesToTheirExpectedPixels)
{
    for (const std::string& name : Rgb24Files) {
        SCOPED_TRACE(name);
        const std::vector<unsigned char> expected =
            readFile(suitePath("expected/" + name.substr(2) + ".rgb"));
        ASSERT_EQ(expected.size(), 127u * 64u * 3u);
        ScratchPixmap p;
        const Load loaded = load(p.pixmap, suitePath(name + ".bmp"));
        EXPECT_EQ(loaded.result, 1);
        EXPECT_EQ(loaded.output, "numRows,numCols = 64,127\n");
        EXPECT_TRUE(bytesOf(p.pixmap) == expected);
    }
}

TEST(BmpSuite, ReadsOrRefusesEveryOtherFileWithAMessage)
{
    const std::set<std::string> checked(std::begin(Rgb24Files), std::end(Rgb24Files));
    int files = 0, read = 0;
    for (const char* folder : {"g", "q", "b", "x"}) {
        std::vector<std::filesystem::path> paths;
        for (const auto& entry : std::filesystem::directory_iterator(suitePath(folder)))
            if (entry.path().extension() == ".bmp")
                paths.push_back(entry.path());
        std::sort(paths.begin(), paths.end());
        for (const std::filesystem::path& path : paths) {
            const std::string name = std::string(folder) + "/" + path.stem().string();
            if (checked.count(name))
                continue;
            SCOPED_TRACE(name);
            ++files;
            ScratchPixmap p;
            const Load loaded = load(p.pixmap, path.string());
            const std::string sizeLine = "numRows,numCols = " + std::to_string(p.pixmap.rowCount) +
                                         "," + std::to_string(p.pixmap.columnCount) + "\n";
            if (loaded.result == 1) {
                ++read;
                EXPECT_EQ(loaded.output, sizeLine);
                EXPECT_NE(p.pixmap.pixels, nullptr);
            } else {
                EXPECT_EQ(loaded.result, 0);
                // A refusal says why, in a line of its own.
                ASSERT_FALSE(loaded.output.empty());
                EXPECT_NE(loaded.output, sizeLine);
                EXPECT_EQ(loaded.output.back(), '\n');
            }
            // The decoder on the bytes in memory agrees with the file reader.
            const std::vector<unsigned char> bytes = readFile(path.string());
            EXPECT_EQ(probeBmp(bytes.data(), bytes.size()), loaded.result);
        }
    }
    // Guards against a missing corpus: it holds 91 files in all.
    EXPECT_GE(files, 80);
    // rgb24prof2: a 24-bit file whose profile is broken, the pixels are fine.
    EXPECT_EQ(read, 1);

    const std::pair<std::string, std::string> notable[] = {
        {"b/reallybig", "bad image size 3000000 x 2000000: width must be 1 to 16384 pixels, "
                        "height 0 to 16384\n"},
        {"q/rgb24rle24", "not an uncompressed image (biCompression 4)!\n"},
        {"q/rgb24png", "not a 24 bit/pixelimage!\n"},
        {"b/badwidth", "not a 24 bit/pixelimage!\n"},
        {"x/ba-bm", "not a 24 bit/pixelimage!\n"},
    };
    for (const auto& [name, message] : notable) {
        ScratchPixmap p;
        EXPECT_EQ(load(p.pixmap, suitePath(name + ".bmp")).output, message) << name;
    }
}

} // namespace
