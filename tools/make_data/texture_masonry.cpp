// Wall, stone and roof textures: a granite ashlar boundary wall, painted
// render, rubble masonry and red clay roof tiles. All repeat seamlessly.
#include "texture_makers.h"
#include "texture_paint.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr int Size = 256;

} // namespace

Canvas paintBoundaryWall()
{
    Canvas canvas(Size, Size);
    Field height(Size, Size);
    constexpr int Courses = 4;
    constexpr int CoursePixels = Size / Courses;
    constexpr int Joint = 3; // mortar joint, pixels
    // Each course is cut into blocks 60 to 120 pixels long, starting at a
    // random offset; the cuts wrap around so the course repeats along u.
    Rng rng(0x3A5);
    std::vector<int> cuts[Courses]; // joint positions of each course, sorted
    for (auto& course : cuts) {
        const int start = rng.below(Size);
        int length = 0;
        while (Size - length >= 180) {
            course.push_back((start + length) % Size);
            length += 60 + rng.below(61);
        }
        // 60 to 179 pixels remain: one block, or two if that would be long.
        course.push_back((start + length) % Size);
        if (Size - length > 120)
            course.push_back((start + length + (Size - length) / 2) % Size);
        std::sort(course.begin(), course.end());
    }
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x) {
            const double u = pixelCentre(x, Size), v = pixelCentre(y, Size);
            const int course = y / CoursePixels;
            const int ey = y % CoursePixels;
            // Which block of the course, and how far to its vertical joints.
            const std::vector<int>& c = cuts[course];
            int passed = 0, toJoint = Size;
            for (const int cut : c) {
                if (cut <= x)
                    ++passed;
                toJoint = std::min(toJoint, std::min(Canvas::wrap(x - cut, Size), Canvas::wrap(cut - x, Size)));
            }
            // Left of the first joint is the same block as right of the last.
            const int block = passed == 0 ? int(c.size()) - 1 : passed - 1;
            const int toBed = std::min(ey, CoursePixels - 1 - ey);
            const int toEdge = std::min(toJoint, toBed);
            const double tone = latticeUnit(course, block, 0x3A6);
            Colour base = mix(rgb255(160, 154, 142), rgb255(132, 128, 120), tone);
            base = mix(base, rgb255(168, 150, 120), 0.4 * latticeUnit(course, block, 0x3A7));
            Colour stone = graniteColour(base, u, v, x, y, 12, 0x3A8);
            // Weathering: darker streaks running down from the bed joints.
            stone = stone * (1 - 0.10 * smoothstep(0.2, 0.9, fbm(u, v, 8, 2, 3, 0x3A9)));
            if (toEdge < Joint / 2 + 1) {
                canvas.at(x, y) = rgb255(176, 170, 156) * (1 + 0.08 * pixelGrain(x, y, 0x3AA));
                height.at(x, y) = 0;
            } else {
                canvas.at(x, y) = stone;
                // Stones stand proud of the joints, with rounded arrises and
                // a slightly uneven dressed face.
                height.at(x, y) = 2.5 * smoothstep(1, 6, toEdge) + 0.8 * fbm(u, v, 16, 16, 2, 0x3AB);
            }
        }
    applyShade(canvas, shadeFromHeight(height), 0.7);
    return canvas;
}

Canvas paintPlaster()
{
    Canvas canvas(Size, Size);
    Field height(Size, Size);
    const Colour paint = rgb255(228, 220, 200);
    const Colour stain = rgb255(200, 190, 168);
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x) {
            const double u = pixelCentre(x, Size), v = pixelCentre(y, Size);
            Colour c = paint * (1 + 0.03 * fbm(u, v, 4, 4, 4, 0x9A1));
            c = mix(c, stain, 0.35 * smoothstep(0.3, 0.95, fbm(u, v, 2, 3, 4, 0x9A2)));
            c = c * (1 + 0.015 * pixelGrain(x, y, 0x9A3));
            canvas.at(x, y) = c;
            // Render trowelled by hand: gentle waves and a fine sand grain.
            height.at(x, y) = 0.3 * fbm(u, v, 64, 64, 2, 0x9A4) + 1.2 * fbm(u, v, 6, 6, 2, 0x9A5);
        }
    applyShade(canvas, shadeFromHeight(height), 0.35);
    return canvas;
}

