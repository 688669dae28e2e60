// The details bitmap ("respiradouro.bmp"): the pictures of the house's
// contents (fabrics, tiles, books, cooker, paintings, washing, fire), and
// the gathering of every cell, the vent grille's and the plants' too, into
// one picture. Entry point: paintDetails().
#include "texture_details.h"
#include "texture_makers.h"
#include "texture_paint.h"

#include <cmath>

namespace {

constexpr int S = DetailCellPixels;

// A woven cloth: threads across and along, each a little lighter or darker.
Colour weave(int x, int y, Colour base, std::uint32_t seed)
{
    const double thread = (x + y) % 2 == 0 ? 1.06 : 0.94;
    return base * thread * (1 + 0.05 * pixelGrain(x, y, seed)) *
           (1 + 0.05 * fbm(pixelCentre(x, S), pixelCentre(y, S), 6, 6, 2, seed + 1));
}

// A picture frame `width` pixels wide round the canvas, lit from the upper
// left, around whatever the canvas holds inside it.
void frame(Canvas& canvas, int width, Colour colour)
{
    const int w = canvas.width(), h = canvas.height();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int inset = std::min(std::min(x, w - 1 - x), std::min(y, h - 1 - y));
            if (inset >= width)
                continue;
            // The left and top sides catch the light (y = 0 is the bottom).
            const bool lit = std::min(x, h - 1 - y) <= std::min(w - 1 - x, y);
            canvas.at(x, y) = colour * ((lit ? 1.15 : 0.8) * (0.9 + 0.2 * inset / width));
        }
}

} // namespace

Canvas paintUpholstery()
{
    Canvas canvas(S, S / 2);
    for (int y = 0; y < S / 2; ++y)
        for (int x = 0; x < S; ++x) {
            // A faint diamond figure woven into ochre cloth.
            const bool figure = (std::abs((x % 32) - 16) + std::abs((y % 32) - 16)) % 16 < 2;
            canvas.at(x, y) = weave(x, y, figure ? rgb255(150, 84, 40) : rgb255(176, 110, 52), 0xC10);
        }
    return canvas;
}

Canvas paintQuilt()
{
    Canvas canvas(S, S);
    for (int y = 0; y < S; ++y)
        for (int x = 0; x < S; ++x) {
            const int inset = std::min(std::min(x, S - 1 - x), std::min(y, S - 1 - y));
            const bool border = inset >= 6 && inset < 16;
            const bool stitch = inset > 20 && ((x / 12 + y / 12) % 2 == 0) && (x % 12 == 0 || y % 12 == 0);
            Colour c = rgb255(236, 232, 220);
            if (border)
                c = (x / 8 + y / 8) % 2 == 0 ? rgb255(40, 70, 140) : rgb255(236, 232, 220);
            else if (stitch)
                c = rgb255(120, 140, 190);
            canvas.at(x, y) = weave(x, y, c, 0xC11);
        }
    return canvas;
}

Canvas paintRug()
{
    Canvas canvas(S, S);
    for (int y = 0; y < S; ++y)
        for (int x = 0; x < S; ++x) {
            const int inset = std::min(std::min(x, S - 1 - x), std::min(y, S - 1 - y));
            const double diamond = std::abs(x + 0.5 - S / 2.0) + std::abs(y + 0.5 - S / 2.0);
            Colour c = rgb255(150, 30, 30);
            if (inset < 4)
                c = rgb255(220, 200, 150);  // fringe-side band
            else if (inset < 14)
                c = (x / 6 + y / 6) % 2 == 0 ? rgb255(30, 40, 80) : rgb255(220, 190, 110);
            else if (diamond < 40 && diamond > 28)
                c = rgb255(230, 200, 120);
            else if (diamond < 16)
                c = rgb255(40, 70, 60);
            canvas.at(x, y) = weave(x, y, c, 0xC12);
        }
    return canvas;
}

