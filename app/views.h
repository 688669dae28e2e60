// Preset views: fixed camera placements, an eye and a look point with z up.
// The nine function-key views (keys F1 to F9 and the submenu "Vistas F1-F12")
// and the eleven named views of the submenu "Vistas da Camera".
// Entry points: showFunctionKeyView(), showMenuView().
#pragma once

#include "math/vector.h"

// Eye and look in world units (z up). The up vector is (0, 0, 1) for every
// view and is not stored.
struct PresetView {
    float eyeX, eyeY, eyeZ;
    float lookX, lookY, lookZ;

    Point3 eye() const { return Point3(eyeX, eyeY, eyeZ); }
    Point3 look() const { return Point3(lookX, lookY, lookZ); }
};

// A function-key view and its label in the submenu "Vistas F1-F12"
// (Windows-1252 bytes). Every function-key view records its eye and look in
// eyePoint and lookPoint, which place light 1 and start the flight.
struct FunctionKeyView {
    const char* label;
    PresetView view;
};

constexpr int FunctionKeyViewCount = 9;

// Index n - 1 holds the view of key Fn.
constexpr FunctionKeyView FunctionKeyViewTable[FunctionKeyViewCount] = {
    {"Cima Entrada (F1)",                    {-5, 170, 6,      0, 0, 0}},
    {"Vista de tras (F2) ",                  {400, 400, 100,   0, 0, 0}},
    {"Vista de frente (F3)",                 {-200, 100, 20,   0, 100, 0}},
    {"Vista de tras (F4)",                   {400, 100, 20,    0, 100, 0}},
    {"Vista de esquerda (pela frente) (F5)", {50, 430, 20,     50, 0, 0}},
    {"Vista de direita (pela frente) (F6)",  {150, -230, 60,   150, 0, 0}},
    {"Vista de cima (F7)",                   {-150, 150, 400,  -30, 70, 0}},
    {"Entrada (F8)",                         {20, 20, 10,      30, 30, 10}},
    {"Dentro de Casa (F9)",                  {90, 90, 10,      50, 50, 10}},
};

// A named view of the submenu "Vistas da Camera": the value its entry sends,
// its label (Windows-1252, padded with spaces to 8 bytes but for the two
// "Lat." views) and whether it also records its eye and look in eyePoint and
// lookPoint. The views that do not leave light 1 where it was.
struct MenuView {
    int value;
    const char* label;
    PresetView view;
    bool storesPoints;
};

constexpr int MenuViewCount = 11;

// In menu order. No view sends 9.
constexpr MenuView MenuViewTable[MenuViewCount] = {
    {1,  "Frente  ",              {-200, 100, 20,    0, 100, 0},    true},
    {2,  "Tr\xE1" "s    ",        {400, 100, 20,     0, 100, 0},    true},
    {3,  "Lat. Direito",          {90, -100, 30,     90, 0, 20},    false},
    {4,  "Lat. Esquerdo",         {50, 330, 40,      50, 0, 0},     true},
    {5,  "Garagem ",              {200, -50, -10,    0, 100, -10},  false},
    {6,  "Al\xE7" "ado  ",        {10, 10, 30,       30, 30, 10},   true},
    {7,  "Port\xE3" "o  ",        {-500, -10, 15,    0, 0, 15},     false},
    {8,  "Rio     ",              {1000, 1000, 2,    400, 0.2f, 22}, false},
    {10, "Geral 1 ",              {-150, 150, 400,   -30, 70, 0},   true},
    {11, "Geral 2 ",              {900, 900, 402,    -60, -4, 1},   false},
    {12, "Geral 3 ",              {-500, 1100, 100,  -92, 100, 1},  false},
};

// The named view that a menu value selects, or null for a value no entry
// sends. Needs no GL.
const MenuView* findMenuView(int value);

// Applies the view of key Fn, n = 1 to 9: records its points and places the
// camera. Any other n does nothing. Asks for no redisplay.
void showFunctionKeyView(int n);

// Applies the named view of a menu value; values no entry sends do nothing.
// Asks for no redisplay.
void showMenuView(int value);
