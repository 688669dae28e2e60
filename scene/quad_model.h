// The quad model: textured quadrilaterals of the buildings, compiled into the
// display list quadListBase. Entry point: loadQuadModel().
#pragma once

// Reserves the four scene display-list names and compiles the quads of the
// file into quadListBase.
void loadQuadModel(const char* fileName);

// Unit normal of the triangle points[0..2], points[3..5], points[6..8].
void faceNormal(const float points[9], float normal[3]);
// Scales v to unit length in place; a zero vector stays zero, silently.
void normalizeTriple(float v[3]);
