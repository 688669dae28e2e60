// Pop-up menus.
#include "app/menus.h"

void buildMenus() {}
void mainMenu(int) {}
void cameraViewsMenu(int) {}
void functionKeyViewsMenu(int) {}
void helpMenu(int) {}
