// The quad model reader without GL: the record count rule, the field order of
// a record, files that end or go wrong early, and the face normal helpers.
#include "scene/face_normal.h"
#include "scene/quad_model_file.h"
#include "scene/token_reader.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstring>
#include <sstream>
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

// The same text read from a stream a few bytes at a time, so that chunk
// boundaries fall inside tokens; it must read as the text in memory does.
Parsed parseInChunks(const std::string& text, std::size_t chunkBytes)
{
    std::istringstream in(text);
    testing::internal::CaptureStderr();
    Parsed parsed;
    parsed.quads = parseQuadModel(in, "model.geo", chunkBytes);
    parsed.errors = testing::internal::GetCapturedStderr();
    return parsed;
}

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

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

// Tokens as the C locale's formatted extraction reads them into a double
// (x of vertex 1) and an int (the texture id): where it stops, what it takes
// as a number, what it refuses. After x come the numbers 12 to 30, one more
// than the record needs, so a token that leaves a part behind shifts them.
TEST(QuadModelFile, NumbersReadAsTheCLocaleExtractionReadsThem)
{
    const std::string tail = " 12 13 14 15 16 17 18 19 20 21 22 23 24 25 26 27 28 29 30";
    const std::string tinyFraction = "0." + std::string(400, '0') + "1e10";  // 1e-391
    struct Read {
        std::string token;
        double x;        // x of vertex 1 as a double, rounded to float by the reader
        double next;     // the field after it: 12, or the part the token left
    };
    const Read reads[] = {
        {"+.5", 0.5, 12}, {"-.5e1", -5, 12}, {"1.", 1, 12}, {"007", 7, 12},
        {"0.e5", 0, 12}, {"1E2", 100, 12}, {"1e+2", 100, 12}, {"1e-2", 0.01, 12},
        {"1e-400", 0.0, 12}, {"-1e-400", -0.0, 12}, {"-1e-99999999999999999999", -0.0, 12},
        {tinyFraction, 0.0, 12}, {"1e-320", 1e-320, 12},
        {"1.2.3", 1.2, 0.3}, {"1e5.3", 1e5, 0.3}, {"5-7", 5, -7}, {"2+3", 2, 3},
    };
    for (const Read& read : reads)
        for (std::size_t chunk : {std::size_t(0), std::size_t(1), std::size_t(3)}) {
            const std::string text = "1 q 2001 " + read.token + tail;
            const Parsed parsed = chunk ? parseInChunks(text, chunk) : parse(text);
            ASSERT_EQ(parsed.quads.size(), 1u) << read.token << " " << parsed.errors;
            EXPECT_TRUE(sameBits(parsed.quads[0].vertices[0][0], float(read.x))) << read.token;
            EXPECT_TRUE(sameBits(parsed.quads[0].vertices[0][1], float(read.next))) << read.token;
            EXPECT_EQ(parsed.errors, "") << read.token;
        }

    // The byte at which the extraction stops stays for the next field; one
    // beyond the double range, or a taken part that is no whole number, fails.
    struct Refusal {
        std::string token;
        const char* field;  // the field that fails
    };
    const Refusal refusals[] = {
        {"0x1p3", "y of vertex 1"}, {"1e5e3", "y of vertex 1"}, {"1,5", "y of vertex 1"},
        {"inf", "x of vertex 1"}, {"nan", "x of vertex 1"}, {"e5", "x of vertex 1"},
        {".", "x of vertex 1"}, {"+", "x of vertex 1"}, {"-", "x of vertex 1"},
        {"+-1", "x of vertex 1"}, {"-e5", "x of vertex 1"}, {".e5", "x of vertex 1"},
        {"1e", "x of vertex 1"}, {"1e+", "x of vertex 1"}, {"1e.5", "x of vertex 1"},
        {"1e309", "x of vertex 1"}, {"-1e309", "x of vertex 1"},
        {"1.7976931348623159e308", "x of vertex 1"},  // past DBL_MAX by more than half a step
        {"0.001e312", "x of vertex 1"}, {"1e99999999999999999999", "x of vertex 1"},
    };
    for (const Refusal& refusal : refusals)
        for (std::size_t chunk : {std::size_t(0), std::size_t(2)}) {
            const std::string text = "1 q 2001 " + refusal.token + tail;
            const Parsed parsed = chunk ? parseInChunks(text, chunk) : parse(text);
            EXPECT_TRUE(parsed.quads.empty()) << refusal.token;
            EXPECT_NE(parsed.errors.find(std::string("does not read as ") + refusal.field),
                      std::string::npos)
                << refusal.token << ": " << parsed.errors;
        }
    // The largest double itself reads (and is too large for a float).
    const Parsed largest = parse("1 q 2001 1.7976931348623157e308" + tail);
    ASSERT_EQ(largest.quads.size(), 1u);
    EXPECT_EQ(largest.quads[0].vertices[0][0], INFINITY);

    // An int: a sign and digits, inside int's range; a '.' or an 'x' stops it.
    struct Texture {
        std::string token;
        bool reads;
        int texture;
        double x;  // x of vertex 1: 11, or the part the token left
    };
    const Texture textures[] = {
        {"+2001", true, 2001, 11}, {"-0", true, 0, 11}, {"0002001", true, 2001, 11},
        {"2147483647", true, INT_MAX, 11}, {"-2147483648", true, INT_MIN, 11},
        {"2001.5", true, 2001, 0.5}, {"2001e3", false, 2001, 0},
        {"2147483648", false, 0, 0}, {"-2147483649", false, 0, 0},
        {"99999999999999999999999", false, 0, 0}, {"+", false, 0, 0}, {"0x7d1", false, 0, 0},
    };
    for (const Texture& texture : textures)
        for (std::size_t chunk : {std::size_t(0), std::size_t(1)}) {
            const std::string text = "1 q " + texture.token + " 11" + tail;
            const Parsed parsed = chunk ? parseInChunks(text, chunk) : parse(text);
            if (!texture.reads) {
                EXPECT_TRUE(parsed.quads.empty()) << texture.token;
                continue;
            }
            ASSERT_EQ(parsed.quads.size(), 1u) << texture.token << " " << parsed.errors;
            EXPECT_EQ(parsed.quads[0].texture, texture.texture) << texture.token;
            EXPECT_EQ(parsed.quads[0].vertices[0][0], float(texture.x)) << texture.token;
        }
    // "2001e3" stops the int at the 'e', which then does not read as x;
    // "0x7d1" reads 0, and "x7d1" is no x either.
    EXPECT_NE(parse("1 q 2001e3 11" + tail).errors.find("does not read as x of vertex 1"),
              std::string::npos);
    EXPECT_NE(parse("1 q 0x7d1 11" + tail).errors.find("does not read as x of vertex 1"),
              std::string::npos);
    EXPECT_NE(parse("1 q 2147483648 11" + tail).errors.find("does not read as its texture id"),
              std::string::npos);
}

