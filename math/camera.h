// The one viewing transform of the program: an eye point with an orthonormal
// frame (u right, v up, n backwards: the camera looks along -n) and the shape
// of a perspective view volume.
//
// Every operation that moves or turns the camera loads the resulting viewing
// matrix into GL_MODELVIEW at once, so the matrix the frame starts from always
// matches these fields. Nothing but the constructor and rotateAxes may run
// before a GL context is current.
#pragma once

#include "math/vector.h"

class Camera {
public:
    Point3 eye;      // world units
    Vector3 u;       // right of the view
    Vector3 v;       // up in the view
    Vector3 n;       // from the look point back towards the eye
    double viewAngle = 0;  // full vertical angle, degrees
    double aspect = 0;     // width / height
    double nearDist = 0;
    double farDist = 0;
    double W = 0;          // half-width at the near plane: aspect * H
    double H = 0;          // half-height at the near plane

    Camera() = default;

    void set(float ex, float ey, float ez, float lx, float ly, float lz,
             float ux, float uy, float uz);
    void set(Point3 eyePosition, Point3 look, Vector3 up);

    // Moves the eye along u, v and n; a negative dn moves forward.
    void slide(double du, double dv, double dn);
    // Turns, in degrees: roll about n, pitch about u, yaw about v.
    void roll(float angle);
    void pitch(float angle);
    void yaw(float angle);

    void setShape(float viewAngleDegrees, float aspectRatio, float nearDistance,
                  float farDistance);
    void setModelViewMatrix();
    void setProjectionMatrix();

    // Rotates a and b in their common plane: a' = c a + s b, b' = -s a + c b.
    static void rotateAxes(Vector3& a, Vector3& b, float angle);
};
