// Vector3 arithmetic: products and sums in double, each result stored once as
// a float.
#include "math/vector.h"

#include <cmath>
#include <iostream>

Vector3 Vector3::cross(Vector3 b) const
{
    const double ax = x, ay = y, az = z;
    const double bx = b.x, by = b.y, bz = b.z;
    return Vector3(static_cast<float>(ay * bz - az * by),
                   static_cast<float>(az * bx - ax * bz),
                   static_cast<float>(ax * by - ay * bx));
}

float Vector3::dot(Vector3 b) const
{
    const double sum = (double(x) * b.x + double(y) * b.y) + double(z) * b.z;
    return static_cast<float>(sum);
}

void Vector3::normalize()
{
    const double squaredLength = double(x) * x + double(y) * y + double(z) * z;
    // Written so that a NaN length fails the test too.
    if (!(squaredLength >= 1e-7)) {
        std::cerr << "\nnormalize() sees vector (0,0,0)!";
        return;
    }
    const float k = static_cast<float>(1.0 / std::sqrt(squaredLength));
    x = static_cast<float>(double(k) * x);
    y = static_cast<float>(double(k) * y);
    z = static_cast<float>(double(k) * z);
}
