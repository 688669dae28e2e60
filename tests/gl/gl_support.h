// Reading GL state back for tests: matrices, viewport, enables, lights and
// pixels of the back buffer of the one test window (see gl_main.cpp).
#pragma once

#include <GL/freeglut.h>

#include <array>
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

} // namespace gl
