// The pop-up menus on the real freeglut: the label bytes, the four menus and
// their entry counts as freeglut holds them, each handler's effect on the
// camera, and the switch between the normal and the flight mode, observed
// through what freeglut then calls: the display callback after a redisplay,
// the idle callback in the real main loop, and the special-key callback for
// real X key events.
#include "app/keys.h"
#include "app/menus.h"
#include "app/state.h"
#include "app/views.h"
#include "flight/flight.h"
#include "gl_support.h"

#include <GL/freeglut.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

// From GLX: the X window the current context draws to. Declared here, since
// the X headers' names (Pixmap, None, ...) clash with this program's and
// gtest's.
extern "C" unsigned long glXGetCurrentDrawable();

namespace {

std::vector<unsigned char> bytesOf(const char* label)
{
    const std::string s(label);
    return std::vector<unsigned char>(s.begin(), s.end());
}

std::vector<unsigned char> bytesOf(std::initializer_list<int> values)
{
    std::vector<unsigned char> bytes;
    for (int v : values)
        bytes.push_back(static_cast<unsigned char>(v));
    return bytes;
}

bool same(const Point3& a, const Point3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }
bool same(const Vector3& a, const Vector3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

struct Placement {
    Point3 eye;
    Vector3 u, v, n;
    gl::Matrix matrix;
};

Placement placementOfCamera() { return {camera.eye, camera.u, camera.v, camera.n, gl::modelView()}; }

void expectSamePlacement(const Placement& a, const Placement& b)
{
    EXPECT_TRUE(same(a.eye, b.eye));
    EXPECT_TRUE(same(a.u, b.u));
    EXPECT_TRUE(same(a.v, b.v));
    EXPECT_TRUE(same(a.n, b.n));
    EXPECT_EQ(a.matrix, b.matrix);
}

void startPlacement() { camera.set(0, -200, 60, 40, 0, 60, 0, 0, 1); }

int displayCount = 0;
void countingDisplay() { ++displayCount; }

// Runs one handler and counts the display calls freeglut makes afterwards.
int redisplaysAfter(const std::function<void()>& handler)
{
    gl::pumpEvents();
    displayCount = 0;
    handler();
    gl::pumpEvents();
    return displayCount;
}

// The real main loop until goal() holds, or at most about 10 seconds; then
// the loop returns instead of ending the process. freeglut tears its windows
// down when the loop returns, so this runs only in a process of its own (the
// death-test child below).
std::function<bool()> loopGoal;
int loopChecks = 0;
void watchLoop(int)
{
    if (loopGoal() || ++loopChecks > 2000)
        glutLeaveMainLoop();
    else
        glutTimerFunc(5, watchLoop, 0);
}

bool runMainLoopUntil(std::function<bool()> goal)
{
    loopGoal = std::move(goal);
    loopChecks = 0;
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);
    glutTimerFunc(5, watchLoop, 0);
    glutMainLoop();
    return loopGoal();
}

// Lets freeglut handle events until no display has come for a while: on a
// busy machine the window's first expose may arrive late, and a test that
// counts frames must not see it.
void settleWindow()
{
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    auto quietSince = start;
    int seen = displayCount;
    while (Clock::now() - start < std::chrono::seconds(3)) {
        glutMainLoopEvent();
        if (displayCount != seen) {
            seen = displayCount;
            quietSince = Clock::now();
        } else if (Clock::now() - quietSince > std::chrono::milliseconds(200)) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

class MenusTest : public testing::Test {
protected:
    void SetUp() override
    {
        savedParam_ = flightParam;
        savedSun_ = sunParam;
        savedEye_ = eyePoint;
        savedLook_ = lookPoint;
        if (!quadric)
            quadric = gluNewQuadric();
        glutDisplayFunc(countingDisplay);
        settleWindow();
        startPlacement();
    }
    void TearDown() override
    {
        flightParam = savedParam_;
        sunParam = savedSun_;
        eyePoint = savedEye_;
        lookPoint = savedLook_;
        glutDisplayFunc(countingDisplay);
        glutIdleFunc(nullptr);
        glutSpecialFunc(nullptr);
    }

    float savedParam_ = 0, savedSun_ = 0;
    Point3 savedEye_, savedLook_;
};

TEST(MenuLabels, HelpMenuBytes)
{
    const std::vector<unsigned char> expected[] = {
        bytesOf({'A', 'v', 'a', 'n', 0xE7, 'a', 'r', ' ', '(', 'W', '/', 'w', ')', ' '}),
        bytesOf("Recuar (S/s)"),
        bytesOf("Rodar esquerda (D/d)"),
        bytesOf("Rodar direita (A/a)"),
        bytesOf("Roll esquerda (Q/q)"),
        bytesOf("Roll direita (E/e)"),
        bytesOf("Olha Cima (R/r)"),
        bytesOf("Olha Baixo (F/f)"),
        bytesOf({0x53, 0x75, 0x62, 0x69, 0x72, 0x20, 0x28, 0xB4, 0x7C, 0x60, 0x29}),
        bytesOf({'D', 'e', 's', 'c', 'e', 'r', ' ', '(', ' ', '|', ',', ')'}),
        bytesOf("Mover Esquerda (<-)"),
        bytesOf("Mover Direita (->)"),
    };
    for (int i = 0; i < HelpStepCount; ++i) {
        EXPECT_EQ(bytesOf(HelpMenuTable[i].label), expected[i]) << "position " << i + 2;
        EXPECT_EQ(HelpMenuTable[i].value, i + 1);
    }
    EXPECT_EQ(bytesOf(HelpExitEntry.label),
              bytesOf({'S', 'a', 'i', 'r', ' ', '(', 'E', 'S', 'C', ')', '\t'}));
    EXPECT_EQ(HelpExitEntry.value, 13);
    EXPECT_EQ(bytesOf(FunctionKeyViewsMenuLabel), bytesOf("Vistas F1-F12"));
}

TEST(MenuLabels, MainMenuBytes)
{
    EXPECT_EQ(bytesOf(HelpMenuLabel), bytesOf("Ajuda"));
    EXPECT_EQ(bytesOf(CameraViewsMenuLabel), bytesOf("Vistas da Camera"));
    EXPECT_EQ(bytesOf(MainMenuEntries[0].label), bytesOf("Normaliza"));
    EXPECT_EQ(MainMenuEntries[0].value, 1);
    EXPECT_EQ(bytesOf(MainMenuEntries[1].label), bytesOf("Voo da Camera"));
    EXPECT_EQ(MainMenuEntries[1].value, 2);
    EXPECT_EQ(bytesOf(MainMenuEntries[2].label), bytesOf("Sair"));
    EXPECT_EQ(MainMenuEntries[2].value, 5);
}

TEST_F(MenusTest, BuildsFourMenusWithTheirEntryCounts)
{
    buildMenus();
    // freeglut numbers menus in the order they are made; the main menu,
    // made last, is left current for the attachment.
    const int main = glutGetMenu();
    ASSERT_GE(main, 4);
    const struct {
        int id;
        int entries;
    } menus[] = {{main, 5}, {main - 1, 14}, {main - 2, 9}, {main - 3, 11}};
    for (const auto& menu : menus) {
        glutSetMenu(menu.id);
        EXPECT_EQ(glutGetMenu(), menu.id);
        EXPECT_EQ(glutGet(GLUT_MENU_NUM_ITEMS), menu.entries) << "menu " << menu.id;
    }
}

TEST_F(MenusTest, HelpEntriesMoveAsTheirWordsSay)
{
    // The letters in the labels are only text: "Rodar esquerda (D/d)" turns
    // left as the key A does, "Roll esquerda (Q/q)" rolls left as E does.
    const struct {
        int value;
        CameraStep step;  // kind, du, dv, dn (world units), angle (degrees)
    } rows[] = {
        {1, {CameraStep::Slide, 0, 0, -20, 0}},  // "Avançar (W/w) "
        {2, {CameraStep::Slide, 0, 0, 20, 0}},   // "Recuar (S/s)"
        {3, {CameraStep::Yaw, 0, 0, 0, -20}},    // "Rodar esquerda (D/d)"
        {4, {CameraStep::Yaw, 0, 0, 0, 20}},     // "Rodar direita (A/a)"
        {5, {CameraStep::Roll, 0, 0, 0, -10}},   // "Roll esquerda (Q/q)"
        {6, {CameraStep::Roll, 0, 0, 0, 10}},    // "Roll direita (E/e)"
        {7, {CameraStep::Pitch, 0, 0, 0, -20}},  // "Olha Cima (R/r)"
        {8, {CameraStep::Pitch, 0, 0, 0, 20}},   // "Olha Baixo (F/f)"
        {9, {CameraStep::Slide, 0, 20, 0, 0}},   // "Subir (´|`)"
        {10, {CameraStep::Slide, 0, -20, 0, 0}}, // "Descer ( |,)"
        {11, {CameraStep::Slide, -20, 0, 0, 0}}, // "Mover Esquerda (<-)"
        {12, {CameraStep::Slide, 20, 0, 0, 0}},  // "Mover Direita (->)"
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.value);
        startPlacement();
        const Camera before = camera;
        EXPECT_EQ(redisplaysAfter([&] { helpMenu(row.value); }), 1);
        gl::expectStep(before, camera, row.step);
    }
}

TEST_F(MenusTest, OtherHelpValuesOnlyAskForARedisplay)
{
    const Placement start = placementOfCamera();
    for (int value : {0, 14, -1, 100, INT_MIN, INT_MAX}) {
        SCOPED_TRACE(value);
        EXPECT_EQ(redisplaysAfter([value] { helpMenu(value); }), 1);
        expectSamePlacement(placementOfCamera(), start);
    }
}

TEST_F(MenusTest, CameraViewsApplyTheirViewAndAlwaysRedisplay)
{
    // The entries' values; the views themselves are checked in views_test.
    for (int value : {1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12}) {
        SCOPED_TRACE(value);
        showMenuView(value);
        const Placement view = placementOfCamera();
        startPlacement();
        EXPECT_EQ(redisplaysAfter([value] { cameraViewsMenu(value); }), 1);
        expectSamePlacement(placementOfCamera(), view);
    }
    startPlacement();
    const Placement start = placementOfCamera();
    const Point3 eye = eyePoint;
    for (int value : {9, 0, 13, -1, INT_MAX}) {
        SCOPED_TRACE(value);
        EXPECT_EQ(redisplaysAfter([value] { cameraViewsMenu(value); }), 1);
        expectSamePlacement(placementOfCamera(), start);
        EXPECT_TRUE(same(eyePoint, eye));
    }
}

TEST_F(MenusTest, FunctionKeyViewsAreTheFunctionKeys)
{
    for (int n = 1; n <= 9; ++n) {
        SCOPED_TRACE(n);
        startPlacement();
        specialKeys(GLUT_KEY_F1 + n - 1, 0, 0);
        const Placement byKey = placementOfCamera();
        const Point3 keyEye = eyePoint, keyLook = lookPoint;
        startPlacement();
        eyePoint = Point3(1, 2, 3);
        lookPoint = Point3(4, 5, 6);
        functionKeyViewsMenu(n);
        expectSamePlacement(placementOfCamera(), byKey);
        EXPECT_TRUE(same(eyePoint, keyEye));
        EXPECT_TRUE(same(lookPoint, keyLook));
    }
    startPlacement();
    const Placement start = placementOfCamera();
    for (int value : {0, 10, -1, INT_MIN})
        functionKeyViewsMenu(value);
    expectSamePlacement(placementOfCamera(), start);
}

TEST_F(MenusTest, NormalizaPlacesTheCameraAndDrawsTheNormalFrame)
{
    mainMenu(2);
    displayFlight();
    const Point3 eye = eyePoint, look = lookPoint;
    const float param = flightParam;

    mainMenu(1);
    EXPECT_TRUE(same(camera.eye, Point3(-20, -55, 19)));
    gl::expectLooksAt(Point3(-20, -55, 19), Point3(35, 25, 5));
    EXPECT_TRUE(same(eyePoint, eye));
    EXPECT_TRUE(same(lookPoint, look));

    // The redisplay it asks for draws the normal frame: black, and the
    // flight does not move.
    gl::pumpEvents();
    std::array<float, 4> clear{};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear.data());
    EXPECT_EQ(clear, (std::array<float, 4>{0, 0, 0, 1}));
    EXPECT_EQ(flightParam, param);
    EXPECT_TRUE(same(camera.eye, Point3(-20, -55, 19)));
}

TEST_F(MenusTest, FlightEntryMakesTheFlightFrameTheDisplay)
{
    const Placement start = placementOfCamera();
    mainMenu(2);
    // Nothing moves until a frame is drawn.
    expectSamePlacement(placementOfCamera(), start);
    EXPECT_EQ(flightParam, savedParam_);
    glutPostRedisplay();
    gl::pumpEvents();
    EXPECT_EQ(flightParam, savedParam_ + 10);
    EXPECT_TRUE(same(camera.eye, eyePoint));
    // Choosing it again changes nothing but registering the same callbacks.
    mainMenu(2);
    EXPECT_EQ(flightParam, savedParam_ + 10);
}

TEST_F(MenusTest, OtherMainValuesDoNothing)
{
    const Placement start = placementOfCamera();
    for (int value : {0, 3, 4, 6, -1, INT_MAX})
        mainMenu(value);
    expectSamePlacement(placementOfCamera(), start);
    // The display callback is still the one this test registered.
    EXPECT_EQ(redisplaysAfter([] { glutPostRedisplay(); }), 1);
    EXPECT_EQ(flightParam, savedParam_);
}

TEST_F(MenusTest, LeavingInSegmentCAndEnteringAgainResumes)
{
    mainMenu(2);
    flightParam = 390;
    displayFlight();
    displayFlight();
    EXPECT_TRUE(same(eyePoint, Point3(250, 160, 20)));
    mainMenu(1);
    gl::pumpEvents();
    specialKeys(GLUT_KEY_F5, 0, 0);
    gl::pumpEvents();
    EXPECT_EQ(flightParam, 410.0f);
    mainMenu(2);
    glutPostRedisplay();
    gl::pumpEvents();
    EXPECT_EQ(flightParam, 420.0f);
    EXPECT_TRUE(same(eyePoint, Point3(250, 170, 20)));
    EXPECT_TRUE(same(lookPoint, Point3(52, 142, 20)));
    EXPECT_TRUE(same(camera.eye, Point3(250, 170, 20)));
}

// The idle callback only runs inside glutMainLoop; each of these runs the
// loop in a fresh copy of the test program and reports through its status.
TEST(MenusMainLoop, InFlightModeTheIdleStepsTheFlightNotTheSun)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            if (!quadric)
                quadric = gluNewQuadric();
            const float sun = sunParam;
            const float start = flightParam;
            mainMenu(2);
            // More frames than the redisplays of the window's first
            // appearance could explain.
            const bool flew = runMainLoopUntil([start] { return flightParam >= start + 100; });
            std::fprintf(stderr, "flightParam %g sunParam %g\n", flightParam, sunParam);
            std::exit(flew && sunParam == sun ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST(MenusMainLoop, AfterNormalizaTheIdleStepsTheSunAgain)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            if (!quadric)
                quadric = gluNewQuadric();
            mainMenu(2);
            mainMenu(1);
            const float sun = sunParam;
            const float start = flightParam;
            const bool moved = runMainLoopUntil([sun] { return sunParam != sun; });
            std::fprintf(stderr, "flightParam %g sunParam %g\n", flightParam, sunParam);
            std::exit(moved && flightParam == start ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST(MenusExit, SairEndsTheProgramWithStatusZero)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(mainMenu(5), testing::ExitedWithCode(0), "");
}

TEST(MenusExit, HelpSairEndsTheProgramWithStatusZero)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(helpMenu(13), testing::ExitedWithCode(0), "");
}

// Sends real key events to this test's window through the X server and lets
// freeglut dispatch them, until done() holds (at most about 10 seconds).
bool pressKeys(const std::string& keys, const std::function<bool()>& done)
{
    const unsigned long window = glXGetCurrentDrawable();
    const std::string command =
        "xdotool key --window " + std::to_string(window) + " " + keys + " 2>/dev/null";
    if (std::system(command.c_str()) != 0)
        return false;
    for (int i = 0; i < 1000 && !done(); ++i) {
        glutMainLoopEvent();
        usleep(10000);
    }
    return done();
}

TEST_F(MenusTest, FlightModeHandsTheSpecialKeysToTheFlight)
{
    if (std::system("command -v xdotool > /dev/null") != 0)
        GTEST_SKIP() << "xdotool is not installed";
    // Keep the frame still, so that only the keys move the camera.
    glutDisplayFunc(countingDisplay);
    glutSpecialFunc(specialKeys);
    glutKeyboardFunc(keyboard);
    mainMenu(2);
    glutDisplayFunc(countingDisplay);
    glutIdleFunc(nullptr);

    // F3 is ignored while flying; the letter W still walks.
    startPlacement();
    Camera walked = camera;
    walked.slide(0, 0, -20);
    ASSERT_TRUE(pressKeys("F3 w", [&] { return !same(camera.eye, Point3(0, -200, 60)); }));
    EXPECT_TRUE(same(camera.eye, walked.eye));
    EXPECT_FALSE(same(eyePoint, Point3(-200, 100, 20)));

    // After "Normaliza" F3 jumps to its view again.
    mainMenu(1);
    glutDisplayFunc(countingDisplay);
    glutIdleFunc(nullptr);
    ASSERT_TRUE(pressKeys("F3", [] { return same(camera.eye, Point3(-200, 100, 20)); }));
    EXPECT_TRUE(same(eyePoint, Point3(-200, 100, 20)));
}

} // namespace
