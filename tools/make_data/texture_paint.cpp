// Shared painting helpers.
#include "texture_paint.h"

#include <cmath>

Colour graniteColour(Colour base, double u, double v, int x, int y, int cells, std::uint32_t seed)
{
    const double mottle = fbm(u, v, cells, cells, 3, seed);
    Colour c = base * (1 + 0.06 * mottle);
    const double grain = latticeUnit(x, y, seed ^ 0x6A09E667u);
    if (grain < 0.07)
        c = c * (0.62 + 2.5 * grain);          // black mica
    else if (grain > 0.93)
        c = mix(c, rgb255(236, 232, 224), 0.5); // white feldspar
    else
        c = c * (1 + 0.05 * pixelGrain(x, y, seed ^ 0xBB67AE85u));
    return c;
}

void applyShade(Canvas& canvas, const Field& shade, double strength)
{
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            canvas.at(x, y) = canvas.at(x, y) * (1 + strength * (shade.at(x, y) - 1));
}

void blendWrapped(Canvas& canvas, int x, int y, Colour colour, double alpha)
{
    Colour& target = canvas.wrapped(x, y);
    target = mix(target, colour, alpha);
}

void strokeWrapped(Canvas& canvas, double x, double y, double dx, double dy, double length,
                   Colour root, Colour tip, double alpha)
{
    const int steps = int(length * 2) + 1;
    int lastX = 1 << 30, lastY = 1 << 30;
    for (int i = 0; i <= steps; ++i) {
        const double t = double(i) / steps;
        const int px = int(std::floor(x + dx * length * t));
        const int py = int(std::floor(y + dy * length * t));
        if (px == lastX && py == lastY)
            continue;
        lastX = px;
        lastY = py;
        blendWrapped(canvas, px, py, mix(root, tip, t), alpha);
    }
}
