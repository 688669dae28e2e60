// The keyboard and special-key callbacks on the real camera: each key's step,
// read back from the camera and from GL_MODELVIEW; the redisplay every key
// asks for, counted through freeglut's own event processing; ESC's exit.
#include "app/keys.h"
#include "app/state.h"
#include "app/views.h"
#include "gl_support.h"

#include <GL/freeglut.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
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

void expectNear(const Vector3& a, const Vector3& b, float tolerance)
{
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

double dot(const Vector3& a, const Vector3& b)
{
    return double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z;
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

    // What one camera operation does from the start placement.
    Placement expected(const std::function<void(Camera&)>& operation)
    {
        Camera copy = camera;
        operation(copy);
        const Placement result = placementOf(copy);
        camera.setModelViewMatrix();
        return result;
    }

    Placement start_;
    Point3 savedEye_, savedLook_;
};

TEST_F(KeysTest, ForwardAndBackAndTurnsUndoEachOther)
{
    keyboard('w', 0, 0);
    EXPECT_FALSE(same(camera.eye, start_.eye));
    keyboard('s', 0, 0);
    EXPECT_NEAR(camera.eye.x, start_.eye.x, 1e-4f);
    EXPECT_NEAR(camera.eye.y, start_.eye.y, 1e-4f);
    EXPECT_NEAR(camera.eye.z, start_.eye.z, 1e-4f);

    keyboard('a', 0, 0);
    keyboard('d', 0, 0);
    expectNear(camera.n, start_.n, 1e-6f);
    expectNear(camera.u, start_.u, 1e-6f);
    keyboard('q', 0, 0);
    keyboard('e', 0, 0);
    expectNear(camera.v, start_.v, 1e-6f);
    keyboard('r', 0, 0);
    keyboard('f', 0, 0);
    expectNear(camera.n, start_.n, 1e-6f);
    expectNear(camera.v, start_.v, 1e-6f);
}

TEST_F(KeysTest, LettersStepTheCameraInBothCases)
{
    struct Row {
        unsigned char key;
        std::function<void(Camera&)> operation;
    };
    const Row rows[] = {
        {'W', [](Camera& c) { c.slide(0, 0, -20); }},
        {'S', [](Camera& c) { c.slide(0, 0, 20); }},
        {'A', [](Camera& c) { c.yaw(-20); }},
        {'D', [](Camera& c) { c.yaw(20); }},
        {'R', [](Camera& c) { c.pitch(-20); }},
        {'F', [](Camera& c) { c.pitch(20); }},
        {'Q', [](Camera& c) { c.roll(10); }},
        {'E', [](Camera& c) { c.roll(-10); }},
    };
    for (const Row& row : rows) {
        for (unsigned char key : {row.key, static_cast<unsigned char>(row.key + 32)}) {
            SCOPED_TRACE(key);
            camera.set(0, -200, 60, 40, 0, 60, 0, 0, 1);
            const Placement want = expected(row.operation);
            keyboard(key, 0, 0);
            expectSamePlacement(placementOf(camera), want);
        }
    }
}

TEST_F(KeysTest, StepsGoTheWayTheirNamesSay)
{
    // The start view looks along (40, 200, 0): forward is towards the look
    // point, right is roughly +x.
    const Vector3 forward(-start_.n.x, -start_.n.y, -start_.n.z);
    keyboard('w', 0, 0);
    EXPECT_NEAR(camera.eye.x - start_.eye.x, 20 * forward.x, 1e-3f);
    EXPECT_NEAR(camera.eye.y - start_.eye.y, 20 * forward.y, 1e-3f);

    camera.set(0, -200, 60, 40, 0, 60, 0, 0, 1);
    keyboard('d', 0, 0);  // turn right: the view direction tips towards u
    EXPECT_GT(-dot(camera.n, start_.u), 0.3);
    camera.set(0, -200, 60, 40, 0, 60, 0, 0, 1);
    keyboard('a', 0, 0);  // turn left
    EXPECT_LT(-dot(camera.n, start_.u), -0.3);
    camera.set(0, -200, 60, 40, 0, 60, 0, 0, 1);
    keyboard('r', 0, 0);  // look up
    EXPECT_GT(-camera.n.z, 0.3f);
    camera.set(0, -200, 60, 40, 0, 60, 0, 0, 1);
    keyboard('q', 0, 0);  // roll right: the up vector tips to the right
    EXPECT_GT(dot(camera.v, start_.u), 0.1);
    camera.set(0, -200, 60, 40, 0, 60, 0, 0, 1);
    keyboard('e', 0, 0);  // roll left
    EXPECT_LT(dot(camera.v, start_.u), -0.1);
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
    struct Row {
        int key;
        std::function<void(Camera&)> operation;
    };
    const Row rows[] = {
        {GLUT_KEY_LEFT, [](Camera& c) { c.slide(-20, 0, 0); }},
        {GLUT_KEY_UP, [](Camera& c) { c.slide(0, 20, 0); }},
        {GLUT_KEY_RIGHT, [](Camera& c) { c.slide(20, 0, 0); }},
        {GLUT_KEY_DOWN, [](Camera& c) { c.slide(0, -20, 0); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.key);
        camera.set(0, -200, 60, 40, 0, 60, 0, 0, 1);
        const Placement want = expected(row.operation);
        EXPECT_EQ(redisplaysAfter([&] { specialKeys(row.key, 0, 0); }), 1);
        expectSamePlacement(placementOf(camera), want);
    }
    // Up goes up: the start view is level, so v is the world's z.
    camera.set(0, -200, 60, 40, 0, 60, 0, 0, 1);
    specialKeys(GLUT_KEY_UP, 0, 0);
    EXPECT_NEAR(camera.eye.z, 80.0f, 1e-4f);
}

TEST_F(KeysTest, FunctionKeysJumpToTheirViews)
{
    for (int n = 1; n <= 9; ++n) {
        SCOPED_TRACE(n);
        const PresetView& view = FunctionKeyViewTable[n - 1].view;
        EXPECT_EQ(redisplaysAfter([n] { specialKeys(GLUT_KEY_F1 + n - 1, 0, 0); }), 1);
        EXPECT_TRUE(same(camera.eye, view.eye()));
        EXPECT_TRUE(same(eyePoint, view.eye()));
        EXPECT_TRUE(same(lookPoint, view.look()));
        const gl::Matrix ours = gl::modelView();
        glPushMatrix();
        glLoadIdentity();
        gluLookAt(view.eyeX, view.eyeY, view.eyeZ, view.lookX, view.lookY, view.lookZ, 0, 0, 1);
        EXPECT_LT(gl::maxDifference(ours, gl::modelView()), 1e-3f);
        glPopMatrix();
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
