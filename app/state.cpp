// Definitions and start values of the program-wide state (see state.h).
#include "app/state.h"

Camera camera;
Pixmap pixmaps[PixmapSlotCount];

Point3 eyePoint(-400.0f, 300.0f, 200.0f);
Point3 lookPoint(0.0f, 0.0f, 0.0f);

GLUquadric* quadric = nullptr;

GLuint quadListBase = 0;
GLuint terrainList = 0;
GLuint skyList = 0;

float sunParam = 0.0f;
Point3 sunPos;

float flightParam = -620.0f;

unsigned char rawImageBuffer[RawImageBytes] = {};
