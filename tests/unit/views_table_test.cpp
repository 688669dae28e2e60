// The preset view tables without GL: the labels' exact Windows-1252 bytes,
// the values of the named views, which views record their points, and that
// every view gives the camera a proper frame.
#include "app/views.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

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

TEST(MenuViewTable, LabelsValuesAndRecordedPointsInMenuOrder)
{
    struct Expected {
        int value;
        std::vector<unsigned char> label;
        bool storesPoints;
    };
    const Expected expected[] = {
        {1, bytesOf("Frente  "), true},
        // "Trás    ", "Alçado  ", "Portão  ": 0xE1, 0xE7, 0xE3 in Windows-1252.
        {2, bytesOf({'T', 'r', 0xE1, 's', ' ', ' ', ' ', ' '}), true},
        {3, bytesOf("Lat. Direito"), false},
        {4, bytesOf("Lat. Esquerdo"), true},
        {5, bytesOf("Garagem "), false},
        {6, bytesOf({'A', 'l', 0xE7, 'a', 'd', 'o', ' ', ' '}), true},
        {7, bytesOf({'P', 'o', 'r', 't', 0xE3, 'o', ' ', ' '}), false},
        {8, bytesOf("Rio     "), false},
        {10, bytesOf("Geral 1 "), true},
        {11, bytesOf("Geral 2 "), false},
        {12, bytesOf("Geral 3 "), false},
    };
    ASSERT_EQ(MenuViewCount, 11);
    for (int i = 0; i < MenuViewCount; ++i) {
        SCOPED_TRACE(i + 1);
        EXPECT_EQ(MenuViewTable[i].value, expected[i].value);
        EXPECT_EQ(bytesOf(MenuViewTable[i].label), expected[i].label);
        EXPECT_EQ(MenuViewTable[i].storesPoints, expected[i].storesPoints);
        // Padded to 8 bytes, but for the two "Lat." views.
        const std::string label = MenuViewTable[i].label;
        if (label.rfind("Lat.", 0) != 0) {
            EXPECT_EQ(label.size(), 8u);
        }
    }
}

TEST(MenuViewTable, FindsEveryValueAndNothingElse)
{
    for (int value = -5; value <= 20; ++value) {
        const MenuView* view = findMenuView(value);
        const bool sent = (value >= 1 && value <= 8) || (value >= 10 && value <= 12);
        EXPECT_EQ(view != nullptr, sent) << "value " << value;
        if (view) {
            EXPECT_EQ(view->value, value);
        }
    }
    // No view has the value 9: "Geral 1 " sends 10.
    EXPECT_EQ(findMenuView(9), nullptr);
    EXPECT_EQ(std::string(findMenuView(10)->label), "Geral 1 ");
    EXPECT_EQ(findMenuView(INT32_MIN), nullptr);
    EXPECT_EQ(findMenuView(INT32_MAX), nullptr);
}

TEST(MenuViewTable, RioLooksAtTheFloatNearestTwoTenths)
{
    const MenuView* rio = findMenuView(8);
    ASSERT_NE(rio, nullptr);
    EXPECT_EQ(rio->view.lookY, 0.2f);
    EXPECT_EQ(double(rio->view.lookY), double(static_cast<float>(0.2)));
    EXPECT_NE(double(rio->view.lookY), 0.2);
}

TEST(FunctionKeyViewTable, LabelsOfTheSubmenu)
{
    const char* expected[] = {
        "Cima Entrada (F1)",
        "Vista de tras (F2) ",
        "Vista de frente (F3)",
        "Vista de tras (F4)",
        "Vista de esquerda (pela frente) (F5)",
        "Vista de direita (pela frente) (F6)",
        "Vista de cima (F7)",
        "Entrada (F8)",
        "Dentro de Casa (F9)",
    };
    ASSERT_EQ(FunctionKeyViewCount, 9);
    for (int i = 0; i < FunctionKeyViewCount; ++i)
        EXPECT_EQ(bytesOf(FunctionKeyViewTable[i].label), bytesOf(expected[i])) << "F" << i + 1;
}

bool samePlacement(const PresetView& a, const PresetView& b)
{
    return a.eyeX == b.eyeX && a.eyeY == b.eyeY && a.eyeZ == b.eyeZ && a.lookX == b.lookX
           && a.lookY == b.lookY && a.lookZ == b.lookZ;
}

TEST(PresetViews, ThreePlacementsAreInBothTables)
{
    // "Frente  " = F3, "Trás    " = F4, "Geral 1 " = F7.
    EXPECT_TRUE(samePlacement(findMenuView(1)->view, FunctionKeyViewTable[2].view));
    EXPECT_TRUE(samePlacement(findMenuView(2)->view, FunctionKeyViewTable[3].view));
    EXPECT_TRUE(samePlacement(findMenuView(10)->view, FunctionKeyViewTable[6].view));
    int shared = 0;
    for (const MenuView& m : MenuViewTable)
        for (const FunctionKeyView& f : FunctionKeyViewTable)
            if (samePlacement(m.view, f.view))
                ++shared;
    EXPECT_EQ(shared, 3);
}

// With up (0, 0, 1), the camera needs an eye apart from its look and a view
// direction that is not vertical.
void expectProperFrame(const PresetView& view)
{
    const double dx = double(view.eyeX) - view.lookX;
    const double dy = double(view.eyeY) - view.lookY;
    const double dz = double(view.eyeZ) - view.lookZ;
    EXPECT_GT(std::sqrt(dx * dx + dy * dy + dz * dz), 1.0);
    EXPECT_GT(std::sqrt(dx * dx + dy * dy), 1.0);
}

TEST(PresetViews, EveryViewGivesTheCameraAProperFrame)
{
    for (const FunctionKeyView& f : FunctionKeyViewTable) {
        SCOPED_TRACE(f.label);
        expectProperFrame(f.view);
    }
    for (const MenuView& m : MenuViewTable) {
        SCOPED_TRACE(m.label);
        expectProperFrame(m.view);
    }
}

} // namespace
