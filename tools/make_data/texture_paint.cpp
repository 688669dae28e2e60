// Shared painting helpers.
#include "texture_paint.h"

#include <algorithm>
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

void fillEllipse(Canvas& canvas, double cx, double cy, double rx, double ry, Colour colour,
                 double alpha)
{
    const int x0 = std::max(0, int(std::floor(cx - rx - 1)));
    const int x1 = std::min(canvas.width() - 1, int(std::ceil(cx + rx + 1)));
    const int y0 = std::max(0, int(std::floor(cy - ry - 1)));
    const int y1 = std::min(canvas.height() - 1, int(std::ceil(cy + ry + 1)));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
            // Distance outside the edge in pixels, roughly.
            const double outside = (std::sqrt(dx * dx + dy * dy) - 1) * std::min(rx, ry);
            const double cover = clamp01(0.5 - outside);
            if (cover > 0)
                canvas.at(x, y) = mix(canvas.at(x, y), colour, alpha * cover);
        }
}

void fillRect(Canvas& canvas, int x0, int y0, int x1, int y1, Colour colour)
{
    for (int y = std::max(0, y0); y < std::min(canvas.height(), y1); ++y)
        for (int x = std::max(0, x0); x < std::min(canvas.width(), x1); ++x)
            canvas.at(x, y) = colour;
}

Canvas halfSize(const Canvas& canvas)
{
    return shrink(canvas, canvas.width() / 2, canvas.height() / 2);
}

Canvas shrink(const Canvas& canvas, int width, int height)
{
    const int fx = canvas.width() / width, fy = canvas.height() / height;
    Canvas small(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            Colour sum;
            for (int dy = 0; dy < fy; ++dy)
                for (int dx = 0; dx < fx; ++dx)
                    sum = sum + canvas.at(fx * x + dx, fy * y + dy);
            small.at(x, y) = sum * (1.0 / (fx * fy));
        }
    return small;
}

void paste(Canvas& canvas, const Canvas& picture, int x, int y)
{
    for (int py = 0; py < picture.height(); ++py)
        for (int px = 0; px < picture.width(); ++px)
            canvas.at(x + px, y + py) = picture.at(px, py);
}
