// Camera flight mode: the flight frame, which is both the display and the
// idle callback while flying, the step along the path, and the flight mode's
// special keys. Entry points: displayFlight(), stepFlightPath(),
// flightSpecialKeys().
#pragma once

// One flight frame: clear to green, step the path, place the camera from
// eyePoint and lookPoint, draw the scene, swap buffers.
void displayFlight();

// Advances flightParam by one step and writes eyePoint and lookPoint from the
// path. Touches no GL.
void stepFlightPath();

// The special keys while flying: none of them does anything.
void flightSpecialKeys(int key, int x, int y);
