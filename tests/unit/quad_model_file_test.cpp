// The quad model reader without GL: the record count rule, the field order of
// a record, files that end or go wrong early, and the face normal helpers.
#include "scene/face_normal.h"
#include "scene/quad_model_file.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <string>

namespace {

// A record with distinct numbers in every field: vertex k is (10k+1, 10k+2,
// 10k+3) and its texture pair (k + 0.25, k + 0.5).
std::string record(const std::string& label, int texture)
{
    std::string text = label + " " + std::to_string(texture);
    for (int k = 1; k <= 4; ++k)
        for (int c = 1; c <= 3; ++c)
            text += " " + std::to_string(10 * k + c);
    for (int k = 1; k <= 4; ++k)
        text += " " + std::to_string(k) + ".25 " + std::to_string(k) + ".5";
    return text + "\n";
}

struct Parsed {
    std::vector<QuadRecord> quads;
    std::string errors;
};

Parsed parse(const std::string& text)
{
    testing::internal::CaptureStderr();
    Parsed parsed;
    parsed.quads = parseQuadModel(text, "model.geo");
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

TEST(QuadModelFile, RecordCountRule)
{
    // N <= 0 reads nothing, even with records present.
    for (const char* count : {"0", "-3", "-0.5"}) {
        const Parsed parsed = parse(std::string(count) + "\n" + record("a", 2001));
        EXPECT_TRUE(parsed.quads.empty()) << count;
        EXPECT_EQ(parsed.errors, "") << count;
    }
    // The index is compared as a double: N = 2.5 reads indices 0, 1 and 2.
    const Parsed fractional =
        parse("2.5\n" + record("a", 2001) + record("b", 2002) + record("c", 2003));
    ASSERT_EQ(fractional.quads.size(), 3u);
    EXPECT_EQ(fractional.quads[2].texture, 2003);
    EXPECT_EQ(fractional.errors, "");
    // Records beyond N are not read.
    const Parsed exact = parse("1 " + record("a", 2001) + record("b", 2002));
    EXPECT_EQ(exact.quads.size(), 1u);
    EXPECT_EQ(exact.errors, "");
    // The count is a double in any form the C locale's extraction accepts.
    EXPECT_EQ(parse("2e0 " + record("a", 2001) + record("b", 2002)).quads.size(), 2u);
}

TEST(QuadModelFile, FieldsInFileOrder)
{
    const Parsed parsed = parse("1\n" + record("wall_1", 2007));
    ASSERT_EQ(parsed.quads.size(), 1u);
    const QuadRecord& quad = parsed.quads[0];
    EXPECT_EQ(quad.texture, 2007);
    for (int k = 0; k < 4; ++k) {
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(quad.vertices[k][c], float(10 * (k + 1) + c + 1)) << k << c;
        EXPECT_EQ(quad.texCoords[k][0], k + 1.25f);
        EXPECT_EQ(quad.texCoords[k][1], k + 1.5f);
    }
    // All four vertices come before all four pairs: vertex 4 is x4 y4 z4 and
    // its pair is the last one.
    EXPECT_EQ(quad.vertices[3][0], 41.0f);
    EXPECT_EQ(quad.vertices[3][2], 43.0f);
    EXPECT_EQ(quad.texCoords[3][0], 4.25f);
    EXPECT_EQ(quad.texCoords[3][1], 4.5f);
}

TEST(QuadModelFile, WhiteSpaceAndNumberForms)
{
    // Line structure carries no meaning; signs, exponents and bare fractions
    // are numbers.
    const Parsed parsed = parse(
        "1\tq\n2001\n-1 +2 3e1\t.5 0 0\n\n1 1 0 0 1 0 0 0 1 0 1 1 0 1");
    ASSERT_EQ(parsed.quads.size(), 1u);
    EXPECT_EQ(parsed.quads[0].vertices[0][0], -1.0f);
    EXPECT_EQ(parsed.quads[0].vertices[0][1], 2.0f);
    EXPECT_EQ(parsed.quads[0].vertices[0][2], 30.0f);
    EXPECT_EQ(parsed.quads[0].vertices[1][0], 0.5f);
    EXPECT_EQ(parsed.quads[0].texCoords[3][1], 1.0f);
    EXPECT_EQ(parsed.errors, "");
    // Numbers round to the nearest float. Up to half a float step (2^103)
    // above FLT_MAX = 2^128 - 2^104 that is FLT_MAX; at 2^128 - 2^103 the tie
    // goes to the even 2^128, an infinity, as does everything beyond.
    const Parsed huge = parse("1 q 2001 3.4028235e38 -3.4028235e38 3.4028235677973362e38"
                              " 3.4028235677973366e38 -3.4028235677973366e38 1e300"
                              " 0 0 0 0 0 0 0 0 0 0 0 0 0 0");
    ASSERT_EQ(huge.quads.size(), 1u);
    EXPECT_EQ(huge.quads[0].vertices[0][0], FLT_MAX);
    EXPECT_EQ(huge.quads[0].vertices[0][1], -FLT_MAX);
    EXPECT_EQ(huge.quads[0].vertices[0][2], FLT_MAX);
    EXPECT_EQ(huge.quads[0].vertices[1][0], INFINITY);
    EXPECT_EQ(huge.quads[0].vertices[1][1], -INFINITY);
    EXPECT_EQ(huge.quads[0].vertices[1][2], INFINITY);
}

TEST(QuadModelFile, LongLabelsAreSkippedWhole)
{
    const std::string label(5000, 'x');
    const Parsed parsed = parse("2\n" + record(label, 2001) + record(label + label, 2002));
    ASSERT_EQ(parsed.quads.size(), 2u);
    EXPECT_EQ(parsed.quads[1].texture, 2002);
    EXPECT_EQ(parsed.errors, "");
}

TEST(QuadModelFile, FileEndingEarlyKeepsCompleteRecords)
{
    const std::string full = record("a", 2001) + record("b", 2002);
    std::string cut = record("c", 2003);
    cut = cut.substr(0, cut.find("31"));  // ends inside vertex 3
    const Parsed parsed = parse("5\n" + full + cut);
    ASSERT_EQ(parsed.quads.size(), 2u);
    EXPECT_EQ(parsed.quads[1].texture, 2002);
    // One message that names the file, the record and where it broke off.
    EXPECT_EQ(lineCount(parsed.errors), 1) << parsed.errors;
    EXPECT_NE(parsed.errors.find("model.geo"), std::string::npos) << parsed.errors;
    EXPECT_NE(parsed.errors.find("record 3 of 5"), std::string::npos) << parsed.errors;
    EXPECT_NE(parsed.errors.find("ends before x of vertex 3"), std::string::npos)
        << parsed.errors;

    // A file of whole records that is simply shorter than N.
    const Parsed shorter = parse("3\n" + full);
    EXPECT_EQ(shorter.quads.size(), 2u);
    EXPECT_NE(shorter.errors.find("record 3 of 3"), std::string::npos) << shorter.errors;
    EXPECT_NE(shorter.errors.find("its label"), std::string::npos) << shorter.errors;
}

TEST(QuadModelFile, BadTokenStopsTheReading)
{
    std::string bad = record("b", 2002);
    bad.replace(bad.find(" 21 "), 4, " 2l ");  // a letter where vertex 2's x goes
    const Parsed parsed = parse("3\n" + record("a", 2001) + bad + record("c", 2003));
    ASSERT_EQ(parsed.quads.size(), 1u);
    EXPECT_EQ(lineCount(parsed.errors), 1) << parsed.errors;
    EXPECT_NE(parsed.errors.find("record 2 of 3"), std::string::npos) << parsed.errors;
    EXPECT_NE(parsed.errors.find("does not read as y of vertex 2"), std::string::npos)
        << parsed.errors;

    // A texture id that does not fit an int is a bad token too.
    const Parsed overflow = parse("1 q 99999999999 " + record("x", 1).substr(4));
    EXPECT_TRUE(overflow.quads.empty());
    EXPECT_NE(overflow.errors.find("texture id"), std::string::npos) << overflow.errors;
}

TEST(QuadModelFile, HugeCountNeverLoopsOnStaleValues)
{
    const Parsed parsed = parse("1e18\n" + record("a", 2001));
    EXPECT_EQ(parsed.quads.size(), 1u);
    EXPECT_EQ(lineCount(parsed.errors), 1) << parsed.errors;
    EXPECT_NE(parsed.errors.find("record 2 of 1e+18"), std::string::npos) << parsed.errors;
}

TEST(QuadModelFile, MissingOrBadCount)
{
    const Parsed empty = parse("");
    EXPECT_TRUE(empty.quads.empty());
    EXPECT_EQ(lineCount(empty.errors), 1) << empty.errors;
    EXPECT_NE(empty.errors.find("record count"), std::string::npos) << empty.errors;

    const Parsed word = parse("many " + record("a", 2001));
    EXPECT_TRUE(word.quads.empty());
    EXPECT_NE(word.errors.find("does not read as the record count"), std::string::npos)
        << word.errors;
}

TEST(QuadModelFile, FilesOnDisk)
{
    ScopedWorkDir dir;
    std::vector<QuadRecord> quads(3);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(readQuadModelFile("absent.geo", quads));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");  // a missing file is silent
    EXPECT_TRUE(quads.empty());

    writeFile("model.geo", "1\r\n" + record("a", 2005));
    EXPECT_TRUE(readQuadModelFile("model.geo", quads));
    ASSERT_EQ(quads.size(), 1u);
    EXPECT_EQ(quads[0].texture, 2005);
}

TEST(FaceNormal, CounterClockwisePointsFaceTheViewer)
{
    const float points[9] = {0, 0, 0, 1, 0, 0, 1, 1, 0};
    float normal[3] = {9, 9, 9};
    faceNormal(points, normal);
    EXPECT_EQ(normal[0], 0.0f);
    EXPECT_EQ(normal[1], 0.0f);
    EXPECT_EQ(normal[2], 1.0f);

    // Clockwise: away from the viewer; any size of triangle gives unit length.
    const float clockwise[9] = {0, 0, 0, 0, 300, 0, 300, 0, 0};
    faceNormal(clockwise, normal);
    EXPECT_FLOAT_EQ(normal[2], -1.0f);

    // A wall in the x-y plane of the model tilted about x.
    const float tilted[9] = {0, 0, 0, 100, 0, 0, 100, 30, 40};
    faceNormal(tilted, normal);
    EXPECT_FLOAT_EQ(normal[0], 0.0f);
    EXPECT_FLOAT_EQ(normal[1], -0.8f);
    EXPECT_FLOAT_EQ(normal[2], 0.6f);
}

TEST(FaceNormal, DegenerateTriangleGivesZeroSilently)
{
    const float repeated[9] = {5, 5, 5, 5, 5, 5, 7, 1, 2};
    const float collinear[9] = {0, 0, 0, 1, 1, 1, 2, 2, 2};
    for (const float* points : {repeated, collinear}) {
        float normal[3] = {9, 9, 9};
        testing::internal::CaptureStderr();
        faceNormal(points, normal);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        EXPECT_EQ(normal[0], 0.0f);
        EXPECT_EQ(normal[1], 0.0f);
        EXPECT_EQ(normal[2], 0.0f);
    }
}

TEST(NormalizeTriple, ScalesToUnitLengthInPlace)
{
    float v[3] = {3, 0, -4};
    normalizeTriple(v);
    EXPECT_FLOAT_EQ(v[0], 0.6f);
    EXPECT_FLOAT_EQ(v[2], -0.8f);

    // Squares of large floats are formed in double: no overflow to infinity.
    float large[3] = {3e30f, 4e30f, 0};
    normalizeTriple(large);
    EXPECT_FLOAT_EQ(large[0], 0.6f);
    EXPECT_FLOAT_EQ(large[1], 0.8f);

    float zero[3] = {0, 0, 0};
    testing::internal::CaptureStderr();
    normalizeTriple(zero);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(zero[0], 0.0f);
    EXPECT_EQ(zero[1], 0.0f);
    EXPECT_EQ(zero[2], 0.0f);
}

} // namespace
