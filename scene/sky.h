// Sky, sun and the scene part of a frame: the sky display list, the sun's
// step, the lights and material, and the call of the three scene lists.
#pragma once

void buildSkyList();
void drawSceneLists();
void stepSun();
void drawSunAndLights();
