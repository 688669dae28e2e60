// Terrain loader.
#include "scene/terrain.h"

#include "app/state.h"

#include <GL/gl.h>

void loadTerrainPatches(const char*)
{
    terrainList = quadListBase + 1;
    glNewList(terrainList, GL_COMPILE);
    glEndList();
}

void readRawTexture(const char*) {}