Canvas paintAzulejos()
{
    Canvas canvas(S, S);
    constexpr int Tile = S / 4;
    const Colour glaze = rgb255(238, 240, 236), cobalt = rgb255(34, 64, 150);
    for (int y = 0; y < S; ++y)
        for (int x = 0; x < S; ++x) {
            const double tx = (x % Tile) + 0.5 - Tile / 2.0, ty = (y % Tile) + 0.5 - Tile / 2.0;
            const double r = std::sqrt(tx * tx + ty * ty);
            // A quatrefoil in the middle of each tile, corners that make a
            // ring where four tiles meet, and the grout between.
            const double petal = std::min(std::abs(tx), std::abs(ty));
            const bool blue = (r < 11 && petal < 3.5) || r < 4 || (r > 19 && r < 22) ||
                              std::abs(std::abs(tx) - std::abs(ty)) < 1.0;
            Colour c = blue ? cobalt : glaze;
            if (x % Tile == 0 || y % Tile == 0)
                c = rgb255(190, 186, 176);
            canvas.at(x, y) = c * (1 + 0.03 * pixelGrain(x, y, 0xA20));
        }
    return canvas;
}

Canvas paintBooks()
{
    Canvas canvas(S, S / 2, rgb255(96, 64, 38));  // the shelf's wood
    const Colour covers[] = {rgb255(120, 30, 30), rgb255(30, 60, 100), rgb255(40, 90, 50),
                             rgb255(170, 140, 80), rgb255(70, 40, 80), rgb255(190, 180, 160)};
    Rng rng(0xB00C);
    constexpr int Shelf = 5;  // the books stand on the shelf's top
    for (int x = 3; x < S - 6;) {
        const int width = 4 + rng.below(6);
        const int height = 40 + rng.below(18);
        const Colour c = covers[rng.below(6)];
        fillRect(canvas, x, Shelf, x + width, Shelf + height, c);
        fillRect(canvas, x, Shelf + height - 8, x + width, Shelf + height - 6, rgb255(210, 180, 90));
        fillRect(canvas, x + width - 1, Shelf, x + width, Shelf + height, c * 0.6);
        x += width;
    }
    return canvas;
}

Canvas paintHob()
{
    // Square burners on a picture twice as wide as tall: each burner is
    // drawn half as tall, as the picture is stretched to the hob's shape.
    Canvas canvas(S, S / 2, rgb255(28, 28, 30));
    for (const double cx : {S * 0.3, S * 0.7})
        for (const double cy : {S * 0.15, S * 0.35}) {
            fillEllipse(canvas, cx, cy, 16, 8, rgb255(70, 70, 72));
            fillEllipse(canvas, cx, cy, 13, 6.5, rgb255(18, 18, 20));
            fillEllipse(canvas, cx, cy, 7, 3.5, rgb255(90, 88, 86));
            fillEllipse(canvas, cx, cy, 4.5, 2.3, rgb255(40, 40, 42));
        }
    return canvas;
}

Canvas paintLandscapePainting()
{
    Canvas canvas(S, S / 2);
    for (int y = 0; y < S / 2; ++y)
        for (int x = 0; x < S; ++x) {
            const double u = pixelCentre(x, S), v = pixelCentre(y, S / 2);
            const double hills = 0.52 + 0.08 * sinTurns(u * 1.3 + 0.2) + 0.04 * sinTurns(u * 3.1);
            const double river = 0.2 + 0.05 * sinTurns(u * 0.9 + 0.4);
            Colour c = mix(rgb255(230, 200, 150), rgb255(110, 150, 200), smoothstep(0.55, 0.95, v));
            if (v < hills)
                c = mix(rgb255(90, 110, 60), rgb255(120, 130, 80), v / hills);
            if (v < river + 0.04 && v > river - 0.02)
                c = rgb255(150, 170, 190);
            // Brush strokes.
            canvas.at(x, y) = c * (1 + 0.08 * fbm(u, v, 24, 6, 2, 0x9A1));
        }
    fillEllipse(canvas, S * 0.68, S * 0.3, 3, 6, rgb255(50, 70, 40));  // a cypress
    fillRect(canvas, 30, 30, 40, 36, rgb255(230, 226, 210));           // a white house
    fillRect(canvas, 28, 36, 42, 39, rgb255(170, 70, 40));
    frame(canvas, 7, rgb255(176, 140, 60));
    return canvas;
}

