// Applying the named views of "Vistas da Camera" to the real camera: where
// each puts the eye, the viewing matrix it loads, and which of them record
// their points in eyePoint and lookPoint (where light 1 and the flight start
// from). The function-key views are checked through their keys
// (keys_test.cpp).
#include "app/state.h"
#include "app/views.h"
#include "gl_support.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

bool same(const Point3& a, const Point3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

class ViewsTest : public testing::Test {
protected:
    void SetUp() override
    {
        savedEye_ = eyePoint;
        savedLook_ = lookPoint;
        eyePoint = Point3(-400, 300, 200);
        lookPoint = Point3(0, 0, 0);
        camera.set(0, -200, 60, 40, 0, 60, 0, 0, 1);
    }
    void TearDown() override
    {
        eyePoint = savedEye_;
        lookPoint = savedLook_;
    }

    Point3 savedEye_, savedLook_;
};

TEST_F(ViewsTest, MenuViewsPlaceTheCameraAndRecordTheirPointsOnlyWhereMarked)
{
    const struct {
        int value;
        Point3 eye, look;
        bool storesPoints;
    } views[] = {
        {1, {-200, 100, 20}, {0, 100, 0}, true},     // "Frente  "
        {2, {400, 100, 20}, {0, 100, 0}, true},      // "Trás    "
        {3, {90, -100, 30}, {90, 0, 20}, false},     // "Lat. Direito"
        {4, {50, 330, 40}, {50, 0, 0}, true},        // "Lat. Esquerdo"
        {5, {200, -50, -10}, {0, 100, -10}, false},  // "Garagem "
        {6, {10, 10, 30}, {30, 30, 10}, true},       // "Alçado  "
        {7, {-500, -10, 15}, {0, 0, 15}, false},     // "Portão  "
        {8, {1000, 1000, 2}, {400, 0.2f, 22}, false},  // "Rio     "
        {10, {-150, 150, 400}, {-30, 70, 0}, true},  // "Geral 1 "
        {11, {900, 900, 402}, {-60, -4, 1}, false},  // "Geral 2 "
        {12, {-500, 1100, 100}, {-92, 100, 1}, false},  // "Geral 3 "
    };
    // Before any view records its points: light 1's start place.
    Point3 recordedEye(-400, 300, 200), recordedLook(0, 0, 0);
    for (const auto& view : views) {
        SCOPED_TRACE(view.value);
        showMenuView(view.value);
        EXPECT_TRUE(same(camera.eye, view.eye));
        gl::expectLooksAt(view.eye, view.look);
        if (view.storesPoints) {
            recordedEye = view.eye;
            recordedLook = view.look;
        }
        EXPECT_TRUE(same(eyePoint, recordedEye));
        EXPECT_TRUE(same(lookPoint, recordedLook));
    }
}

TEST_F(ViewsTest, ValuesOutsideTheTablesDoNothing)
{
    const Camera before = camera;
    const gl::Matrix matrix = gl::modelView();
    for (int value : {0, 9, 13, -1, 100, INT_MIN, INT_MAX})
        showMenuView(value);
    for (int n : {0, 10, 12, -1, INT_MIN, INT_MAX})
        showFunctionKeyView(n);
    EXPECT_TRUE(same(camera.eye, before.eye));
    EXPECT_EQ(gl::modelView(), matrix);
    EXPECT_TRUE(same(eyePoint, Point3(-400, 300, 200)));
    EXPECT_TRUE(same(lookPoint, Point3(0, 0, 0)));
}

TEST_F(ViewsTest, NoViewCostsTheCameraItsFrame)
{
    // A degenerate placement would print the zero-vector message.
    testing::internal::CaptureStderr();
    for (int n = 1; n <= 9; ++n)
        showFunctionKeyView(n);
    for (int value : {1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12})
        showMenuView(value);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

} // namespace
