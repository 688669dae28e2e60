// PRNG, lattice hash, gradient and cellular noise.
#include "texture_noise.h"

#include <cmath>

std::uint64_t Rng::next()
{
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double Rng::unit()
{
    return double(next() >> 11) * (1.0 / 9007199254740992.0);
}

int Rng::below(int n)
{
    return int(next() % std::uint64_t(n));
}

std::uint32_t latticeHash(int x, int y, std::uint32_t seed)
{
    // lowbias32 finaliser over a mix of the three inputs.
    std::uint32_t h = std::uint32_t(x) * 0x8DA6B343u ^ std::uint32_t(y) * 0xD8163841u ^
                      (seed + 0x9E3779B9u) * 0xCB1AB31Fu;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

double latticeUnit(int x, int y, std::uint32_t seed)
{
    return double(latticeHash(x, y, seed)) * (1.0 / 4294967296.0);
}

double fract(double x)
{
    return x - std::floor(x);
}

namespace {

// Sixteen unit gradients, every 22.5 degrees.
constexpr double GradientTable[16][2] = {
    {1.0, 0.0},
    {0.92387953251128674, 0.38268343236508977},
    {0.70710678118654752, 0.70710678118654752},
    {0.38268343236508977, 0.92387953251128674},
    {0.0, 1.0},
    {-0.38268343236508977, 0.92387953251128674},
    {-0.70710678118654752, 0.70710678118654752},
    {-0.92387953251128674, 0.38268343236508977},
    {-1.0, 0.0},
    {-0.92387953251128674, -0.38268343236508977},
    {-0.70710678118654752, -0.70710678118654752},
    {-0.38268343236508977, -0.92387953251128674},
    {0.0, -1.0},
    {0.38268343236508977, -0.92387953251128674},
    {0.70710678118654752, -0.70710678118654752},
    {0.92387953251128674, -0.38268343236508977},
};

double fade(double t)
{
    return t * t * t * (t * (t * 6 - 15) + 10);
}

int wrapIndex(int v, int n)
{
    return ((v % n) + n) % n;
}

double cornerDot(int ix, int iy, int cellsX, int cellsY, std::uint32_t seed, double dx, double dy)
{
    const std::uint32_t h = latticeHash(wrapIndex(ix, cellsX), wrapIndex(iy, cellsY), seed);
    const double* g = GradientTable[h >> 28];
    return g[0] * dx + g[1] * dy;
}

} // namespace

double gradientNoise(double u, double v, int cellsX, int cellsY, std::uint32_t seed)
{
    const double x = u * cellsX;
    const double y = v * cellsY;
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const int ix = int(fx);
    const int iy = int(fy);
    const double dx = x - fx;
    const double dy = y - fy;
    const double n00 = cornerDot(ix, iy, cellsX, cellsY, seed, dx, dy);
    const double n10 = cornerDot(ix + 1, iy, cellsX, cellsY, seed, dx - 1, dy);
    const double n01 = cornerDot(ix, iy + 1, cellsX, cellsY, seed, dx, dy - 1);
    const double n11 = cornerDot(ix + 1, iy + 1, cellsX, cellsY, seed, dx - 1, dy - 1);
    const double sx = fade(dx);
    const double sy = fade(dy);
    const double bottom = n00 + (n10 - n00) * sx;
    const double top = n01 + (n11 - n01) * sx;
    // 2-D Perlin noise stays within about +-0.7: stretch it to about +-1.
    return 1.4 * (bottom + (top - bottom) * sy);
}

double fbm(double u, double v, int cellsX, int cellsY, int octaves, std::uint32_t seed, double gain)
{
    double sum = 0;
    double amplitude = 1;
    double total = 0;
    for (int octave = 0; octave < octaves; ++octave) {
        sum += amplitude * gradientNoise(u, v, cellsX, cellsY, seed + 7919u * std::uint32_t(octave));
        total += amplitude;
        amplitude *= gain;
        cellsX *= 2;
        cellsY *= 2;
    }
    return sum / total * 1.6; // a sum of independent octaves is narrower than one
}

CellSample cellNoise(double u, double v, int cellsX, int cellsY, std::uint32_t seed, double jitter)
{
    const double x = u * cellsX;
    const double y = v * cellsY;
    const int ix = int(std::floor(x));
    const int iy = int(std::floor(y));
    const double yScale = double(cellsX) / double(cellsY);
    CellSample best;
    best.nearest = 1e30;
    best.second = 1e30;
    for (int oy = -2; oy <= 2; ++oy)
        for (int ox = -2; ox <= 2; ++ox) {
            const int cx = ix + ox;
            const int cy = iy + oy;
            const int wx = wrapIndex(cx, cellsX);
            const int wy = wrapIndex(cy, cellsY);
            const std::uint32_t h = latticeHash(wx, wy, seed);
            const double jx = 0.5 + jitter * (latticeUnit(wx, wy, seed ^ 0xA511E9B3u) - 0.5);
            const double jy = 0.5 + jitter * (latticeUnit(wx, wy, seed ^ 0x63D83595u) - 0.5);
            const double px = cx + jx;
            const double py = cy + jy;
            const double ddx = x - px;
            const double ddy = (y - py) * yScale;
            const double d = std::sqrt(ddx * ddx + ddy * ddy);
            if (d < best.nearest) {
                best.second = best.nearest;
                best.nearest = d;
                best.id = h;
                best.offsetU = ddx / cellsX;
                best.offsetV = (y - py) / cellsY;
            } else if (d < best.second) {
                best.second = d;
            }
        }
    return best;
}

double sinTurns(double x)
{
    double t = x - std::floor(x); // 0..1
    if (t >= 0.5)
        t -= 1;                   // -0.5..0.5
    if (t > 0.25)
        t = 0.5 - t;
    else if (t < -0.25)
        t = -0.5 - t;             // -0.25..0.25, same sine
    const double a = t * 6.283185307179586;
    const double a2 = a * a;
    // Taylor series to a^13: error below 1e-9 on |a| <= pi/2.
    return a * (1 - a2 / 6 * (1 - a2 / 20 * (1 - a2 / 42 * (1 - a2 / 72 * (1 - a2 / 110 * (1 - a2 / 156))))));
}