// A token cut off by the end of the file is the file ending, not a bad token,
// even when what came before it would not have read either.
TEST(QuadModelFile, TokensCutOffByTheEnd)
{
    for (std::size_t chunk : {std::size_t(0), std::size_t(1), std::size_t(4)}) {
        for (const char* end : {"1e", "1e-", "-", "."}) {
            const std::string text = std::string("1 q 2001 ") + end;
            const Parsed parsed = chunk ? parseInChunks(text, chunk) : parse(text);
            EXPECT_NE(parsed.errors.find("the file ends before x of vertex 1"), std::string::npos)
                << end << ": " << parsed.errors;
            EXPECT_NE(parse(text + " ").errors.find("does not read as x of vertex 1"),
                      std::string::npos)
                << end;
        }
        // An 'e' after no digit is where the number stops, before the end.
        const Parsed stopped = chunk ? parseInChunks("1 q 2001 .e", chunk) : parse("1 q 2001 .e");
        EXPECT_NE(stopped.errors.find("does not read as x of vertex 1"), std::string::npos)
            << stopped.errors;
        const std::string sign = "1 q +";
        const Parsed parsed = chunk ? parseInChunks(sign, chunk) : parse(sign);
        EXPECT_NE(parsed.errors.find("the file ends before its texture id"), std::string::npos)
            << parsed.errors;
        // The last number of the file runs into its end and still reads.
        const std::string whole = "1 q 2001 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 2e1";
        const Parsed last = chunk ? parseInChunks(whole, chunk) : parse(whole);
        ASSERT_EQ(last.quads.size(), 1u) << last.errors;
        EXPECT_EQ(last.quads[0].texCoords[3][1], 20.0f);
        EXPECT_EQ(last.errors, "");
    }
}

// A double is the one nearest to the decimal, also where one rounding of
// w * 10^e from exact doubles is not enough: w beyond 2^53, 10^e beyond
// 10^22 (neither exact), more than 19 digits (which wrap a 64-bit w).
// Nearest doubles worked out with exact arithmetic.
TEST(TokenReader, DoublesAreTheNearestToTheDecimal)
{
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"0.1", 0x1.999999999999ap-4},
        {"-0", -0.0},
        {"9007199254740993e1", 0x1.4000000000001p+56},  // 2^53 + 1, times ten
        {"3e23", 0x1.fc3842bd1f072p+77},
        {"1e-23", 0x1.82db34012b251p-77},
        {"92233720368547758087", 0x1.4p+66},  // 5 * 2^64 + 7
        {"0.00000000000000000000000000001", 0x1.95a5efea6b347p-97},  // 1e-29
    };
    for (const auto& c : cases) {
        TokenReader reader(c.text, c.text + std::strlen(c.text));
        double value = 1;
        ASSERT_TRUE(reader.readDouble(value)) << c.text;
        EXPECT_EQ(std::memcmp(&value, &c.value, sizeof value), 0)
            << c.text << " " << std::hexfloat << value;
        EXPECT_TRUE(reader.ended());
    }
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
