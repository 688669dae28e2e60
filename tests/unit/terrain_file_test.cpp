// The terrain patch reader without GL: the count test, the terminator and
// what follows it, the layout of the control grid, and files that end or go
// wrong before the terminator.
#include "scene/terrain_file.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A patch record whose point k (1..9) has label 100 + k and coordinates
// (k, 10k, 100k) plus offset.
std::string patch(int kind, int green = 0, int blue = 0, int offset = 0)
{
    std::string text = std::to_string(kind) + " " + std::to_string(green) + " " +
                       std::to_string(blue) + " 7\n";
    for (int k = 1; k <= 9; ++k)
        text += std::to_string(100 + k) + " " + std::to_string(k + offset) + " " +
                std::to_string(10 * k + offset) + " " + std::to_string(100 * k + offset) + "\n";
    return text;
}

const std::string terminator = patch(TerrainTerminatorKind);

struct Parsed {
    std::vector<TerrainPatch> patches;
    std::string errors;
};

Parsed parse(const std::string& text)
{
    testing::internal::CaptureStderr();
    Parsed parsed;
    parsed.patches = parseTerrainPatches(text, "terrain.geo");
    parsed.errors = testing::internal::GetCapturedStderr();
    return parsed;
}

int lineCount(const std::string& text)
{
    int lines = 0;
    for (char c : text)
        lines += c == '\n';
    return lines;
}

TEST(TerrainFile, CountOnlyDecidesWhetherRecordsAreRead)
{
    for (const char* count : {"0", "-1", "-0.25"}) {
        const Parsed parsed = parse(std::string(count) + "\n" + patch(2) + terminator);
        EXPECT_TRUE(parsed.patches.empty()) << count;
        EXPECT_EQ(parsed.errors, "") << count;
    }
    // C = 0 reads not even the terminator: an empty rest is no error.
    EXPECT_EQ(parse("0").errors, "");
    // Beyond C > 0 the count plays no part.
    const Parsed many = parse("1\n" + patch(2) + patch(3) + patch(4) + terminator);
    EXPECT_EQ(many.patches.size(), 3u);
    EXPECT_EQ(many.errors, "");
    EXPECT_EQ(parse("0.5 " + patch(1) + terminator).patches.size(), 1u);
}

TEST(TerrainFile, ControlGridLayout)
{
    const Parsed parsed = parse("1\n" + patch(2, 5, 6) + terminator);
    ASSERT_EQ(parsed.patches.size(), 1u);
    const TerrainPatch& p = parsed.patches[0];
    EXPECT_EQ(p.kind, 2);
    EXPECT_EQ(p.green, 5);
    EXPECT_EQ(p.blue, 6);
    // Point (3r + c + 1) of the record is P[r][c] at index 9r + 3c; labels
    // and the spare integer are dropped.
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            const int k = 3 * r + c + 1;
            EXPECT_EQ(p.controlPoints[9 * r + 3 * c + 0], float(k));
            EXPECT_EQ(p.controlPoints[9 * r + 3 * c + 1], float(10 * k));
            EXPECT_EQ(p.controlPoints[9 * r + 3 * c + 2], float(100 * k));
        }
}

TEST(TerrainFile, TerminatorCutShortIsNoError)
{
    // From a whole terminator down to the single number 69 at the very end.
    const std::string body = "1\n" + patch(2);
    for (const std::string& end : {terminator, std::string("69 0 0 0\n101 1 2"),
                                   std::string("69 0"), std::string("69")}) {
        const Parsed parsed = parse(body + end);
        EXPECT_EQ(parsed.patches.size(), 1u) << end;
        EXPECT_EQ(parsed.errors, "") << end;
    }
}

TEST(TerrainFile, NothingAfterTheTerminatorIsRead)
{
    const Parsed parsed =
        parse("1\n" + patch(2) + terminator + patch(3) + "garbage that would not parse");
    ASSERT_EQ(parsed.patches.size(), 1u);
    EXPECT_EQ(parsed.patches[0].kind, 2);
    EXPECT_EQ(parsed.errors, "");
}

