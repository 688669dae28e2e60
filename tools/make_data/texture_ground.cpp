// Ground and floor textures: grass, Portuguese pavement, cement, asphalt,
// oak floor planks and a flagstone path. All repeat
// seamlessly; all are 256 x 256 pixels but the grass, which may be larger.
#include "texture_makers.h"
#include "texture_paint.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int Size = 256;

} // namespace

Canvas paintGrass(unsigned seed, int size)
{
    Canvas canvas(size, size);
    // Ground colour under the blades: varied greens with a little soil.
    const Colour dark = rgb255(46, 70, 24);
    const Colour mid = rgb255(78, 108, 38);
    const Colour dry = rgb255(112, 112, 56);
    const Colour soil = rgb255(78, 64, 42);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double u = pixelCentre(x, size), v = pixelCentre(y, size);
            const double patch = fbm(u, v, 4, 4, 4, seed);
            const double fine = fbm(u, v, 32, 32, 2, seed + 101);
            Colour c = mix(dark, mid, clamp01(0.55 + 0.35 * patch + 0.25 * fine));
            c = mix(c, dry, 0.35 * smoothstep(0.35, 0.9, fbm(u, v, 3, 3, 3, seed + 202)));
            c = mix(c, soil, 0.5 * smoothstep(0.55, 0.95, fbm(u, v, 16, 16, 2, seed + 303)));
            canvas.at(x, y) = c * (1 + 0.08 * pixelGrain(x, y, seed + 404));
        }
    // Blades seen from above: short strokes in every direction, darker at the
    // root, in greens that follow the same patches as the ground.
    Rng rng(seed * 7919ull + 1);
    const int blades = 9000 * (size / Size) * (size / Size);
    for (int i = 0; i < blades; ++i) {
        const double x = rng.range(0, size);
        const double y = rng.range(0, size);
        const double turn = rng.unit();
        const double dx = cosTurns(turn), dy = sinTurns(turn);
        const double length = rng.range(2.5, 7.5);
        const double shade = rng.unit();
        const double yellow = rng.unit() < 0.12 ? rng.range(0.3, 0.7) : 0;
        Colour tip = mix(rgb255(84, 124, 40), rgb255(132, 164, 64), shade);
        tip = mix(tip, rgb255(170, 160, 84), yellow);
        const Colour root = tip * 0.6;
        strokeWrapped(canvas, x, y, dx, dy, length, root, tip, 0.75);
    }
    return canvas;
}

Canvas paintPortuguesePavement()
{
    Canvas canvas(Size, Size);
    Field height(Size, Size);
    constexpr int Stones = 24; // about 5 cm stones over a metre
    const Colour limestone = rgb255(222, 217, 202);
    const Colour basalt = rgb255(58, 58, 62);
    const Colour joint = rgb255(104, 96, 82);
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x) {
            const double u = pixelCentre(x, Size), v = pixelCentre(y, Size);
            const CellSample cell = cellNoise(u, v, Stones, Stones, 0xCA1C, 0.45);
            // The pattern is decided per stone, at the stone's centre, so that
            // the black waves follow the stones' edges as a paver lays them.
            const double cu = u - cell.offsetU, cv = v - cell.offsetV;
            const double wave = fract(2 * cv + 0.11 * sinTurns(2 * cu) + 0.03 * sinTurns(4 * cu + 0.2));
            const bool black = wave < 0.36;
            const double tone = idUnit(cell.id);
            Colour stone = black ? basalt * (0.85 + 0.3 * tone)
                                 : mix(limestone, rgb255(206, 198, 176), tone) * (0.95 + 0.08 * idUnit(cell.id, 1));
            stone = stone * (1 + 0.05 * fbm(u, v, 64, 64, 2, 0xCA1D + cell.id % 97));
            const double edge = cell.second - cell.nearest; // 0 on the joint, in stones
            const double gap = smoothstep(0.05, 0.12, edge);
            Colour c = mix(joint * (1 + 0.15 * pixelGrain(x, y, 7)), stone, gap);
            canvas.at(x, y) = c;
            height.at(x, y) = 3.0 * smoothstep(0.04, 0.35, edge);
        }
    applyShade(canvas, shadeFromHeight(height), 0.8);
    return canvas;
}

Canvas paintCement(unsigned seed)
{
    Canvas canvas(Size, Size);
    Field height(Size, Size);
    const Colour base = rgb255(156, 156, 152);
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x) {
            const double u = pixelCentre(x, Size), v = pixelCentre(y, Size);
            double k = 1 + 0.06 * fbm(u, v, 3, 3, 4, seed) + 0.03 * fbm(u, v, 24, 24, 2, seed + 1);
            const double speck = latticeUnit(x, y, seed + 2);
            if (speck < 0.006)
                k *= 0.62; // air pore
            else if (speck > 0.985)
                k *= 1.12; // sand grain
            else
                k *= 1 + 0.045 * pixelGrain(x, y, seed + 3);
            Colour c = base * k;
            // Damp and dirt: a few large soft darker blotches.
            c = mix(c, c * rgb255(218, 214, 204), 0.35 * smoothstep(0.3, 0.9, fbm(u, v, 2, 2, 3, seed + 4)));
            canvas.at(x, y) = c;
            height.at(x, y) = 0.35 * fbm(u, v, 64, 64, 2, seed + 5);
        }
    applyShade(canvas, shadeFromHeight(height), 0.6);
    return canvas;
}

