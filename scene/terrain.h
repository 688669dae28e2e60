// Bezier terrain: reads the patch file and compiles the terrain display list.
// Entry point: loadTerrainPatches().
#pragma once

void loadTerrainPatches(const char* fileName);
// Fills rawImageBuffer from a raw 256 x 256 RGB file, or ends the process
// with status 1 if the file cannot be opened.
void readRawTexture(const char* fileName);
