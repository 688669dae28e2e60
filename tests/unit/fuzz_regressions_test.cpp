// The kept bad inputs of the three readers (tests/fuzz/regressions and the
// fuzzers' seed corpora): each is read or refused with a message, and the
// ones that stand for a kind of bad file give the expected result.
#include "fuzz/quad_model_reference.h"
#include "image/bmp_reader.h"
#include "scene/quad_model_file.h"
#include "scene/terrain_file.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <dirent.h>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string fuzzPath(const std::string& relative)
{
    return std::string(MIRTAL_SOURCE_DIR) + "/tests/fuzz/" + relative;
}

std::vector<std::string> filesIn(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(dir))
            if (entry->d_name[0] != '.')
                names.push_back(folder + "/" + entry->d_name);
        closedir(dir);
    }
    return names;
}

std::string textOf(const std::string& path)
{
    const std::vector<unsigned char> bytes = readFile(path);
    return std::string(bytes.begin(), bytes.end());
}

std::size_t tokenCount(const std::string& text)
{
    std::istringstream in(text);
    std::size_t count = 0;
    for (std::string token; in >> token;)
        ++count;
    return count;
}

struct QuadOutcome {
    std::vector<QuadRecord> quads;
    std::string errors;
};

QuadOutcome readQuads(const std::string& name)
{
    testing::internal::CaptureStderr();
    QuadOutcome outcome;
    outcome.quads = parseQuadModel(textOf(fuzzPath("regressions/quad_model/" + name)),
                                   name.c_str());
    outcome.errors = testing::internal::GetCapturedStderr();
    return outcome;
}

struct TerrainOutcome {
    std::vector<TerrainPatch> patches;
    std::string errors;
};

TerrainOutcome readPatches(const std::string& name)
{
    testing::internal::CaptureStderr();
    TerrainOutcome outcome;
    outcome.patches = parseTerrainPatches(textOf(fuzzPath("regressions/terrain/" + name)),
                                          name.c_str());
    outcome.errors = testing::internal::GetCapturedStderr();
    return outcome;
}

TEST(FuzzRegressions, EveryKeptInputIsReadOrRefused)
{
    int count = 0;
    for (const char* folder : {"regressions/bmp", "corpus/bmp"}) {
        for (const std::string& path : filesIn(fuzzPath(folder))) {
            const std::vector<unsigned char> bytes = readFile(path);
            Pixmap pixmap;
            std::ostringstream messages;
            const int result = readBmp(bytes.data(), bytes.size(), pixmap, messages);
            EXPECT_TRUE(result == 1 || !messages.str().empty()) << path;
            if (result == 1) {
                EXPECT_NE(pixmap.pixels, nullptr) << path;
            }
            delete[] pixmap.pixels;
            ++count;
        }
    }
    // A quad is 22 tokens and a patch 40: no reader makes
    // more of them than the file holds, and a message names its file.
    for (const char* folder : {"regressions/quad_model", "corpus/quad_model"})
        for (const std::string& path : filesIn(fuzzPath(folder))) {
            const std::string text = textOf(path);
            testing::internal::CaptureStderr();
            const std::vector<QuadRecord> read = parseQuadModel(text, path.c_str());
            const std::string errors = testing::internal::GetCapturedStderr();
            EXPECT_LE(22 * read.size(), tokenCount(text)) << path;
            EXPECT_TRUE(errors.empty() || errors.find(path) != std::string::npos) << errors;
            // As the stream reader it replaced reads it (fuzz_quad_model_diff).
            testing::internal::CaptureStderr();
            const std::vector<QuadRecord> reference = referenceParseQuadModel(text, path.c_str());
            EXPECT_EQ(testing::internal::GetCapturedStderr(), errors) << path;
            ASSERT_EQ(read.size(), reference.size()) << path;
            for (std::size_t i = 0; i < read.size(); ++i)
                EXPECT_EQ(std::memcmp(&read[i], &reference[i], sizeof(QuadRecord)), 0) << path << i;
            ++count;
        }
    for (const char* folder : {"regressions/terrain", "corpus/terrain"})
        for (const std::string& path : filesIn(fuzzPath(folder))) {
            const std::string text = textOf(path);
            testing::internal::CaptureStderr();
            const std::vector<TerrainPatch> patches = parseTerrainPatches(text, path.c_str());
            const std::string errors = testing::internal::GetCapturedStderr();
            EXPECT_LE(40 * patches.size(), tokenCount(text)) << path;
            EXPECT_TRUE(errors.empty() || errors.find(path) != std::string::npos) << errors;
            for (const TerrainPatch& patch : patches)
                EXPECT_NE(patch.kind, TerrainTerminatorKind) << path;
            ++count;
        }
    EXPECT_GT(count, 30);
}