TEST(TerrainFile, KindsOtherThanTheRawOnesAreKept)
{
    // Kind 5 after kind 2, and kind 0: their image is the GL step's business.
    const Parsed parsed = parse("1\n" + patch(2) + patch(5) + patch(0) + terminator);
    ASSERT_EQ(parsed.patches.size(), 3u);
    EXPECT_EQ(parsed.patches[1].kind, 5);
    EXPECT_EQ(parsed.patches[2].kind, 0);
}

TEST(TerrainFile, FileEndingBeforeTheTerminatorKeepsCompletePatches)
{
    std::string cut = patch(4);
    cut = cut.substr(0, cut.find("106"));  // ends before control point 6
    const Parsed parsed = parse("1\n" + patch(2) + patch(3, 0, 0, 1) + cut);
    ASSERT_EQ(parsed.patches.size(), 2u);
    EXPECT_EQ(parsed.patches[1].kind, 3);
    EXPECT_EQ(parsed.patches[1].controlPoints[0], 2.0f);
    EXPECT_EQ(lineCount(parsed.errors), 1) << parsed.errors;
    EXPECT_NE(parsed.errors.find("terrain.geo"), std::string::npos) << parsed.errors;
    EXPECT_NE(parsed.errors.find("patch record 3"), std::string::npos) << parsed.errors;
    EXPECT_NE(parsed.errors.find("label of control point 6"), std::string::npos)
        << parsed.errors;

    // Whole patches and then the end of the file, with no terminator.
    const Parsed unterminated = parse("1\n" + patch(2));
    EXPECT_EQ(unterminated.patches.size(), 1u);
    EXPECT_NE(unterminated.errors.find("patch record 2 (before any terminator of kind 69): the file ends before its kind"),
              std::string::npos)
        << unterminated.errors;
}

TEST(TerrainFile, BadTokenStopsTheReading)
{
    std::string bad = patch(3);
    bad.replace(bad.find(" 20 "), 4, " two ");  // y of control point 2
    const Parsed parsed = parse("1\n" + patch(2) + bad + patch(4) + terminator);
    ASSERT_EQ(parsed.patches.size(), 1u);
    EXPECT_EQ(lineCount(parsed.errors), 1) << parsed.errors;
    EXPECT_NE(parsed.errors.find("patch record 2 (before any terminator of kind 69): a token does not read as the y of control point 2"),
              std::string::npos)
        << parsed.errors;

    // A coordinate beyond the float range does not parse as a float.
    std::string huge = patch(3);
    huge.replace(huge.find(" 20 "), 4, " 1e40 ");
    EXPECT_EQ(parse("1\n" + huge + terminator).patches.size(), 0u);

    // A fractional kind: 2 is read, ".5" does not read as an integer.
    EXPECT_TRUE(parse("1\n2.5 0 0 0\n").patches.empty());
}

TEST(TerrainFile, MissingOrBadCount)
{
    const Parsed empty = parse("");
    EXPECT_TRUE(empty.patches.empty());
    EXPECT_EQ(lineCount(empty.errors), 1) << empty.errors;
    EXPECT_NE(empty.errors.find("patch count"), std::string::npos) << empty.errors;
}

TEST(TerrainFile, FilesOnDisk)
{
    ScopedWorkDir dir;
    std::vector<TerrainPatch> patches(2);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(readTerrainFile("absent.geo", patches));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");  // a missing file is silent
    EXPECT_TRUE(patches.empty());

    writeFile("terrain.geo", "1\r\n" + patch(1) + terminator);
    EXPECT_TRUE(readTerrainFile("terrain.geo", patches));
    EXPECT_EQ(patches.size(), 1u);
}

} // namespace
