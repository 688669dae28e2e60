// The pop-up menu tree on the right mouse button.
#pragma once

void buildMenus();
void mainMenu(int value);
void cameraViewsMenu(int value);
void functionKeyViewsMenu(int value);
void helpMenu(int value);
