// Camera flight: the fixed path, the flight frame and the flight mode's keys.
#pragma once

void displayFlight();
void stepFlightPath();
void flightSpecialKeys(int key, int x, int y);
