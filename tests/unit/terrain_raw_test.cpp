// The raw texture reader: 196608 bytes from the start of the file into
// rawImageBuffer, and the end of the process when the file cannot be read.
#include "app/state.h"
#include "scene/terrain.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sys/stat.h>

namespace {

std::vector<unsigned char> buffer()
{
    return std::vector<unsigned char>(rawImageBuffer, rawImageBuffer + RawImageBytes);
}

TEST(ReadRawTexture, FillsTheBufferFromTheStartOfTheFile)
{
    ScopedWorkDir dir;
    std::vector<unsigned char> image(RawImageBytes + 500);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<unsigned char>(i % 253);
    writeFile("full.raw", image);
    readRawTexture("full.raw");
    // Bytes past the first 196608 are not read.
    EXPECT_EQ(buffer(), std::vector<unsigned char>(image.begin(), image.begin() + RawImageBytes));

    // A shorter file fills the beginning; the rest keeps the previous image.
    writeFile("short.raw", std::string(10, '\x7f'));
    readRawTexture("short.raw");
    std::vector<unsigned char> expected(image.begin(), image.begin() + RawImageBytes);
    std::fill(expected.begin(), expected.begin() + 10, 0x7f);
    EXPECT_EQ(buffer(), expected);

    writeFile("empty.raw", "");
    readRawTexture("empty.raw");
    EXPECT_EQ(buffer(), expected);
}

// In the child: standard output goes to a file that the parent reads back,
// which also shows that the message is flushed before the exit.
void readWithOutputTo(const char* outputFile, const char* rawFile)
{
    if (!std::freopen(outputFile, "w", stdout))
        std::abort();
    readRawTexture(rawFile);
    std::exit(0);
}

TEST(ReadRawTextureDeathTest, MissingFileEndsTheProcessWithStatusOne)
{
    ScopedWorkDir dir;
    const std::string out = dir.path() + "/stdout.txt";
    EXPECT_EXIT(readWithOutputTo(out.c_str(), "Relva1.raw"), testing::ExitedWithCode(1),
                "Relva1.raw");
    const std::vector<unsigned char> printed = readFile(out);
    EXPECT_EQ(std::string(printed.begin(), printed.end()), "Erro no fichero\n");
}

TEST(ReadRawTextureDeathTest, DirectoryBehavesLikeAMissingFile)
{
    ScopedWorkDir dir;
    ASSERT_EQ(mkdir("janela.raw", 0755), 0);
    const std::string out = dir.path() + "/stdout.txt";
    EXPECT_EXIT(readWithOutputTo(out.c_str(), "janela.raw"), testing::ExitedWithCode(1),
                "janela.raw");
    const std::vector<unsigned char> printed = readFile(out);
    EXPECT_EQ(std::string(printed.begin(), printed.end()), "Erro no fichero\n");
}

} // namespace
