// Camera flight.
#include "flight/flight.h"

void displayFlight() {}
void stepFlightPath() {}
void flightSpecialKeys(int, int, int) {}
