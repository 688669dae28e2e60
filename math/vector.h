// Points and vectors of world space: three 32-bit floats each.
//
// Arithmetic is done in double precision from the float fields and each result
// is stored as a float once, so that results do not depend on how the compiler
// keeps intermediates. The types define no operators: the camera writes out the
// few combinations it needs component by component.
#pragma once

struct Point3 {
    float x;
    float y;
    float z;

    Point3() : x(0), y(0), z(0) {}
    Point3(float px, float py, float pz) : x(px), y(py), z(pz) {}

    void set(const Point3& p) { x = p.x; y = p.y; z = p.z; }
};

struct Vector3 {
    float x;
    float y;
    float z;

    Vector3() : x(0), y(0), z(0) {}
    Vector3(float dx, float dy, float dz) : x(dx), y(dy), z(dz) {}
    Vector3(const Vector3& v) = default;
    Vector3& operator=(const Vector3& v) = default;

    void set(float dx, float dy, float dz) { x = dx; y = dy; z = dz; }
    void set(const Vector3& v) { x = v.x; y = v.y; z = v.z; }

    // this x b
    Vector3 cross(Vector3 b) const;
    // (x*b.x + y*b.y) + z*b.z
    float dot(Vector3 b) const;
    // Scales to unit length. A vector whose squared length is below 1e-7 (or
    // NaN) is reported on standard error and left exactly as it was.
    void normalize();
};
