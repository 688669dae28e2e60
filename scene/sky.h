// Sky, sun and the scene part of a frame: the sky display list, the sun's
// step, the lights and material, and the call of the three scene lists.
// Entry points: buildSkyList(), drawSceneLists(), stepSun(), drawSunAndLights().
#pragma once

// skyList = terrainList + 1: a sphere of radius 2500 round the scene's
// origin, textured with the sky bitmap through sphere-map coordinates that
// are generated only while it is drawn. Once, after loadTerrainPatches.
void buildSkyList();

// The quad, terrain and sky lists, in this order, with 2-D texturing on; ends
// with texturing off. Called inside the frame's 90-degree turn about x.
void drawSceneLists();

// Idle callback of the normal mode: the sun one step along its half circle,
// then a redisplay request.
void stepSun();

// The sun sphere, light 0 at the sun, the scene's material and light 1 from
// eyePoint in eye coordinates. The matrix mode must be the model-view mode;
// the model-view matrix is left as it was found.
void drawSunAndLights();