TEST(FuzzRegressions, QuadCountsOfAnySizeReadOnlyWhatIsThere)
{
    // N is never trusted: 1e12 reads the one record the file holds, then
    // says that the file ended.
    const QuadOutcome huge = readQuads("count_1e12.geo");
    EXPECT_EQ(huge.quads.size(), 1u);
    EXPECT_NE(huge.errors.find("count_1e12.geo"), std::string::npos) << huge.errors;
    // A negative count reads no record, silently.
    const QuadOutcome negative = readQuads("count_negative.geo");
    EXPECT_TRUE(negative.quads.empty());
    EXPECT_EQ(negative.errors, "");
    // The C locale's extraction takes no "nan" or "inf": a count that does
    // not read is reported.
    for (const char* name : {"count_nan.geo", "count_inf.geo"}) {
        const QuadOutcome none = readQuads(name);
        EXPECT_TRUE(none.quads.empty()) << name;
        EXPECT_NE(none.errors.find(name), std::string::npos) << none.errors;
    }
}

TEST(FuzzRegressions, QuadFilesOfOddContentAreSafe)
{
    const QuadOutcome longLabel = readQuads("long_label.geo");
    ASSERT_EQ(longLabel.quads.size(), 1u);
    EXPECT_EQ(longLabel.quads[0].texture, 2001);
    EXPECT_EQ(longLabel.errors, "");

    const QuadOutcome negativeZero = readQuads("negative_zero.geo");
    ASSERT_EQ(negativeZero.quads.size(), 1u) << negativeZero.errors;
    EXPECT_TRUE(std::signbit(negativeZero.quads[0].vertices[0][1]));  // -0 stays -0
    EXPECT_TRUE(std::signbit(negativeZero.quads[0].texCoords[3][1]));

    // 1e400 is out of the double range: the extraction refuses it.
    for (const char* name : {"empty.geo", "binary.geo", "huge_number.geo"}) {
        const QuadOutcome bad = readQuads(name);
        EXPECT_TRUE(bad.quads.empty()) << name;
        EXPECT_NE(bad.errors.find(name), std::string::npos) << name << ": " << bad.errors;
    }
}

TEST(FuzzRegressions, TerrainFilesStopAtTheirEnd)
{
    const TerrainOutcome huge = readPatches("count_1e12.geo");
    EXPECT_EQ(huge.patches.size(), 1u);
    EXPECT_EQ(huge.errors, "");  // the terminator cut short to 69 is no error
    for (const char* name : {"count_nan.geo", "count_negative_inf.geo"}) {
        const TerrainOutcome none = readPatches(name);
        EXPECT_TRUE(none.patches.empty()) << name;
    }
    const TerrainOutcome open = readPatches("no_terminator.geo");
    EXPECT_EQ(open.patches.size(), 2u);
    EXPECT_NE(open.errors.find("no_terminator.geo"), std::string::npos) << open.errors;
    const TerrainOutcome shortEnd = readPatches("terminator_69_only.geo");
    EXPECT_EQ(shortEnd.patches.size(), 1u);
    EXPECT_EQ(shortEnd.errors, "");
    for (const char* name : {"empty.geo", "binary.geo"}) {
        const TerrainOutcome bad = readPatches(name);
        EXPECT_TRUE(bad.patches.empty()) << name;
        EXPECT_NE(bad.errors.find(name), std::string::npos) << name << ": " << bad.errors;
    }
}

TEST(FuzzRegressions, BmpHeadersOfExtremeSizesAreRefused)
{
    for (const char* name : {"sizes_zero.bmp", "sizes_ffffffff.bmp", "width_ffffffff_24bit.bmp",
                             "empty.bmp", "header_only.bmp"}) {
        const std::vector<unsigned char> bytes = readFile(fuzzPath(std::string("regressions/bmp/") + name));
        Pixmap pixmap;
        std::ostringstream messages;
        EXPECT_EQ(readBmp(bytes.data(), bytes.size(), pixmap, messages), 0) << name;
        EXPECT_FALSE(messages.str().empty()) << name;
        delete[] pixmap.pixels;
    }
}

} // namespace
