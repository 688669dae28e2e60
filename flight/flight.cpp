// Camera flight mode (see flight.h). Nothing is timed: the flight moves one
// step per frame, as fast as GLUT calls the idle callback.
#include "flight/flight.h"

#include "app/state.h"
#include "flight/flight_path.h"
#include "scene/sky.h"

#include <GL/glut.h>

void stepFlightPath()
{
    const FlightPose pose = nextFlightPose(flightParam, eyePoint);
    flightParam = pose.param;
    eyePoint = pose.eye;
    lookPoint = pose.look;
}

void displayFlight()
{
    glClearColor(0.2f, 0.4f, 0.2f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glCullFace(GL_BACK);
    glEnable(GL_DEPTH_TEST);

    stepFlightPath();
    camera.set(eyePoint, lookPoint, Vector3(0, 0, 1));
    drawSunAndLights();

    // The scene files are modelled y up; world space is z up.
    glPushMatrix();
    glRotated(90, 1, 0, 0);
    drawSceneLists();
    glPopMatrix();

    glutSwapBuffers();
}

void flightSpecialKeys(int, int, int)
{
    // The path places the camera in every frame; the normal mode's views and
    // slides are switched off while flying.
}
