// The quad model: textured quadrilaterals of the buildings, compiled into the
// display list quadListBase. Entry point: loadQuadModel().
#pragma once

#include "scene/face_normal.h"

// Reserves the four scene display-list names (quadListBase and the three
// after it) and compiles the quads of the file into quadListBase: per quad
// its texture binding, one normal from vertices 1 to 3, and its four
// vertices with their texture pairs. A file that cannot be opened leaves the
// list empty. Needs the current GL context; runs before the terrain and sky.
void loadQuadModel(const char* fileName);