Canvas paintAsphalt(unsigned seed)
{
    Canvas canvas(Size, Size);
    Field height(Size, Size);
    const Colour binder = rgb255(50, 50, 53);
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x) {
            const double u = pixelCentre(x, Size), v = pixelCentre(y, Size);
            const CellSample chip = cellNoise(u, v, 56, 56, seed, 0.9);
            const double tone = idUnit(chip.id);
            const bool stone = chip.nearest < 0.22 + 0.14 * idUnit(chip.id, 1);
            Colour c = binder * (1 + 0.12 * pixelGrain(x, y, seed + 1));
            if (stone)
                c = mix(rgb255(62, 62, 64), rgb255(112, 110, 106), tone * tone * tone) * (1 + 0.06 * pixelGrain(x, y, seed + 2));
            // Wear: worn patches greyer, fresh patches darker.
            c = c * (1 + 0.10 * fbm(u, v, 3, 3, 4, seed + 3));
            canvas.at(x, y) = c;
            height.at(x, y) = stone ? 1.2 : 0;
        }
    applyShade(canvas, shadeFromHeight(height), 0.5);
    return canvas;
}

Canvas paintWoodFloor()
{
    Canvas canvas(Size, Size);
    constexpr int Rows = 8; // planks 32 pixels wide, running along u
    constexpr int PlankPixels = Size / Rows;
    const Colour oak = rgb255(186, 138, 86);
    const Colour lateWood = rgb255(132, 88, 50);
    Rng rng(0x0A4);
    // Each row has one or two butt joints at random places; the boards
    // between them differ a little in tone and figure.
    double joints[Rows][2];
    int jointCount[Rows];
    for (int row = 0; row < Rows; ++row) {
        joints[row][0] = rng.unit();
        jointCount[row] = rng.unit() < 0.5 ? 1 : 2;
        joints[row][1] = fract(joints[row][0] + rng.range(0.4, 0.6));
    }
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x) {
            const double u = pixelCentre(x, Size), v = pixelCentre(y, Size);
            const int row = y / PlankPixels;
            const double a = joints[row][0];
            const double b = jointCount[row] == 2 ? joints[row][1] : a;
            const int board = jointCount[row] == 2 && fract(u - a) >= fract(b - a) ? 1 : 0;
            const double across = (y % PlankPixels) + 0.5;
            const unsigned piece = unsigned(row * 2 + board);
            const double pieceTone = latticeUnit(int(piece), 0, 0x0A5);
            // Growth rings cut lengthwise: thin darker lines along the board
            // that wander and drift across it.
            const double wander = 0.7 * fbm(u, v, 2, 8, 3, 0x0A6 + piece);
            const double rings = fract(across / (5 + 4 * pieceTone) + wander + 3.1 * pieceTone);
            const double line = smoothstep(0.70, 0.90, rings) * (1 - smoothstep(0.90, 1.0, rings));
            Colour c = mix(oak, lateWood, 0.55 * line);
            c = c * (1 + 0.10 * fbm(u, v, 4, 128, 2, 0x0A7)); // fibres
            c = c * (0.90 + 0.18 * pieceTone);
            c = mix(c, c * rgb255(255, 236, 220), latticeUnit(int(piece), 1, 0x0A8)); // redder boards
            // The long edges and the butt joints: thin dark gaps.
            double k = 1;
            if (across < 1 || across > PlankPixels - 1)
                k = 0.55;
            else if (across < 2)
                k = 1.06; // the arris catching the light
            const double dj0 = std::fabs(fract(u - a + 0.5) - 0.5) * Size;
            const double dj1 = std::fabs(fract(u - b + 0.5) - 0.5) * Size;
            if (dj0 < 0.6 || dj1 < 0.6)
                k = 0.55;
            canvas.at(x, y) = c * k;
        }
    return canvas;
}

Canvas paintFlagstonePath()
{
    Canvas canvas(Size, Size);
    Field height(Size, Size);
    const Colour palette[] = {rgb255(176, 168, 150), rgb255(150, 146, 138), rgb255(182, 162, 130),
                              rgb255(160, 152, 136)};
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x) {
            const double u = pixelCentre(x, Size), v = pixelCentre(y, Size);
            // Warp the lattice a little so that the stones are not straight-sided polygons.
            const double wu = u + 0.012 * fbm(u, v, 8, 8, 2, 0xF1);
            const double wv = v + 0.012 * fbm(u, v, 8, 8, 2, 0xF2);
            const CellSample cell = cellNoise(wu, wv, 5, 5, 0xF3, 0.85);
            const double edge = cell.second - cell.nearest;
            // Gravel in the joints: small pebbles of several greys and ochres.
            const CellSample pebble = cellNoise(u, v, 80, 80, 0xF4, 0.9);
            Colour gravel = mix(rgb255(120, 110, 94), rgb255(176, 168, 152), idUnit(pebble.id));
            gravel = gravel * (pebble.second - pebble.nearest < 0.1 ? 0.6 : 1.0);
            const Colour stoneBase = palette[cell.id % 4] * (0.92 + 0.14 * idUnit(cell.id, 2));
            Colour stone = graniteColour(stoneBase, u, v, x, y, 12, 0xF5);
            stone = stone * (1 + 0.07 * fbm(u, v, 6, 6, 3, 0xF6 + cell.id % 31));
            const double inside = smoothstep(0.07, 0.10, edge);
            canvas.at(x, y) = mix(gravel, stone, inside);
            height.at(x, y) = inside * (2 + 1.5 * smoothstep(0.1, 0.3, edge)) + (1 - inside) * 0.8 *
                              smoothstep(0.0, 0.3, pebble.second - pebble.nearest);
        }
    applyShade(canvas, shadeFromHeight(height), 0.8);
    return canvas;
}