Canvas paintRubbleStone()
{
    Canvas canvas(Size, Size);
    Field height(Size, Size);
    const Colour palette[] = {rgb255(150, 140, 124), rgb255(128, 122, 114), rgb255(164, 150, 126),
                              rgb255(138, 126, 108), rgb255(118, 112, 104)};
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x) {
            const double u = pixelCentre(x, Size), v = pixelCentre(y, Size);
            const double wu = u + 0.010 * fbm(u, v, 8, 8, 2, 0x5E1);
            const double wv = v + 0.010 * fbm(u, v, 8, 8, 2, 0x5E2);
            // More cells up than across: stones wider than tall, as laid in courses.
            const CellSample cell = cellNoise(wu, wv, 5, 7, 0x5E3, 0.7);
            const double edge = cell.second - cell.nearest;
            const Colour base = palette[cell.id % 5] * (0.92 + 0.16 * idUnit(cell.id, 3));
            Colour stone = graniteColour(base, u, v, x, y, 16, 0x5E4);
            stone = stone * (1 + 0.08 * fbm(u, v, 10, 10, 3, 0x5E5 + cell.id % 17));
            const double inside = smoothstep(0.10, 0.14, edge);
            const Colour mortar = rgb255(150, 142, 126) * (1 + 0.1 * pixelGrain(x, y, 0x5E6));
            canvas.at(x, y) = mix(mortar * 0.8, stone, inside);
            // Rounded stones: the face bulges away from its joints.
            const double bulge = smoothstep(0.08, 0.6, edge);
            height.at(x, y) = inside * (1.5 + 5.0 * std::sqrt(bulge)) + 0.6 * fbm(u, v, 32, 32, 2, 0x5E7);
        }
    applyShade(canvas, shadeFromHeight(height), 0.8);
    return canvas;
}

Canvas paintRoofTiles()
{
    Canvas canvas(Size, Size);
    Field height(Size, Size);
    constexpr int Columns = 8;
    constexpr int Courses = 8;
    const Colour clay[] = {rgb255(178, 84, 50), rgb255(160, 72, 44), rgb255(188, 100, 62),
                           rgb255(168, 88, 58), rgb255(150, 74, 50)};
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x) {
            const double u = pixelCentre(x, Size), v = pixelCentre(y, Size);
            const double cu = fract(u * Columns);
            const double cv = fract(v * Courses); // 0 at a tile's lower edge (its nose)
            const int column = int(u * Columns);
            const int course = int(v * Courses);
            const std::uint32_t tile = latticeHash(column, course, 0x7E1A);
            Colour c = clay[tile % 5] * (0.92 + 0.14 * latticeUnit(column, course, 0x7E1B));
            // Weathered tiles: darker, with grey lichen.
            if (latticeUnit(column, course, 0x7E1C) < 0.12)
                c = mix(c, rgb255(110, 84, 70), 0.45);
            c = c * (1 + 0.06 * fbm(u, v, 32, 32, 2, 0x7E1D));
            const double lichen = smoothstep(0.55, 0.9, fbm(u, v, 12, 12, 3, 0x7E1E));
            c = mix(c, rgb255(140, 136, 112), 0.45 * lichen);
            // Wave profile across the column: the crest in the middle, the
            // trough at the column's edges, where water runs down.
            const double crest = cosTurns(cu - 0.5);
            // Dirt gathers in the troughs; the crests are bleached by the sun.
            c = c * (1 - 0.08 * smoothstep(0.0, 1.0, -crest)) * (1 + 0.05 * smoothstep(0.5, 1.0, crest));
            // The nose is curved with the wave: it reaches lowest under the
            // crest, so the tile's lower edge shows as a row of arches.
            const double nose = 0.10 * (1 - crest) / 2;
            double h = 4.0 * crest + 5.0 * (1 - cv);
            if (cv < nose) {
                // The course below, deep in this tile's shadow.
                c = c * 0.45;
                h = 4.0 * crest - 1.0;
            } else if (cv < nose + 0.06) {
                c = c * 1.12; // the rounded nose of the tile catches the light
                h += 1.0;
            }
            // The course above overlaps this one's upper part and shades it.
            c = c * (1 - 0.35 * smoothstep(0.70, 1.0, cv));
            canvas.at(x, y) = c;
            height.at(x, y) = h;
        }
    applyShade(canvas, shadeFromHeight(height), 0.7);
    return canvas;
}
