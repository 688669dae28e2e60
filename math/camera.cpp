// Camera: placement, moves and turns, each of which reloads GL_MODELVIEW, and
// the perspective shape, which loads GL_PROJECTION.
#include "math/camera.h"

#include <GL/glu.h>
#include <cmath>

namespace {

// The degree factor is the double quotient 3.14159265 / 180, not pi / 180:
// turns are meant to come out exactly as this program has always made them.
constexpr double DegreesToRadians = 3.14159265 / 180.0;

} // namespace

void Camera::set(float ex, float ey, float ez, float lx, float ly, float lz,
                 float ux, float uy, float uz)
{
    set(Point3(ex, ey, ez), Point3(lx, ly, lz), Vector3(ux, uy, uz));
}

void Camera::set(Point3 eyePosition, Point3 look, Vector3 up)
{
    eye.set(eyePosition);
    n.set(static_cast<float>(double(eye.x) - look.x),
          static_cast<float>(double(eye.y) - look.y),
          static_cast<float>(double(eye.z) - look.z));
    // u and v come from the unnormalised axes; the normalisation fixes lengths.
    u.set(up.cross(n));
    v.set(n.cross(u));
    u.normalize();
    v.normalize();
    n.normalize();
    setModelViewMatrix();
}

void Camera::setModelViewMatrix()
{
    const Vector3 e(eye.x, eye.y, eye.z);
    const float m[16] = {
        u.x, v.x, n.x, 0.0f,
        u.y, v.y, n.y, 0.0f,
        u.z, v.z, n.z, 0.0f,
        -e.dot(u), -e.dot(v), -e.dot(n), 1.0f,
    };
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(m);
}

void Camera::slide(double du, double dv, double dn)
{
    eye.x = static_cast<float>(eye.x + ((u.x * du + v.x * dv) + n.x * dn));
    eye.y = static_cast<float>(eye.y + ((u.y * du + v.y * dv) + n.y * dn));
    eye.z = static_cast<float>(eye.z + ((u.z * du + v.z * dv) + n.z * dn));
    setModelViewMatrix();
}

void Camera::rotateAxes(Vector3& a, Vector3& b, float angle)
{
    const float r = static_cast<float>(angle * DegreesToRadians);
    const float c = static_cast<float>(std::cos(double(r)));
    const float s = static_cast<float>(std::sin(double(r)));
    const Vector3 t(static_cast<float>(double(c) * a.x + double(s) * b.x),
                    static_cast<float>(double(c) * a.y + double(s) * b.y),
                    static_cast<float>(double(c) * a.z + double(s) * b.z));
    b.set(static_cast<float>(-double(s) * a.x + double(c) * b.x),
          static_cast<float>(-double(s) * a.y + double(c) * b.y),
          static_cast<float>(-double(s) * a.z + double(c) * b.z));
    a.set(t);
}

void Camera::roll(float angle)
{
    rotateAxes(u, v, -angle);
    setModelViewMatrix();
}

void Camera::pitch(float angle)
{
    rotateAxes(n, v, angle);
    setModelViewMatrix();
}

void Camera::yaw(float angle)
{
    rotateAxes(u, n, angle);
    setModelViewMatrix();
}

void Camera::setShape(float viewAngleDegrees, float aspectRatio, float nearDistance,
                      float farDistance)
{
    viewAngle = viewAngleDegrees;
    aspect = aspectRatio;
    nearDist = nearDistance;
    farDist = farDistance;
    H = std::tan(3.14159265 * viewAngle / 360.0) * nearDist;
    W = aspect * H;
    setProjectionMatrix();
}

void Camera::setProjectionMatrix()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(viewAngle, aspect, nearDist, farDist);
    glMatrixMode(GL_MODELVIEW);
}
