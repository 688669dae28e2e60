// The plant pictures of the details bitmap: foliage for the trees, vine,
// hedge, flowers, vegetables and firewood. Each is one 128 x 128 cell, or
// half of one (see detail_cells.h), bottom at y = 0; foliage covers its
// whole cell, as it covers the whole face of a crown.
#include "texture_details.h"
#include "texture_paint.h"

namespace {

constexpr int S = DetailCellPixels;

// Leaves scattered over the cell, each a small ellipse of a green between
// `dark` and `light`; the upper part of a crown is lit, the lower part in
// its own shade.
void scatterLeaves(Canvas& canvas, std::uint64_t seed, int count, double size, Colour dark,
                   Colour light)
{
    Rng rng(seed);
    for (int i = 0; i < count; ++i) {
        const double x = rng.range(0, S), y = rng.range(0, S);
        const double lit = 0.25 + 0.6 * y / S + rng.range(-0.25, 0.25);
        const double r = size * rng.range(0.6, 1.2);
        fillEllipse(canvas, x, y, r, r * rng.range(0.5, 0.9), mix(dark, light, clamp01(lit)));
    }
}

Canvas foliage(std::uint64_t seed, int count, double size, Colour gap, Colour dark, Colour light)
{
    Canvas canvas(S, S, gap);
    scatterLeaves(canvas, seed, count, size, dark, light);
    return canvas;
}

} // namespace

Canvas paintNeedles()
{
    Canvas canvas(S, S, rgb255(22, 38, 20));
    Rng rng(0x1EED);
    for (int i = 0; i < 2600; ++i) {
        const double x = rng.range(0, S), y = rng.range(0, S);
        const double turn = rng.range(0.15, 0.35) * (rng.unit() < 0.5 ? 1 : -1) + 0.75;
        const double lit = clamp01(0.2 + 0.7 * y / S + rng.range(-0.2, 0.2));
        const Colour tip = mix(rgb255(34, 62, 30), rgb255(96, 132, 62), lit);
        strokeWrapped(canvas, x, y, cosTurns(turn), sinTurns(turn), rng.range(3, 7), tip * 0.7, tip, 0.9);
    }
    return canvas;
}

Canvas paintLeaves()
{
    return foliage(0x1EAF, 1400, 3.2, rgb255(28, 40, 18), rgb255(40, 70, 26), rgb255(110, 150, 60));
}

Canvas paintOranges()
{
    Canvas canvas = foliage(0x0A46, 1500, 2.8, rgb255(16, 30, 14), rgb255(26, 58, 24),
                            rgb255(70, 120, 50));
    Rng rng(0x0A47);
    for (int i = 0; i < 34; ++i) {
        const double x = rng.range(5, S - 5), y = rng.range(5, S - 5);
        fillEllipse(canvas, x, y, 3.4, 3.4, rgb255(214, 120, 24));
        fillEllipse(canvas, x - 1, y + 1, 1.3, 1.3, rgb255(250, 180, 80));
    }
    return canvas;
}

Canvas paintOliveLeaves()
{
    return foliage(0x011E, 1800, 2.4, rgb255(46, 52, 38), rgb255(80, 92, 66), rgb255(168, 178, 150));
}

Canvas paintVine()
{
    Canvas canvas = foliage(0x71AE, 500, 6.5, rgb255(40, 56, 24), rgb255(72, 110, 36),
                            rgb255(150, 180, 80));
    Rng rng(0x71AF);
    for (int bunch = 0; bunch < 9; ++bunch) {
        const double x = rng.range(12, S - 12), y = rng.range(20, S - 8);
        // A bunch hangs: wide at the top, narrowing downwards.
        for (int row = 0; row < 6; ++row)
            for (int k = 0; k <= 5 - row; ++k) {
                const double gx = x + (k - (5 - row) / 2.0) * 2.6, gy = y - row * 2.4;
                fillEllipse(canvas, gx, gy, 1.6, 1.6, rgb255(58, 30, 70));
                fillEllipse(canvas, gx - 0.5, gy + 0.5, 0.6, 0.6, rgb255(120, 96, 140));
            }
    }
    return canvas;
}

