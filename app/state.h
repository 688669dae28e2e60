// The program-wide state: one home for every module-level variable that more
// than one part of the program reads or writes. Values that only one file uses
// are static in that file.
//
// Everything here lives until the process exits; nothing is ever freed.
#pragma once

#include "image/pixmap.h"
#include "math/camera.h"
#include "math/vector.h"

#include <GL/glu.h>
#include <cstddef>

// The one camera. Written by initScene, the keys, the menus, the preset views
// and the flight; it loads the GL matrices itself.
extern Camera camera;

// The bitmap pictures, by texture slot. Slots 0 to 16 are filled by
// loadBitmapTextures at start-up; 17 to 19 stay empty.
constexpr int PixmapSlotCount = 20;
extern Pixmap pixmaps[PixmapSlotCount];

// The last eye and look points that a preset view or the flight chose (world
// units, z up). Not the camera's own eye: keyboard moves change the camera
// only. Light 1 is placed from eyePoint in every frame.
extern Point3 eyePoint;   // starts at (-400, 300, 200)
extern Point3 lookPoint;  // starts at (0, 0, 0)

// The quadric of the sky sphere, made by initScene.
extern GLUquadric* quadric;

// Display-list names, from one glGenLists(4) in loadQuadModel.
extern GLuint quadListBase;  // the textured quads
extern GLuint terrainList;   // quadListBase + 1, the terrain patches
extern GLuint skyList;       // quadListBase + 2, the sky sphere

// The sun: sunParam runs from 0 to 12 in steps of 0.05 (15 degrees a unit);
// sunPos holds its y and z in the y-up model frame. Written by stepSun only.
extern float sunParam;
extern Point3 sunPos;

// The flight path's parameter, -620 at start; written by stepFlightPath only.
extern float flightParam;

// Diffuse and specular colour of both lights, and the sun's material.
constexpr float lightColour[4] = {0.9f, 0.9f, 0.6f, 0.0f};

// One 256 x 256 RGB image of the terrain, filled by readRawTexture.
constexpr std::size_t RawImageBytes = 256 * 256 * 3;
extern unsigned char rawImageBuffer[RawImageBytes];
