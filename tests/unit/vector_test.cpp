// Point3 and Vector3: products in double, results stored once as floats, and
// the report on short vectors.
#include "math/vector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr const char* ZeroVectorMessage = "\nnormalize() sees vector (0,0,0)!";

void expectVector(const Vector3& v, float x, float y, float z)
{
    EXPECT_FLOAT_EQ(v.x, x);
    EXPECT_FLOAT_EQ(v.y, y);
    EXPECT_FLOAT_EQ(v.z, z);
}

// Runs normalize on v and returns what it wrote on standard error.
std::string normalizeCapturingErrors(Vector3& v)
{
    testing::internal::CaptureStderr();
    v.normalize();
    return testing::internal::GetCapturedStderr();
}

TEST(Vector3, DefaultsAreZero)
{
    expectVector(Vector3(), 0, 0, 0);
    const Point3 p;
    EXPECT_EQ(p.x, 0.0f);
    EXPECT_EQ(p.y, 0.0f);
    EXPECT_EQ(p.z, 0.0f);
}

TEST(Vector3, CrossIsRightHandedAndAntiCommutative)
{
    expectVector(Vector3(1, 0, 0).cross(Vector3(0, 1, 0)), 0, 0, 1);
    expectVector(Vector3(0, 1, 0).cross(Vector3(1, 0, 0)), 0, 0, -1);
    expectVector(Vector3(2, 3, 4).cross(Vector3(2, 3, 4)), 0, 0, 0);
    expectVector(Vector3(1, 2, 3).cross(Vector3(-2, -4, -6)), 0, 0, 0);
}

TEST(Vector3, CrossLeavesOperandsAlone)
{
    Vector3 a(1, 2, 3);
    const Vector3 b(4, 5, 6);
    a.cross(b);
    expectVector(a, 1, 2, 3);
    expectVector(b, 4, 5, 6);
}

TEST(Vector3, DotSumsInDoubleAndRoundsOnce)
{
    EXPECT_EQ(Vector3(1, 2, 3).dot(Vector3(4, 5, 6)), 32.0f);
    // 16777217 is not a float; the double sum is rounded only at the end.
    const Vector3 big(16777216.0f, 1.0f, 1.0f);
    EXPECT_EQ(big.dot(Vector3(1, 1, -1)), 16777216.0f);
    const Vector3 a(1e8f, 1.0f, -1e8f);
    EXPECT_EQ(a.dot(Vector3(1, 1, 1)), 1.0f);
}

TEST(Vector3, NormalizeScalesToUnitLength)
{
    Vector3 v(3, 4, 0);
    EXPECT_EQ(normalizeCapturingErrors(v), "");
    EXPECT_NEAR(v.x, 0.6f, 1e-7);
    EXPECT_NEAR(v.y, 0.8f, 1e-7);
    EXPECT_EQ(v.z, 0.0f);

    Vector3 unit(0, 0, 1);
    unit.normalize();
    expectVector(unit, 0, 0, 1);
}

TEST(Vector3, NormalizeReportsShortVectorsAndLeavesThem)
{
    const Vector3 cases[] = {
        Vector3(0, 0, 0),
        Vector3(1e-4f, 0, 0),        // squared length 1e-8
        Vector3(3e-4f, 0, 0),        // just below the 1e-7 threshold
        Vector3(0, -1e-30f, 1e-30f),
    };
    for (Vector3 v : cases) {
        const Vector3 before = v;
        EXPECT_EQ(normalizeCapturingErrors(v), ZeroVectorMessage);
        EXPECT_EQ(v.x, before.x);
        EXPECT_EQ(v.y, before.y);
        EXPECT_EQ(v.z, before.z);
    }
    Vector3 justLongEnough(3.2e-4f, 0, 0);
    EXPECT_EQ(normalizeCapturingErrors(justLongEnough), "");
    EXPECT_FLOAT_EQ(justLongEnough.x, 1.0f);
}

TEST(Vector3, NormalizeReportsNonFiniteVectorsAndLeavesThem)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    Vector3 v(nan, 1, 2);
    EXPECT_EQ(normalizeCapturingErrors(v), ZeroVectorMessage);
    EXPECT_TRUE(std::isnan(v.x));
    EXPECT_EQ(v.y, 1.0f);
    EXPECT_EQ(v.z, 2.0f);
}

TEST(Vector3, NormalizeReportsOncePerCall)
{
    Vector3 v;
    testing::internal::CaptureStderr();
    v.normalize();
    v.normalize();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              std::string(ZeroVectorMessage) + ZeroVectorMessage);
}

TEST(Vector3, SetCopiesFields)
{
    Vector3 v;
    v.set(1, 2, 3);
    expectVector(v, 1, 2, 3);
    Vector3 w;
    w.set(v);
    expectVector(w, 1, 2, 3);
    Point3 p;
    p.set(Point3(4, 5, 6));
    EXPECT_EQ(p.x, 4.0f);
    EXPECT_EQ(p.y, 5.0f);
    EXPECT_EQ(p.z, 6.0f);
}

} // namespace
