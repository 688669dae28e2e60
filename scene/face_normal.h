// The one normal that each quad of the quad model carries, on plain float
// arrays. No GL: the quad list is compiled from what these return.
// Entry points: faceNormal(), normalizeTriple().
#pragma once

// Unit normal of the triangle points[0..2], points[3..5], points[6..8]
// (x, y, z of each point). Points listed counter-clockwise as a viewer sees
// them give a normal towards that viewer. Points whose cross product is
// exactly zero give (0, 0, 0), silently.
void faceNormal(const float points[9], float normal[3]);

// Scales v to unit length in place; a zero vector stays zero, silently
// (unlike Vector3::normalize, which reports short vectors).
void normalizeTriple(float v[3]);
