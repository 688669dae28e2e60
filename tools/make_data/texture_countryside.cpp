// The countryside beyond the walls: the raw terrain images of the hills,
// heath and a pine wood, both seen from hundreds of metres away, where one
// of their pixels covers more than a metre; and the bitmap of the fields
// left to dry grass and stubble. All tile; all are 256 x 256 pixels, the
// size the terrain reader expects of the raw images.
#include "texture_makers.h"
#include "texture_paint.h"

namespace {

constexpr int Size = 256;

} // namespace

Canvas paintHeath()
{
    Canvas canvas(Size, Size);
    const Colour dryGrass = rgb255(128, 120, 72);
    const Colour olive = rgb255(86, 96, 50);
    const Colour heather = rgb255(112, 72, 96);
    const Colour gorse = rgb255(176, 156, 58);
    const Colour rock = rgb255(150, 146, 136);
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x) {
            const double u = pixelCentre(x, Size), v = pixelCentre(y, Size);
            Colour c = mix(olive, dryGrass, clamp01(0.5 + 0.6 * fbm(u, v, 4, 4, 4, 0x4EA)));
            // Clumps of heather and of flowering gorse, and grey rock where
            // the soil is thin.
            c = mix(c, heather, 0.8 * smoothstep(0.15, 0.45, fbm(u, v, 10, 10, 3, 0x4EB)));
            c = mix(c, gorse, 0.7 * smoothstep(0.3, 0.55, fbm(u, v, 14, 14, 2, 0x4EC)));
            c = mix(c, rock, 0.8 * smoothstep(0.45, 0.65, fbm(u, v, 6, 6, 3, 0x4ED)));
            canvas.at(x, y) = c * (1 + 0.06 * pixelGrain(x, y, 0x4EE));
        }
    return canvas;
}

Canvas paintPineWoods()
{
    Canvas canvas(Size, Size);
    Field height(Size, Size);
    const Colour needles = rgb255(44, 70, 38);
    const Colour lightNeedles = rgb255(78, 104, 52);
    const Colour floor = rgb255(70, 58, 40);
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x) {
            const double u = pixelCentre(x, Size), v = pixelCentre(y, Size);
            // One crown per cell, rounded, with the forest floor showing
            // where no crown reaches.
            const CellSample crown = cellNoise(u, v, 24, 24, 0x9E1, 0.9);
            const double reach = 0.55 + 0.25 * idUnit(crown.id);
            const double inside = 1 - smoothstep(reach - 0.15, reach, crown.nearest);
            Colour c = mix(needles, lightNeedles, 0.6 * idUnit(crown.id, 1));
            c = c * (1 + 0.12 * fbm(u, v, 96, 96, 2, 0x9E2));
            canvas.at(x, y) = mix(floor, c, inside);
            height.at(x, y) = 4 * inside * (1 - crown.nearest / reach);
        }
    applyShade(canvas, shadeFromHeight(height), 0.9);
    return canvas;
}

Canvas paintStubble()
{
    // Dry summer grass over pale soil: straw-coloured strokes in every
    // direction, their contrast kept low, as the fields are mostly seen from
    // afar, where a fine bright pattern would break into noise.
    Canvas canvas(Size, Size);
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x) {
            const double u = pixelCentre(x, Size), v = pixelCentre(y, Size);
            Colour c = mix(rgb255(150, 128, 74), rgb255(184, 160, 96), clamp01(0.5 + 0.5 * fbm(u, v, 4, 4, 4, 0x57B)));
            c = mix(c, rgb255(120, 118, 66), 0.4 * smoothstep(0.2, 0.7, fbm(u, v, 8, 8, 3, 0x57C)));
            canvas.at(x, y) = c * (1 + 0.05 * pixelGrain(x, y, 0x57D));
        }
    Rng rng(0x57E);
    for (int i = 0; i < 7000; ++i) {
        const double turn = rng.unit();
        const Colour straw = mix(rgb255(150, 126, 70), rgb255(214, 190, 120), rng.unit());
        strokeWrapped(canvas, rng.range(0, Size), rng.range(0, Size), cosTurns(turn), sinTurns(turn),
                      rng.range(2, 6), straw * 0.85, straw, 0.6);
    }
    return canvas;
}
