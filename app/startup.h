// The spine of the program: the window, the fixed GL state and the scene set
// up once, and the normal-mode frame and reshape callbacks.
// Entry points: createMainWindow(), initScene(), displayScene(), reshape().
#pragma once

// Display mode, position, size and title of the one window; the GL context
// of the window is current afterwards. glutInit must have run.
void createMainWindow();

// One-time GL and scene set-up: fixed state, lights, textures, the three
// scene display lists and the camera's first placement.
void initScene();

// The normal-mode frame.
void displayScene();

// Viewport and projection for a window of the given client size, in pixels.
void reshape(int width, int height);
