// Reading GL state back for tests: matrices, viewport, enables, lights and
// pixels of the back buffer of the one test window (see gl_main.cpp); a
// small texture and an orthographic view to draw test quads with.
#pragma once

#include "app/keys.h"
#include "math/camera.h"

#include <GL/freeglut.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace gl {

using Matrix = std::array<float, 16>;

inline Matrix floats16(GLenum name)
{
    Matrix m{};
    glGetFloatv(name, m.data());
    return m;
}
inline Matrix modelView() { return floats16(GL_MODELVIEW_MATRIX); }
inline Matrix projection() { return floats16(GL_PROJECTION_MATRIX); }

inline std::array<GLint, 4> viewport()
{
    std::array<GLint, 4> v{};
    glGetIntegerv(GL_VIEWPORT, v.data());
    return v;
}

inline GLint integer(GLenum name)
{
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

inline bool enabled(GLenum capability) { return glIsEnabled(capability) == GL_TRUE; }

inline std::array<float, 4> light(GLenum light, GLenum parameter)
{
    std::array<float, 4> value{};
    glGetLightfv(light, parameter, value.data());
    return value;
}

inline std::array<float, 4> material(GLenum parameter)
{
    std::array<float, 4> value{};
    glGetMaterialfv(GL_FRONT, parameter, value.data());
    return value;
}

struct Rgb {
    std::uint8_t r, g, b;
};

// The whole back buffer, bottom row first, 3 bytes a pixel.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bytes;

    Rgb at(int x, int y) const
    {
        const std::size_t i = (std::size_t(y) * width + x) * 3;
        return {bytes[i], bytes[i + 1], bytes[i + 2]};
    }
};

inline Picture readBackBuffer()
{
    const auto vp = viewport();
    Picture picture;
    picture.width = vp[2];
    picture.height = vp[3];
    picture.bytes.resize(std::size_t(vp[2]) * vp[3] * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, vp[2], vp[3], GL_RGB, GL_UNSIGNED_BYTE, picture.bytes.data());
    return picture;
}

