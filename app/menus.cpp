// The pop-up menus and the switch between the normal and the flight mode (see
// menus.h). GLUT shows, tracks and dismisses the menus; the handlers see only
// the chosen entry's value.
#include "app/menus.h"

#include "app/startup.h"
#include "app/state.h"
#include "app/views.h"
#include "flight/flight.h"
#include "scene/sky.h"

#include <GL/glut.h>
#include <cstdlib>

namespace {

void enterNormalMode()
{
    glutReshapeFunc(reshape);
    glutKeyboardFunc(keyboard);
    glutSpecialFunc(specialKeys);
    glutIdleFunc(stepSun);
    camera.set(normalPlacement.eyeX, normalPlacement.eyeY, normalPlacement.eyeZ,
               normalPlacement.lookX, normalPlacement.lookY, normalPlacement.lookZ, 0, 0, 1);
    glutDisplayFunc(displayScene);
    glutPostRedisplay();
}

// The flight frame is both the display and the idle callback, so frames
// follow one another without a redisplay request. The keyboard stays as it
// is; the flight goes on from wherever its parameter stands.
void enterFlightMode()
{
    glutDisplayFunc(displayFlight);
    glutIdleFunc(displayFlight);
    glutReshapeFunc(reshape);
    glutSpecialFunc(flightSpecialKeys);
}

} // namespace

void buildMenus()
{
    const int viewsMenu = glutCreateMenu(cameraViewsMenu);
    for (const MenuView& entry : MenuViewTable)
        glutAddMenuEntry(entry.label, entry.value);

    const int functionKeyMenu = glutCreateMenu(functionKeyViewsMenu);
    for (int n = 1; n <= FunctionKeyViewCount; ++n)
        glutAddMenuEntry(FunctionKeyViewTable[n - 1].label, n);

    const int helpMenuId = glutCreateMenu(helpMenu);
    glutAddSubMenu(FunctionKeyViewsMenuLabel, functionKeyMenu);
    for (const HelpEntry& entry : HelpMenuTable)
        glutAddMenuEntry(entry.label, entry.value);
    glutAddMenuEntry(HelpExitEntry.label, HelpExitEntry.value);

    glutCreateMenu(mainMenu);
    glutAddSubMenu(HelpMenuLabel, helpMenuId);
    glutAddSubMenu(CameraViewsMenuLabel, viewsMenu);
    for (const MenuEntry& entry : MainMenuEntries)
        glutAddMenuEntry(entry.label, entry.value);
    glutAttachMenu(GLUT_RIGHT_BUTTON);
}

void mainMenu(int value)
{
    switch (value) {
    case MainNormalValue:
        enterNormalMode();
        break;
    case MainFlightValue:
        enterFlightMode();
        break;
    case MainExitValue:
        std::exit(0);
    default:
        break;
    }
}

void cameraViewsMenu(int value)
{
    showMenuView(value);
    glutPostRedisplay();
}

void functionKeyViewsMenu(int value)
{
    // showFunctionKeyView ignores values outside 1 to 9.
    showFunctionKeyView(value);
}

void helpMenu(int value)
{
    if (value == HelpExitEntry.value)
        std::exit(0);
    for (const HelpEntry& entry : HelpMenuTable) {
        if (entry.value == value) {
            applyCameraStep(entry.step);
            break;
        }
    }
    glutPostRedisplay();
}