Canvas paintHedge()
{
    return foliage(0xB0C5, 3200, 1.5, rgb255(18, 34, 14), rgb255(30, 60, 24), rgb255(84, 124, 52));
}

Canvas paintFlowers()
{
    Canvas canvas = foliage(0xF10A, 1200, 2.5, rgb255(30, 44, 20), rgb255(44, 80, 30),
                            rgb255(96, 140, 60));
    const Colour petals[] = {rgb255(214, 30, 40), rgb255(236, 110, 160), rgb255(245, 245, 236),
                             rgb255(246, 196, 40), rgb255(190, 60, 150)};
    Rng rng(0xF10B);
    for (int i = 0; i < 260; ++i) {
        const double x = rng.range(2, S - 2), y = rng.range(2, S - 2);
        const int kind = rng.below(5);
        fillEllipse(canvas, x, y, 2.2, 2.2, petals[kind]);
        // Daisies have a yellow heart, the others a darker one.
        fillEllipse(canvas, x, y, 0.8, 0.8, kind == 2 ? petals[3] : petals[kind] * 0.6);
    }
    return canvas;
}

Canvas paintVegetables()
{
    Canvas canvas(S, S / 2);
    for (int y = 0; y < S / 2; ++y)
        for (int x = 0; x < S; ++x) {
            const double u = pixelCentre(x, S), v = pixelCentre(y, S / 2);
            canvas.at(x, y) = rgb255(74, 54, 36) * (1 + 0.18 * fbm(u, v, 16, 16, 2, 0x5011) +
                                                    0.08 * pixelGrain(x, y, 0x5012));
        }
    Rng rng(0x5013);
    for (int row = 0; row < 2; ++row)
        for (int k = 0; k < 5; ++k) {
            const double cx = (k + 0.5) * S / 5 + rng.range(-3, 3), cy = (row + 0.5) * S / 4;
            // Outer leaves, then the pale heart.
            for (int leaf = 0; leaf < 7; ++leaf) {
                const double turn = leaf / 7.0 + rng.unit() * 0.1;
                fillEllipse(canvas, cx + 7 * cosTurns(turn), cy + 7 * sinTurns(turn), 7, 5,
                            mix(rgb255(46, 96, 60), rgb255(92, 140, 96), rng.unit()));
            }
            fillEllipse(canvas, cx, cy, 6.5, 6.5, rgb255(150, 190, 130));
            fillEllipse(canvas, cx - 1.5, cy + 1.5, 3, 3, rgb255(196, 222, 170));
        }
    return canvas;
}

Canvas paintLogEnds()
{
    // Half as tall as wide: three rows of logs.
    Canvas canvas(S, S / 2, rgb255(40, 30, 22));
    Rng rng(0x1065);
    for (int row = 0; row < 3; ++row)
        for (int k = 0; k < 7; ++k) {
            const double r = rng.range(7.5, 10.5);
            const double cx = (k + 0.5 + (row % 2) * 0.5) * S / 7 - S / 28.0 + rng.range(-1.5, 1.5);
            const double cy = (row + 0.5) * S / 6 + rng.range(-1.5, 1.5);
            fillEllipse(canvas, cx, cy, r, r, rgb255(86, 60, 38));                 // bark
            fillEllipse(canvas, cx, cy, r - 1.8, r - 1.8, rgb255(206, 168, 112));  // sapwood
            for (double ring = r - 4; ring > 1; ring -= 2.5)
                fillEllipse(canvas, cx, cy, ring, ring, rgb255(178, 136, 84), 0.35);
            fillEllipse(canvas, cx + 0.5, cy, 1, 1, rgb255(120, 84, 50));
        }
    return canvas;
}
