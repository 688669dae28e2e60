// Sky, sun and frame drawing.
#include "scene/sky.h"

#include "app/state.h"

#include <GL/glut.h>

void buildSkyList()
{
    skyList = terrainList + 1;
    glNewList(skyList, GL_COMPILE);
    glEndList();
}

void drawSceneLists() {}

void stepSun() { glutPostRedisplay(); }

void drawSunAndLights() {}