// A 2 x 2 texture: bottom row red, green; top row blue, white.
inline void makeQuadrantTexture(GLuint id)
{
    const unsigned char texels[4 * 3] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glBindTexture(GL_TEXTURE_2D, id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 2, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
}

// Model units straight to pixels: [0, 2] x [0, 2] fills 200 x 200 pixels.
inline void orthoView()
{
    glViewport(0, 0, 200, 200);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 2, 0, 2, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// Unlit, so that a pixel is its texel (GL_MODULATE with white).
inline Picture drawUnlit(GLuint list)
{
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glColor3f(1, 1, 1);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_TEXTURE_2D);
    glCallList(list);
    glDisable(GL_TEXTURE_2D);
    return readBackBuffer();
}

// Lets freeglut handle what the X server has sent (map, configure, expose).
inline void pumpEvents(int rounds = 5)
{
    for (int i = 0; i < rounds; ++i)
        glutMainLoopEvent();
}

// Largest difference between two matrices, element by element.
inline float maxDifference(const Matrix& a, const Matrix& b)
{
    float worst = 0;
    for (int i = 0; i < 16; ++i) {
        const float d = a[i] > b[i] ? a[i] - b[i] : b[i] - a[i];
        if (d > worst)
            worst = d;
    }
    return worst;
}

// The viewing matrix that gluLookAt builds for eye and look with z up. The
// model-view matrix in force is left as it was.
inline Matrix lookAt(const Point3& eye, const Point3& look)
{
    glPushMatrix();
    glLoadIdentity();
    gluLookAt(eye.x, eye.y, eye.z, look.x, look.y, look.z, 0, 0, 1);
    const Matrix m = modelView();
    glPopMatrix();
    return m;
}

// That the loaded viewing matrix is lookAt's for eye and look: its rotation
// to 1e-5, its translation (world units) to 1e-3.
inline void expectLooksAt(const Point3& eye, const Point3& look)
{
    const Matrix loaded = modelView();
    const Matrix expected = lookAt(eye, look);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(loaded[i], expected[i], i >= 12 ? 1e-3f : 1e-5f) << "matrix element " << i;
}

// That `after` is the camera `before` moved by one step, by the rules of the
// camera's frame (u right, v up, n backwards; angles in degrees, read with
// the factor 3.14159265 / 180): a slide moves the eye by du u + dv v + dn n;
// a yaw turns u into cos a u + sin a n and n into -sin a u + cos a n; a pitch
// turns n into cos a n + sin a v and v into -sin a n + cos a v; a roll turns
// u into cos a u - sin a v and v into sin a u + cos a v. What a step does not
// turn or move stays exactly as it was, and the model-view matrix is the new
// frame's viewing matrix (rows u, v, n, each with minus its dot product with
// the eye).
inline void expectStep(const Camera& before, const Camera& after, const CameraStep& step)
{
    const Matrix m = modelView();
    const Vector3* axes[3] = {&after.u, &after.v, &after.n};
    for (int row = 0; row < 3; ++row) {
        const Vector3& a = *axes[row];
        const Point3& e = after.eye;
        EXPECT_EQ(m[row], a.x);
        EXPECT_EQ(m[4 + row], a.y);
        EXPECT_EQ(m[8 + row], a.z);
        EXPECT_NEAR(m[12 + row], -(double(a.x) * e.x + double(a.y) * e.y + double(a.z) * e.z), 1e-3);
    }
    auto expectSame = [](const Vector3& a, const Vector3& b, const char* axis) {
        EXPECT_TRUE(a.x == b.x && a.y == b.y && a.z == b.z) << axis << " changed";
    };
    // p a + q b, component by component.
    auto expectMix = [](const Vector3& got, double p, const Vector3& a, double q,
                        const Vector3& b, double tolerance, const char* what) {
        EXPECT_NEAR(got.x, p * a.x + q * b.x, tolerance) << what;
        EXPECT_NEAR(got.y, p * a.y + q * b.y, tolerance) << what;
        EXPECT_NEAR(got.z, p * a.z + q * b.z, tolerance) << what;
    };
    const double r = step.angle * (3.14159265 / 180), c = std::cos(r), s = std::sin(r);
    switch (step.kind) {
    case CameraStep::Slide: {
        const Point3 &from = before.eye, &to = after.eye;
        const Vector3 &u = before.u, &v = before.v, &n = before.n;
        EXPECT_NEAR(to.x, from.x + step.du * u.x + step.dv * v.x + step.dn * n.x, 1e-3) << "eye x";
        EXPECT_NEAR(to.y, from.y + step.du * u.y + step.dv * v.y + step.dn * n.y, 1e-3) << "eye y";
        EXPECT_NEAR(to.z, from.z + step.du * u.z + step.dv * v.z + step.dn * n.z, 1e-3) << "eye z";
        expectSame(after.u, before.u, "u");
        expectSame(after.v, before.v, "v");
        expectSame(after.n, before.n, "n");
        return;
    }
    case CameraStep::Yaw:
        expectMix(after.u, c, before.u, s, before.n, 1e-5, "u");
        expectMix(after.n, -s, before.u, c, before.n, 1e-5, "n");
        expectSame(after.v, before.v, "v");
        break;
    case CameraStep::Pitch:
        expectMix(after.n, c, before.n, s, before.v, 1e-5, "n");
        expectMix(after.v, -s, before.n, c, before.v, 1e-5, "v");
        expectSame(after.u, before.u, "u");
        break;
    case CameraStep::Roll:
        expectMix(after.u, c, before.u, -s, before.v, 1e-5, "u");
        expectMix(after.v, s, before.u, c, before.v, 1e-5, "v");
        expectSame(after.n, before.n, "n");
        break;
    }
    EXPECT_TRUE(after.eye.x == before.eye.x && after.eye.y == before.eye.y &&
                after.eye.z == before.eye.z) << "a turn moved the eye";
}

} // namespace gl
