// The flight path without GL: frames per segment from the start value, the
// sample points, the one still frame at each gap between segments, the still
// camera after the end, and stepFlightPath on the program-wide state.
#include "app/state.h"
#include "flight/flight.h"
#include "flight/flight_path.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

void expectPoint(const Point3& p, float x, float y, float z)
{
    EXPECT_EQ(p.x, x);
    EXPECT_EQ(p.y, y);
    EXPECT_EQ(p.z, z);
}

void expectNear(const Point3& p, double x, double y, double z, double tolerance)
{
    EXPECT_NEAR(p.x, x, tolerance);
    EXPECT_NEAR(p.y, y, tolerance);
    EXPECT_NEAR(p.z, z, tolerance);
}

bool samePoint(const Point3& a, const Point3& b)
{
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

// The cubic in Horner form: the same polynomial by another road.
double cubic(double f)
{
    return ((5.944504640519e-05 * f + 0.048333184118664) * f + 11.28766266044) * f
           + 661.1661011971;
}

// Every pose of the flight from the program's start value, one per frame.
std::vector<FlightPose> flightFromStart(int frames)
{
    std::vector<FlightPose> poses;
    float param = -620;
    Point3 eye(-400, 300, 200);
    for (int i = 0; i < frames; ++i) {
        const FlightPose pose = nextFlightPose(param, eye);
        poses.push_back(pose);
        param = pose.param;
        eye = pose.eye;
    }
    return poses;
}

TEST(FlightPath, FramesPerSegmentFromTheStartValue)
{
    // -610 .. 1590 is 221 frames.
    const std::vector<FlightPose> poses = flightFromStart(221);
    ASSERT_EQ(poses.front().param, -610.0f);
    ASSERT_EQ(poses.back().param, 1590.0f);

    int approach = 0, straight = 0, alongX250 = 0, climb = 0, circle = 0;
    std::vector<float> stillAt;
    Point3 previous(-400, 300, 200);
    for (const FlightPose& pose : poses) {
        const float f = pose.param;
        const Point3& e = pose.eye;
        if (samePoint(e, previous))
            stillAt.push_back(f);
        else if (e.x == f && e.y == -10 && e.z == 20)
            ++straight;
        else if (e.x == f && e.z == 20)
            ++approach;
        else if (e.x == 250 && e.y == f - 250 && e.z == f - 750)
            ++climb;  // passes height 20 at f = 770
        else if (e.x == 250 && e.y == f - 250 && e.z == 20)
            ++alongX250;
        else if (e.z == 200)
            ++circle;
        else
            ADD_FAILURE() << "f = " << f << " fits no segment";
        previous = e;
    }
    EXPECT_EQ(approach, 51);
    EXPECT_EQ(straight, 34);
    EXPECT_EQ(alongX250, 49);
    EXPECT_EQ(climb, 24);
    EXPECT_EQ(circle, 59);
    EXPECT_EQ(stillAt, (std::vector<float>{-100, 250, 750, 1000}));
}

TEST(FlightPath, SamplePoints)
{
    const std::vector<FlightPose> poses = flightFromStart(221);
    auto at = [&](float f) {
        for (const FlightPose& pose : poses)
            if (pose.param == f)
                return pose;
        ADD_FAILURE() << "no frame at f = " << f;
        return FlightPose{};
    };

    const FlightPose first = at(-610);
    EXPECT_EQ(first.eye.x, -610.0f);
    EXPECT_FLOAT_EQ(first.eye.y, float(cubic(-610)));
    EXPECT_EQ(first.eye.z, 20.0f);
    expectPoint(first.look, 40, 40, 20);

    const FlightPose lastApproach = at(-110);
    EXPECT_EQ(lastApproach.eye.x, -110.0f);
    EXPECT_FLOAT_EQ(lastApproach.eye.y, float(cubic(-110)));
    EXPECT_EQ(lastApproach.eye.z, 20.0f);
    expectPoint(lastApproach.look, 40, 40, 20);

    const FlightPose straight = at(0);
    expectPoint(straight.eye, 0, -10, 20);
    expectPoint(straight.look, 40, 40, 20);

    expectPoint(at(260).eye, 250, 10, 20);
    expectPoint(at(260).look, 36, 126, 20);
    expectPoint(at(990).eye, 250, 740, 240);
    expectPoint(at(990).look, 109, 199, 20);

    // 1010 degrees is the direction of 290 degrees.
    const double d290 = 290 * M_PI / 180;
    expectNear(at(1010).eye, 500 + 500 * std::cos(d290), 300 + 500 * std::sin(d290), 200, 1e-3);
    expectPoint(at(1010).look, 111, 201, 20);
    // 1590 degrees is the direction of 150 degrees.
    expectNear(at(1590).eye, 500 - 250 * std::sqrt(3.0), 550, 200, 1e-3);
    expectPoint(at(1590).look, 169, 259, 20);
}

TEST(FlightPath, ApproachCubicIsStoredAsAFloat)
{
    for (float f : {-610.0f, -300.0f, -110.0f, -101.0f}) {
        EXPECT_FLOAT_EQ(flightApproachY(f), float(cubic(f))) << "f = " << f;
        EXPECT_NEAR(flightApproachY(f), cubic(f), 1e-3) << "f = " << f;
    }
}

TEST(FlightPath, EachGapIsOneStillFrameLookingAtTheDefault)
{
    struct Gap {
        float before;       // the parameter of the frame before the gap
        Point3 lookAfter;   // the look point of the frame after it
    };
    const Gap gaps[] = {
        {-110, Point3(40, 40, 20)},
        {240, Point3(36, 126, 20)},
        {740, Point3(86, 176, 20)},
        {990, Point3(111, 201, 20)},
    };
    for (const Gap& gap : gaps) {
        SCOPED_TRACE(gap.before);
        const FlightPose before = nextFlightPose(gap.before - 10, Point3(-400, 300, 200));
        const FlightPose still = nextFlightPose(before.param, before.eye);
        EXPECT_EQ(still.param, gap.before + 10);
        expectPoint(still.eye, before.eye.x, before.eye.y, before.eye.z);
        expectPoint(still.look, 40, 40, 20);
        const FlightPose after = nextFlightPose(still.param, still.eye);
        EXPECT_FALSE(samePoint(after.eye, still.eye));
        expectPoint(after.look, gap.lookAfter.x, gap.lookAfter.y, gap.lookAfter.z);
    }
}

TEST(FlightPath, AfterTheEndTheCameraStandsStillLookingAtTheDefault)
{
    const std::vector<FlightPose> poses = flightFromStart(600);
    const Point3 last = poses[220].eye;  // f = 1590
    for (std::size_t i = 221; i < poses.size(); ++i) {
        SCOPED_TRACE(poses[i].param);
        EXPECT_GE(poses[i].param, 1600.0f);
        expectPoint(poses[i].eye, last.x, last.y, last.z);
        expectPoint(poses[i].look, 40, 40, 20);
    }
    // Whatever eye a preset view left behind stays put too.
    const FlightPose late = nextFlightPose(5000, Point3(-200, 100, 20));
    expectPoint(late.eye, -200, 100, 20);
    expectPoint(late.look, 40, 40, 20);
}

TEST(FlightPath, ParameterGrowsAsAFloat)
{
    // Far beyond the path the parameter stops growing once 10 is below half
    // a unit in its last place; it never turns into infinity or NaN.
    const FlightPose pose = nextFlightPose(3.0e8f, Point3(1, 2, 3));
    EXPECT_EQ(pose.param, 3.0e8f);
    expectPoint(pose.eye, 1, 2, 3);
}

// stepFlightPath on the program-wide state, which it must leave as it found
// it for the other tests of this process.
class StepFlightPath : public testing::Test {
protected:
    void SetUp() override
    {
        savedParam_ = flightParam;
        savedEye_ = eyePoint;
        savedLook_ = lookPoint;
    }
    void TearDown() override
    {
        flightParam = savedParam_;
        eyePoint = savedEye_;
        lookPoint = savedLook_;
    }

    float savedParam_ = 0;
    Point3 savedEye_, savedLook_;
};

TEST_F(StepFlightPath, FirstStepFromTheStartValuesIsAtMinus610)
{
    flightParam = -620;
    eyePoint = Point3(-400, 300, 200);
    lookPoint = Point3(0, 0, 0);
    stepFlightPath();
    EXPECT_EQ(flightParam, -610.0f);
    EXPECT_EQ(eyePoint.x, -610.0f);
    EXPECT_FLOAT_EQ(eyePoint.y, float(cubic(-610)));
    expectPoint(lookPoint, 40, 40, 20);
}

TEST_F(StepFlightPath, ResumesWhereItStood)
{
    // Left in segment C and entered again: the next step goes on from there.
    flightParam = 400;
    eyePoint = Point3(-200, 100, 20);  // say, a preset view chosen meanwhile
    stepFlightPath();
    EXPECT_EQ(flightParam, 410.0f);
    expectPoint(eyePoint, 250, 160, 20);
    expectPoint(lookPoint, 51, 141, 20);
}

} // namespace
