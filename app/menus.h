// The pop-up menu tree on the right mouse button: the named views, the
// function-key views, the help menu that also performs the camera steps,
// "Normaliza" (back to the normal mode), the camera flight and exit. The
// main menu is also where the two modes switch their callbacks.
// Entry points: buildMenus() and the four handlers.
//
// Labels are Windows-1252 bytes, passed to GLUT unchanged, trailing spaces and
// tab included.
#pragma once

#include "app/keys.h"
#include "app/views.h"

// A plain entry: its label and the value it sends to its menu's handler.
struct MenuEntry {
    const char* label;
    int value;
};

// An entry of the help menu with the camera step its handler applies. The
// key letters in the labels are only text: "Rodar esquerda (D/d)" turns left,
// as the key A does.
struct HelpEntry {
    const char* label;
    int value;
    CameraStep step;
};

constexpr const char* HelpMenuLabel = "Ajuda";
constexpr const char* CameraViewsMenuLabel = "Vistas da Camera";
constexpr const char* FunctionKeyViewsMenuLabel = "Vistas F1-F12";

constexpr int HelpStepCount = 12;

// Positions 2 to 13 of the help menu (position 1 is the submenu of the
// function-key views); position 14 is HelpExitEntry.
constexpr HelpEntry HelpMenuTable[HelpStepCount] = {
    {"Avan\xE7" "ar (W/w) ", 1, StepForward},
    {"Recuar (S/s)", 2, StepBack},
    {"Rodar esquerda (D/d)", 3, TurnLeft},
    {"Rodar direita (A/a)", 4, TurnRight},
    {"Roll esquerda (Q/q)", 5, RollLeft},
    {"Roll direita (E/e)", 6, RollRight},
    {"Olha Cima (R/r)", 7, LookUp},
    {"Olha Baixo (F/f)", 8, LookDown},
    {"Subir (\xB4|`)", 9, StepUp},
    {"Descer ( |,)", 10, StepDown},
    {"Mover Esquerda (<-)", 11, StepLeft},
    {"Mover Direita (->)", 12, StepRight},
};

// Ends the program with status 0.
constexpr MenuEntry HelpExitEntry = {"Sair (ESC)\t", 13};

// The main menu's entries after its two submenus "Ajuda" and
// "Vistas da Camera".
constexpr int MainNormalValue = 1;  // back to the normal mode
constexpr int MainFlightValue = 2;  // start or go on with the camera flight
constexpr int MainExitValue = 5;    // end the program with status 0
constexpr MenuEntry MainMenuEntries[3] = {
    {"Normaliza", MainNormalValue},
    {"Voo da Camera", MainFlightValue},
    {"Sair", MainExitValue},
};

// Where "Normaliza" puts the camera, z up. Not one of the preset views: it
// leaves eyePoint and lookPoint as they are.
constexpr PresetView normalPlacement = {-20, -55, 19, 35, 25, 5};

// Builds the four menus once and attaches the main menu to the right button
// of the current window. Their GLUT ids are not kept.
void buildMenus();

// Main menu: 1 normal mode at its fixed placement, 2 flight mode, 5 exit.
void mainMenu(int value);
// Named views; every value asks for a redisplay.
void cameraViewsMenu(int value);
// Function-key views 1 to 9, as the keys F1 to F9.
void functionKeyViewsMenu(int value);
// Camera steps 1 to 12, 13 exit; every other value asks for a redisplay.
void helpMenu(int value);
