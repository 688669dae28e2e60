// The keyboard and special-key callbacks on the real camera: each key's step
// as the keys are defined (slides of 20 units, yaws and pitches of 20
// degrees, rolls of 10), checked by the rules of the camera's frame; the nine
// function-key views at their placements; the redisplay every key asks for,
// counted through freeglut's own event processing; ESC's exit.
#include "app/keys.h"
#include "app/state.h"
#include "gl_support.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <climits>
#include <functional>

namespace {

int displayCount = 0;
void countingDisplay() { ++displayCount; }

// The camera's whole placement and the matrix it loaded.
struct Placement {
    Point3 eye;
    Vector3 u, v, n;
    gl::Matrix matrix;
};

Placement placementOf(const Camera& c)
{
    return {c.eye, c.u, c.v, c.n, gl::modelView()};
}

bool same(const Point3& a, const Point3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }
bool same(const Vector3& a, const Vector3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

void expectSamePlacement(const Placement& a, const Placement& b)
{
    EXPECT_TRUE(same(a.eye, b.eye));
    EXPECT_TRUE(same(a.u, b.u));
    EXPECT_TRUE(same(a.v, b.v));
    EXPECT_TRUE(same(a.n, b.n));
    EXPECT_EQ(a.matrix, b.matrix);
}

class KeysTest : public testing::Test {
protected:
    void SetUp() override
    {
        savedEye_ = eyePoint;
        savedLook_ = lookPoint;
        glutDisplayFunc(countingDisplay);
        gl::pumpEvents();
        camera.set(0, -200, 60, 40, 0, 60, 0, 0, 1);
        start_ = placementOf(camera);
    }
    void TearDown() override
    {
        eyePoint = savedEye_;
        lookPoint = savedLook_;
    }

    // Runs one callback and counts the display calls that freeglut then
    // makes for the redisplay requests.
    int redisplaysAfter(const std::function<void()>& callback)
    {
        gl::pumpEvents();
        displayCount = 0;
        callback();
        gl::pumpEvents();
        return displayCount;
    }

    Placement start_;
    Point3 savedEye_, savedLook_;
};

TEST_F(KeysTest, LettersTakeTheirStepsInBothCases)
{
    const struct {
        unsigned char key;
        CameraStep step;  // kind, du, dv, dn (world units), angle (degrees)
    } rows[] = {
        {'W', {CameraStep::Slide, 0, 0, -20, 0}},  // forward
        {'S', {CameraStep::Slide, 0, 0, 20, 0}},   // back
        {'A', {CameraStep::Yaw, 0, 0, 0, -20}},    // turn left
        {'D', {CameraStep::Yaw, 0, 0, 0, 20}},     // turn right
        {'R', {CameraStep::Pitch, 0, 0, 0, -20}},  // look up
        {'F', {CameraStep::Pitch, 0, 0, 0, 20}},   // look down
        {'Q', {CameraStep::Roll, 0, 0, 0, 10}},    // roll right
        {'E', {CameraStep::Roll, 0, 0, 0, -10}},   // roll left
    };
    for (const auto& row : rows) {
        for (unsigned char key : {row.key, static_cast<unsigned char>(row.key + 32)}) {
            SCOPED_TRACE(key);
            camera.set(0, -200, 60, 40, 0, 60, 0, 0, 1);
            const Camera before = camera;
            keyboard(key, 0, 0);
            gl::expectStep(before, camera, row.step);
        }
    }
}

TEST_F(KeysTest, EveryOrdinaryKeyAsksForOneRedisplay)
{
    // Nothing asked, nothing drawn: the count sees only the key's request.
    ASSERT_EQ(redisplaysAfter([] {}), 0);
    const std::string letters = "WSADRFQEwsadrfqe";
    for (int key = 0; key < 256; ++key) {
        if (key == 27)
            continue;
        SCOPED_TRACE(key);
        camera.set(0, -200, 60, 40, 0, 60, 0, 0, 1);
        EXPECT_EQ(redisplaysAfter([key] { keyboard(static_cast<unsigned char>(key), 0, 0); }), 1);
        // The accents, the space and the comma that the help menu shows
        // for moving up and down are no keys of this program.
        if (letters.find(char(key)) == std::string::npos) {
            expectSamePlacement(placementOf(camera), start_);
        }
    }
    EXPECT_TRUE(same(eyePoint, savedEye_));
}

TEST_F(KeysTest, ArrowsSlideAlongTheViewAxes)
{
    const struct {
        int key;
        CameraStep step;
    } rows[] = {
        {GLUT_KEY_LEFT, {CameraStep::Slide, -20, 0, 0, 0}},
        {GLUT_KEY_UP, {CameraStep::Slide, 0, 20, 0, 0}},
        {GLUT_KEY_RIGHT, {CameraStep::Slide, 20, 0, 0, 0}},
        {GLUT_KEY_DOWN, {CameraStep::Slide, 0, -20, 0, 0}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.key);
        camera.set(0, -200, 60, 40, 0, 60, 0, 0, 1);
        const Camera before = camera;
        EXPECT_EQ(redisplaysAfter([&] { specialKeys(row.key, 0, 0); }), 1);
        gl::expectStep(before, camera, row.step);
    }
}

TEST_F(KeysTest, FunctionKeysJumpToTheirViews)
{
    // Eye and look of the views of F1 to F9, z up.
    const Point3 views[9][2] = {
        {{-5, 170, 6}, {0, 0, 0}},         {{400, 400, 100}, {0, 0, 0}},
        {{-200, 100, 20}, {0, 100, 0}},    {{400, 100, 20}, {0, 100, 0}},
        {{50, 430, 20}, {50, 0, 0}},       {{150, -230, 60}, {150, 0, 0}},
        {{-150, 150, 400}, {-30, 70, 0}},  {{20, 20, 10}, {30, 30, 10}},
        {{90, 90, 10}, {50, 50, 10}},
    };
    for (int n = 1; n <= 9; ++n) {
        SCOPED_TRACE(n);
        const Point3 &eye = views[n - 1][0], &look = views[n - 1][1];
        EXPECT_EQ(redisplaysAfter([n] { specialKeys(GLUT_KEY_F1 + n - 1, 0, 0); }), 1);
        EXPECT_TRUE(same(camera.eye, eye));
        EXPECT_TRUE(same(eyePoint, eye));
        EXPECT_TRUE(same(lookPoint, look));
        gl::expectLooksAt(eye, look);
    }
}

TEST_F(KeysTest, OtherSpecialKeysOnlyAskForARedisplay)
{
    const int keys[] = {0,   GLUT_KEY_F10, GLUT_KEY_F11, GLUT_KEY_F12, GLUT_KEY_PAGE_UP,
                        GLUT_KEY_PAGE_DOWN, GLUT_KEY_HOME, GLUT_KEY_END, GLUT_KEY_INSERT,
                        13,  99, 104 + 5, 112, 200, -1, INT_MIN, INT_MAX};
    for (int key : keys) {
        SCOPED_TRACE(key);
        EXPECT_EQ(redisplaysAfter([key] { specialKeys(key, 0, 0); }), 1);
        expectSamePlacement(placementOf(camera), start_);
        EXPECT_TRUE(same(eyePoint, savedEye_));
        EXPECT_TRUE(same(lookPoint, savedLook_));
    }
}

TEST_F(KeysTest, MovesAfterAViewLeaveItsRecordedPoints)
{
    specialKeys(GLUT_KEY_F3, 0, 0);
    keyboard('w', 0, 0);
    keyboard('d', 0, 0);
    specialKeys(GLUT_KEY_UP, 0, 0);
    EXPECT_FALSE(same(camera.eye, Point3(-200, 100, 20)));
    EXPECT_TRUE(same(eyePoint, Point3(-200, 100, 20)));
    EXPECT_TRUE(same(lookPoint, Point3(0, 100, 0)));
}

TEST(KeysExit, EscapeEndsTheProgramWithStatusZero)
{
    // A fresh copy of the test program, so that the GL driver's threads
    // are not forked.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(keyboard(27, 0, 0), testing::ExitedWithCode(0), "");
}

} // namespace
