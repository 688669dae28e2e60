// Applying the preset views to the real camera: where each view puts the eye
// and the loaded viewing matrix, and which views record their points in
// eyePoint and lookPoint (where light 1 and the flight start from).
#include "app/state.h"
#include "app/views.h"
#include "gl_support.h"

#include <GL/glu.h>
#include <gtest/gtest.h>

#include <climits>

namespace {

bool same(const Point3& a, const Point3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }
bool same(const Vector3& a, const Vector3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

// The matrix gluLookAt builds for a view, with z up.
gl::Matrix lookAt(const PresetView& view)
{
    glPushMatrix();
    glLoadIdentity();
    gluLookAt(view.eyeX, view.eyeY, view.eyeZ, view.lookX, view.lookY, view.lookZ, 0, 0, 1);
    const gl::Matrix m = gl::modelView();
    glPopMatrix();
    return m;
}

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

TEST_F(ViewsTest, FunctionKeyViewsPlaceTheCameraAndRecordTheirPoints)
{
    for (int n = 1; n <= FunctionKeyViewCount; ++n) {
        SCOPED_TRACE(n);
        const PresetView& view = FunctionKeyViewTable[n - 1].view;
        showFunctionKeyView(n);
        EXPECT_TRUE(same(camera.eye, view.eye()));
        EXPECT_TRUE(same(eyePoint, view.eye()));
        EXPECT_TRUE(same(lookPoint, view.look()));
        EXPECT_LT(gl::maxDifference(gl::modelView(), lookAt(view)), 1e-3f);
    }
}

TEST_F(ViewsTest, MenuViewsRecordTheirPointsOnlyWhereMarked)
{
    Point3 recordedEye = eyePoint;
    Point3 recordedLook = lookPoint;
    for (const MenuView& entry : MenuViewTable) {
        SCOPED_TRACE(entry.label);
        showMenuView(entry.value);
        EXPECT_TRUE(same(camera.eye, entry.view.eye()));
        EXPECT_LT(gl::maxDifference(gl::modelView(), lookAt(entry.view)), 1e-3f);
        if (entry.storesPoints) {
            recordedEye = entry.view.eye();
            recordedLook = entry.view.look();
        }
        EXPECT_TRUE(same(eyePoint, recordedEye));
        EXPECT_TRUE(same(lookPoint, recordedLook));
    }
}

TEST_F(ViewsTest, LatDireitoLeavesLightOneWhereItWas)
{
    showMenuView(3);  // "Lat. Direito"
    EXPECT_TRUE(same(camera.eye, Point3(90, -100, 30)));
    EXPECT_TRUE(same(eyePoint, Point3(-400, 300, 200)));
    EXPECT_TRUE(same(lookPoint, Point3(0, 0, 0)));
    showMenuView(1);  // "Frente  "
    EXPECT_TRUE(same(eyePoint, Point3(-200, 100, 20)));
    showMenuView(3);
    EXPECT_TRUE(same(eyePoint, Point3(-200, 100, 20)));
    EXPECT_TRUE(same(lookPoint, Point3(0, 100, 0)));
}

TEST_F(ViewsTest, SharedPlacementsGiveTheSameCamera)
{
    // "Frente  " = F3, "Trás    " = F4, "Geral 1 " = F7.
    const int pairs[][2] = {{1, 3}, {2, 4}, {10, 7}};
    for (const auto& pair : pairs) {
        SCOPED_TRACE(pair[0]);
        showMenuView(pair[0]);
        const Camera fromMenu = camera;
        const gl::Matrix menuMatrix = gl::modelView();
        const Point3 menuEye = eyePoint;
        camera.set(0, -200, 60, 40, 0, 60, 0, 0, 1);
        eyePoint = Point3(1, 2, 3);
        showFunctionKeyView(pair[1]);
        EXPECT_TRUE(same(camera.eye, fromMenu.eye));
        EXPECT_TRUE(same(camera.u, fromMenu.u));
        EXPECT_TRUE(same(camera.v, fromMenu.v));
        EXPECT_TRUE(same(camera.n, fromMenu.n));
        EXPECT_EQ(gl::modelView(), menuMatrix);
        EXPECT_TRUE(same(eyePoint, menuEye));
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
    EXPECT_TRUE(same(camera.n, before.n));
    EXPECT_EQ(gl::modelView(), matrix);
    EXPECT_TRUE(same(eyePoint, Point3(-400, 300, 200)));
    EXPECT_TRUE(same(lookPoint, Point3(0, 0, 0)));
}

TEST_F(ViewsTest, NoViewCostsTheCameraItsFrame)
{
    // A degenerate placement would print the zero-vector message.
    testing::internal::CaptureStderr();
    for (int n = 1; n <= FunctionKeyViewCount; ++n)
        showFunctionKeyView(n);
    for (const MenuView& entry : MenuViewTable)
        showMenuView(entry.value);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

} // namespace
