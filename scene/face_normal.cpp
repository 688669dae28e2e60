// Face normals of the quad model: differences rounded to floats, products
// and sums in double, each result stored as a float once.
#include "scene/face_normal.h"

#include "scene/narrow_float.h"

#include <cmath>

void faceNormal(const float points[9], float normal[3])
{
    // a = P1 - P2, b = P2 - P3; each difference is a float.
    const float ax = points[0] - points[3];
    const float ay = points[1] - points[4];
    const float az = points[2] - points[5];
    const float bx = points[3] - points[6];
    const float by = points[4] - points[7];
    const float bz = points[5] - points[8];

    // Products of two floats are exact in double.
    normal[0] = narrowToFloat(double(ay) * bz - double(az) * by);
    normal[1] = narrowToFloat(double(az) * bx - double(ax) * bz);
    normal[2] = narrowToFloat(double(ax) * by - double(ay) * bx);
    normalizeTriple(normal);
}

void normalizeTriple(float v[3])
{
    float length = narrowToFloat(
        std::sqrt(double(v[0]) * v[0] + double(v[1]) * v[1] + double(v[2]) * v[2]));
    if (length == 0.0f)
        length = 1.0f;
    v[0] /= length;
    v[1] /= length;
    v[2] /= length;
}
