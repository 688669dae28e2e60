// The labels of the preset views as the menus show them: their exact
// Windows-1252 bytes, and the value each named view's entry sends. Where the
// views put the camera is checked on the real camera (views_test.cpp,
// keys_test.cpp).
#include "app/views.h"

#include <gtest/gtest.h>

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

TEST(MenuViewTable, LabelsAndValuesInMenuOrder)
{
    // Padded with spaces to 8 bytes, but for the two "Lat." views; no view
    // sends 9.
    const struct {
        int value;
        std::vector<unsigned char> label;
    } expected[] = {
        {1, bytesOf("Frente  ")},
        // "Trás    ", "Alçado  ", "Portão  ": 0xE1, 0xE7, 0xE3 in Windows-1252.
        {2, bytesOf({'T', 'r', 0xE1, 's', ' ', ' ', ' ', ' '})},
        {3, bytesOf("Lat. Direito")},
        {4, bytesOf("Lat. Esquerdo")},
        {5, bytesOf("Garagem ")},
        {6, bytesOf({'A', 'l', 0xE7, 'a', 'd', 'o', ' ', ' '})},
        {7, bytesOf({'P', 'o', 'r', 't', 0xE3, 'o', ' ', ' '})},
        {8, bytesOf("Rio     ")},
        {10, bytesOf("Geral 1 ")},
        {11, bytesOf("Geral 2 ")},
        {12, bytesOf("Geral 3 ")},
    };
    ASSERT_EQ(MenuViewCount, 11);
    for (int i = 0; i < MenuViewCount; ++i) {
        SCOPED_TRACE(i + 1);
        EXPECT_EQ(MenuViewTable[i].value, expected[i].value);
        EXPECT_EQ(bytesOf(MenuViewTable[i].label), expected[i].label);
    }
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

} // namespace