Canvas paintStillLife()
{
    Canvas canvas(S, S / 2);
    for (int y = 0; y < S / 2; ++y)
        for (int x = 0; x < S; ++x)
            canvas.at(x, y) = (y < 22 ? rgb255(96, 60, 36) : rgb255(40, 34, 30)) *
                              (1 + 0.1 * fbm(pixelCentre(x, S), pixelCentre(y, S / 2), 8, 4, 2, 0x9B1));
    fillEllipse(canvas, 64, 24, 30, 7, rgb255(200, 196, 180));   // the bowl
    fillEllipse(canvas, 64, 19, 22, 5, rgb255(170, 166, 150));
    fillEllipse(canvas, 52, 31, 7, 7, rgb255(210, 120, 30));     // an orange
    fillEllipse(canvas, 68, 32, 7, 7, rgb255(170, 40, 40));      // an apple
    fillEllipse(canvas, 60, 40, 5, 8, rgb255(190, 190, 60));     // a pear
    fillEllipse(canvas, 80, 28, 5, 5, rgb255(90, 40, 90));       // a plum
    frame(canvas, 6, rgb255(70, 46, 28));
    return canvas;
}

Canvas paintWashing()
{
    Canvas canvas(S, S / 2);
    // Pieces hung side by side from the line at the top, each a different
    // cloth and length, with the clothes-pegs.
    const Colour cloths[] = {rgb255(238, 238, 232), rgb255(70, 110, 170), rgb255(236, 232, 220),
                             rgb255(200, 80, 60), rgb255(240, 210, 90)};
    const int edges[] = {0, 34, 52, 92, 110, S};
    for (int piece = 0; piece < 5; ++piece)
        for (int y = 0; y < S / 2; ++y)
            for (int x = edges[piece]; x < edges[piece + 1]; ++x) {
                Colour c = cloths[piece];
                if (piece == 2 && (x / 6) % 2 == 0)
                    c = rgb255(120, 170, 120);  // a striped towel
                const double fold = 0.9 + 0.1 * sinTurns((x - edges[piece]) / 14.0);
                canvas.at(x, y) = weave(x, y, c * fold, 0xC13);
            }
    for (const int e : edges)
        fillRect(canvas, e - 1, S / 2 - 5, e + 2, S / 2, rgb255(150, 100, 50));
    return canvas;
}

Canvas paintFire()
{
    Canvas canvas(S, S / 2, rgb255(24, 18, 14));
    // Logs across the hearth, their undersides glowing, and flames above.
    fillEllipse(canvas, 64, 12, 50, 5, rgb255(70, 46, 30));
    fillEllipse(canvas, 64, 19, 40, 4, rgb255(86, 56, 34));
    fillEllipse(canvas, 64, 9, 46, 2.5, rgb255(230, 110, 30));
    Rng rng(0xF1E);
    for (int i = 0; i < 14; ++i) {
        const double x = rng.range(30, 98), h = rng.range(12, 34);
        fillEllipse(canvas, x, 21 + h / 2, 5, h / 2, rgb255(230, 120, 30), 0.8);
        fillEllipse(canvas, x, 20 + h / 3, 2.5, h / 3, rgb255(255, 214, 90), 0.9);
    }
    return canvas;
}

Canvas paintDetails()
{
    Canvas canvas(DetailColumns * S, DetailRows * S, rgb255(128, 128, 128));
    auto put = [&canvas](Detail picture, const Canvas& painted) {
        const DetailPlace place = detailPlace(picture);
        const int y = place.row * S + (place.part == CellPart::UpperHalf ? S / 2 : 0);
        paste(canvas, painted, place.column * S, y);
    };
    put(Detail::Vent, halfSize(paintVentGrille()));
    put(Detail::Needles, paintNeedles());
    put(Detail::Leaves, paintLeaves());
    put(Detail::Oranges, paintOranges());
    put(Detail::Olive, paintOliveLeaves());
    put(Detail::Vine, paintVine());
    put(Detail::Hedge, paintHedge());
    put(Detail::Flowers, paintFlowers());
    put(Detail::Quilt, paintQuilt());
    put(Detail::Rug, paintRug());
    put(Detail::Azulejos, paintAzulejos());
    put(Detail::Upholstery, paintUpholstery());
    put(Detail::Fire, paintFire());
    put(Detail::Landscape, paintLandscapePainting());
    put(Detail::StillLife, paintStillLife());
    put(Detail::Books, paintBooks());
    put(Detail::Hob, paintHob());
    put(Detail::Washing, paintWashing());
    put(Detail::LogEnds, paintLogEnds());
    put(Detail::Vegetables, paintVegetables());
    put(Detail::GarageDoor, shrink(paintGarageDoor(), S, S / 2));
    return canvas;
}
