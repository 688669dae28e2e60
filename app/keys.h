// Keyboard: letter keys walk and turn the camera, F1 to F9 jump to the
// function-key views, the arrows slide, ESC ends the program.
#pragma once

void keyboard(unsigned char key, int x, int y);
void specialKeys(int key, int x, int y);
