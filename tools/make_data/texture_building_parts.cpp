// Textures of building parts that fill one quad each: the panelled front
// door, a plank door, the sectional garage door, a window and a vent grille.
// Each picture is the whole object, bottom at y = 0; doors are 256 x 512
// (drawn for a door about 0.9 by 2.1 m), the rest 256 x 256.
#include "texture_makers.h"
#include "texture_paint.h"

#include <algorithm>
#include <cmath>

namespace {

struct Box {
    int x0, y0, x1, y1; // half-open: x0 <= x < x1
    bool contains(int x, int y) const { return x >= x0 && x < x1 && y >= y0 && y < y1; }
    // Pixels to the nearest edge from inside (0 on the edge row).
    int inset(int x, int y) const
    {
        return std::min(std::min(x - x0, x1 - 1 - x), std::min(y - y0, y1 - 1 - y));
    }
};

double distance(double x0, double y0, double x1, double y1)
{
    return std::sqrt((x1 - x0) * (x1 - x0) + (y1 - y0) * (y1 - y0));
}

// Wood seen on a flat cut face: stripes of growth rings across the grain,
// wandering along it. across/along in pixels; piece decorrelates pieces.
double woodFigure(double across, double along, unsigned piece)
{
    const double u = fract(along / 1024.0 + 0.37 * piece);
    const double v = fract(across / 256.0 + 0.61 * piece);
    const double wander = 0.9 * fbm(u, v, 3, 2, 3, 0xD00 + piece);
    const double rings = fract(across / 11.0 + wander + 0.13 * piece);
    const double late = smoothstep(0.5, 0.75, rings) * (1 - smoothstep(0.8, 1.0, rings));
    const double fibre = fbm(u, v, 64, 4, 2, 0xD80 + piece);
    return clamp01(0.4 * late + 0.3 + 0.25 * fibre);
}

// Brass or iron: bright where the relief faces the light, like a metal.
Colour metal(Colour base, double shade)
{
    const double k = shade * shade;
    return mix(base * (0.35 + 0.65 * k), rgb255(255, 246, 214), smoothstep(1.15, 1.5, shade) * 0.6);
}

} // namespace

Canvas paintFrontDoor()
{
    constexpr int W = 256, H = 512;
    Canvas canvas(W, H);
    Field height(W, H);
    // Stiles and rails frame six raised panels in two columns.
    const Box panels[] = {
        {36, 76, 116, 216},  {140, 76, 220, 216},  // lower
        {36, 262, 116, 378}, {140, 262, 220, 378}, // middle
        {36, 404, 116, 474}, {140, 404, 220, 474}, // upper
    };
    const Colour light = rgb255(128, 78, 44);
    const Colour dark = rgb255(82, 46, 24);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            int panel = -1;
            for (int i = 0; i < 6; ++i)
                if (panels[i].contains(x, y))
                    panel = i;
            const bool rail = panel < 0 && x >= 36 && x < 220 && !(x >= 116 && x < 140 && y >= 76 && y < 474);
            double figure;
            double h;
            if (panel >= 0) {
                figure = woodFigure(x, y, 10 + panel);
                const int in = panels[panel].inset(x, y);
                // A small moulding at the frame, then the bevel rising to the field.
                if (in < 3)
                    h = 7 - 1.5 * in;
                else
                    h = 2.5 + 4.0 * smoothstep(3, 18, in);
            } else {
                figure = rail ? woodFigure(y, x, unsigned(y / 40)) : woodFigure(x, y, unsigned(x / 60 + 1));
                h = 8;
            }
            Colour c = mix(light, dark, figure);
            canvas.at(x, y) = c * (1 + 0.03 * pixelGrain(x, y, 0xD01));
            height.at(x, y) = h;
        }
    // The door's edge in its frame: a dark gap all round.
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            if (Box{0, 0, W, H}.inset(x, y) < 2) {
                canvas.at(x, y) = rgb255(30, 20, 14);
                height.at(x, y) = 0;
            }
    // Brass lever handle on an escutcheon plate, on the right-hand stile at
    // about a metre up, and a key hole below it.
    const Box plate{228, 200, 246, 292};
    const double bossX = 237, bossY = 252;
    const double keyX = 237, keyY = 222;
    Field handle(W, H, 0);
    for (int y = 190; y < 300; ++y)
        for (int x = 160; x < 250; ++x) {
            double h = 0;
            if (plate.contains(x, y))
                h = 2 + 1.5 * smoothstep(0, 3, plate.inset(x, y));
            const double boss = distance(x + 0.5, y + 0.5, bossX, bossY);
            if (boss < 8)
                h = std::max(h, 5 + 3 * std::sqrt(1 - boss * boss / 64));
            // The lever: a round bar reaching left over the stile and panel.
            const double dy = (y + 0.5) - bossY;
            if (x + 0.5 > 186 && x + 0.5 < bossX && std::fabs(dy) < 4.5)
                h = std::max(h, 8 + 2 * std::sqrt(1 - dy * dy / 20.25));
            if (x + 0.5 >= 182 && x + 0.5 <= 190 && std::fabs(dy) < 5.5)
                h = std::max(h, 8 + 2 * std::sqrt(std::max(0.0, 1 - dy * dy / 30.25)));
            handle.at(x, y) = h;
        }
    const Field handleShade = shadeFromHeight(handle);
    Field shade = shadeFromHeight(height);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            if (handle.at(x, y) > 0) {
                canvas.at(x, y) = metal(rgb255(196, 158, 74), handleShade.at(x, y));
                shade.at(x, y) = 1;
                const double key = distance(x + 0.5, y + 0.5, keyX, keyY);
                const bool slot = std::fabs(x + 0.5 - keyX) < 1.6 && y + 0.5 < keyY && y + 0.5 > keyY - 9;
                if (key < 3.2 || slot)
                    canvas.at(x, y) = rgb255(24, 18, 10);
            } else if (handle.wrapped(x - 3, y + 3) > 4) {
                shade.at(x, y) *= 0.6; // the lever's shadow on the wood
            }
        }
    applyShade(canvas, shade, 0.8);
    return canvas;
}

Canvas paintPlankDoor()
{
    constexpr int W = 256, H = 512;
    constexpr int Planks = 6;
    Canvas canvas(W, H);
    Field height(W, H);
    const Colour paint = rgb255(50, 88, 62);
    const Colour bareWood = rgb255(140, 112, 78);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const int plank = x * Planks / W;
            const double left = double(plank) * W / Planks;
            const double right = double(plank + 1) * W / Planks;
            const double toJoint = std::min(x + 0.5 - left, right - x - 0.5);
            const double figure = woodFigure(x, y, 30 + plank);
            Colour c = paint * (0.9 + 0.2 * figure) * (0.95 + 0.1 * latticeUnit(plank, 0, 0xD31));
            // Paint worn through near the bottom and along the joints.
            const double u = pixelCentre(x, W), v = pixelCentre(y, H);
            // Worn where feet and the weather reach: the bottom edge and the
            // plank edges, in small flakes.
            const double exposure = 1 - smoothstep(0, 36, y) + 0.5 * (1 - smoothstep(0, 6, toJoint));
            const double flakes = fbm(u, v, 16, 32, 3, 0xD32);
            c = mix(c, bareWood * (0.8 + 0.4 * figure), 0.8 * smoothstep(0.55, 0.8, flakes + 0.9 * exposure - 0.4));
            canvas.at(x, y) = c;
            // V-grooved joints between the boards.
            height.at(x, y) = 4 * smoothstep(0.5, 4, toJoint) + 0.3 * fbm(u, v, 4, 64, 2, 0xD33);
        }
    // Black iron: two strap hinges from the left edge, a ring handle and a
    // lock plate on the right.
    Field iron(W, H, 0);
    const double strapY[] = {100, 412};
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            double h = 0;
            for (const double sy : strapY) {
                // The strap narrows from 16 px at the hinge to 8 px at its round end.
                const double along = x + 0.5;
                const double halfWidth = 8 - 4 * along / 160;
                if (along < 160 && std::fabs(y + 0.5 - sy) < halfWidth)
                    h = 2;
                if (distance(along, y + 0.5, 160, sy) < 6)
                    h = 2;
                for (const double bolt : {20.0, 60.0, 110.0, 150.0})
                    if (distance(along, y + 0.5, bolt, sy) < 3)
                        h = 3.5;
            }
            const double rx = 214, ry = 262;
            if (distance(x + 0.5, y + 0.5, rx, ry) < 9)
                h = std::max(h, 3.0);
            // The ring hangs from the backplate's centre.
            const double ring = distance(x + 0.5, y + 0.5, rx, ry - 14);
            if (ring > 11 && ring < 15)
                h = std::max(h, 4.5);
            if (Box{205, 196, 223, 232}.contains(x, y))
                h = std::max(h, 2.0);
            iron.at(x, y) = h;
        }
    const Field ironShade = shadeFromHeight(iron);
    Field shade = shadeFromHeight(height);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            if (iron.at(x, y) > 0) {
                canvas.at(x, y) = metal(rgb255(46, 44, 42), ironShade.at(x, y));
                shade.at(x, y) = 1;
                if (distance(x + 0.5, y + 0.5, 214, 218) < 2.5 ||
                    (std::fabs(x + 0.5 - 214) < 1.2 && y + 0.5 < 218 && y + 0.5 > 210))
                    canvas.at(x, y) = rgb255(10, 10, 10); // key hole
            } else if (iron.wrapped(x - 2, y + 2) > 0) {
                shade.at(x, y) *= 0.7;
            }
        }
    applyShade(canvas, shade, 0.8);
    return canvas;
}

Canvas paintGarageDoor()
{
    constexpr int S = 256;
    constexpr int Sections = 4;
    constexpr int SectionPixels = S / Sections;
    Canvas canvas(S, S);
    Field height(S, S);
    const Colour steel = rgb255(200, 200, 194);
    for (int y = 0; y < S; ++y)
        for (int x = 0; x < S; ++x) {
            const double u = pixelCentre(x, S), v = pixelCentre(y, S);
            const double inSection = (y % SectionPixels) + 0.5;
            // Each section carries ribs every 16 px; the sections meet in a deeper joint.
            const double rib = std::fabs(fract(inSection / 16.0) - 0.5) * 16; // 0 mid-rib .. 8 at groove
            double h = 3 - 2.5 * smoothstep(5.5, 8, rib);
            const double joint = std::min(inSection, SectionPixels - inSection);
            if (joint < 3)
                h = -1;
            h += 0.25 * fbm(u, v, 6, 96, 2, 0x6A1); // embossed woodgrain finish, along the ribs
            height.at(x, y) = h;
            Colour c = steel * (1 + 0.025 * fbm(u, v, 3, 3, 3, 0x6A2));
            c = c * (1 - 0.12 * smoothstep(0.4, 1.0, fbm(u, v, 6, 2, 3, 0x6A3)) * (1 - v)); // road dirt
            canvas.at(x, y) = c;
        }
    // Dark gaps at the sides and the rubber seal at the bottom.
    for (int y = 0; y < S; ++y)
        for (int x = 0; x < S; ++x)
            if (x < 3 || x >= S - 3 || y >= S - 2) {
                canvas.at(x, y) = rgb255(40, 40, 40);
                height.at(x, y) = -2;
            } else if (y < 5) {
                canvas.at(x, y) = rgb255(34, 34, 36);
                height.at(x, y) = 1;
            }
    // The lift handle, in the second section from the bottom.
    const Box grip{110, 94, 146, 102};
    Field handle(S, S, 0);
    for (int y = 88; y < 108; ++y)
        for (int x = 104; x < 152; ++x) {
            if (Box{106, 90, 150, 106}.contains(x, y))
                handle.at(x, y) = 1.5;
            if (grip.contains(x, y))
                handle.at(x, y) = 4;
        }
    const Field handleShade = shadeFromHeight(handle);
    Field shade = shadeFromHeight(height);
    for (int y = 0; y < S; ++y)
        for (int x = 0; x < S; ++x)
            if (handle.at(x, y) > 0) {
                canvas.at(x, y) = metal(rgb255(70, 70, 74), handleShade.at(x, y));
                shade.at(x, y) = 1;
            }
    applyShade(canvas, shade, 0.6);
    return canvas;
}

Canvas paintWindow()
{
    constexpr int S = 256;
    constexpr int Surround = 18; // granite surround
    constexpr int Frame = 12;    // fixed frame inside the surround
    constexpr int Sash = 8;      // casement stiles and rails
    constexpr int Bar = 5;       // glazing bars
    Canvas canvas(S, S);
    Field height(S, S);
    const Colour granite = rgb255(178, 174, 166);
    const Colour paint = rgb255(236, 234, 226);
    const int inner0 = Surround + Frame, inner1 = S - Surround - Frame;
    const int middle = S / 2;
    // Two casements meeting in the middle, each two panes across, three up.
    const Box casements[] = {{inner0, inner0, middle, inner1}, {middle, inner0, inner1, inner1}};
    for (int y = 0; y < S; ++y)
        for (int x = 0; x < S; ++x) {
            const double u = pixelCentre(x, S), v = pixelCentre(y, S);
            const int outer = Box{0, 0, S, S}.inset(x, y);
            if (outer < Surround) {
                canvas.at(x, y) = graniteColour(granite, u, v, x, y, 6, 0x1A1);
                // A chamfer on the inner arris.
                height.at(x, y) = 10 - 3 * smoothstep(Surround - 5, Surround, outer);
                continue;
            }
            if (outer < Surround + Frame) {
                canvas.at(x, y) = paint;
                height.at(x, y) = 5 - 2 * smoothstep(Surround + Frame - 4, Surround + Frame, outer);
                continue;
            }
            const Box& sash = casements[x < middle ? 0 : 1];
            const int in = sash.inset(x, y);
            bool glass = in >= Sash;
            if (glass) {
                const double paneW = double(sash.x1 - sash.x0 - 2 * Sash) / 2;
                const double paneH = double(sash.y1 - sash.y0 - 2 * Sash) / 3;
                const double px = x + 0.5 - sash.x0 - Sash, py = y + 0.5 - sash.y0 - Sash;
                const double bx = std::fabs(px - paneW);
                const double by = std::min(std::fabs(py - paneH), std::fabs(py - 2 * paneH));
                if (bx < Bar / 2.0 || by < Bar / 2.0)
                    glass = false;
            }
            if (!glass) {
                canvas.at(x, y) = paint * (1 + 0.015 * pixelGrain(x, y, 0x1A2));
                height.at(x, y) = in < Sash ? 4 - 1.5 * smoothstep(0, 2, in) * 0 : 3;
                continue;
            }
            // Glass: the sky reflected, lighter at the top, the dark room
            // behind, a soft diagonal sheen and a slight ripple of old panes.
            const double ripple = 0.04 * fbm(u, v, 8, 8, 2, 0x1A3);
            Colour c = mix(rgb255(52, 64, 78), rgb255(150, 176, 198), smoothstep(0.2, 0.95, v + ripple));
            const double diagonal = fract((u + v) * 1.6 + ripple);
            c = mix(c, rgb255(210, 224, 232), 0.25 * smoothstep(0.0, 0.08, diagonal) * (1 - smoothstep(0.08, 0.22, diagonal)));
            // A net curtain inside the lower part.
            c = mix(c, rgb255(200, 196, 184), 0.18 * (1 - smoothstep(0.30, 0.36, v)));
            canvas.at(x, y) = c;
            height.at(x, y) = 0;
        }
    Field shade = shadeFromHeight(height);
    // The frame and bars cast a short shadow onto the glass, down and right.
    for (int y = 0; y < S; ++y)
        for (int x = 0; x < S; ++x)
            if (height.at(x, y) == 0 && height.wrapped(x - 3, y + 3) > 0)
                shade.at(x, y) *= 0.7;
    applyShade(canvas, shade, 0.6);
    return canvas;
}

Canvas paintVentGrille()
{
    constexpr int S = 256;
    constexpr int Border = 24;
    constexpr int Louvres = 9;
    Canvas canvas(S, S);
    Field height(S, S);
    const Colour metalPaint = rgb255(196, 194, 186);
    const double pitch = double(S - 2 * Border) / Louvres;
    for (int y = 0; y < S; ++y)
        for (int x = 0; x < S; ++x) {
            const double u = pixelCentre(x, S), v = pixelCentre(y, S);
            const int outer = Box{0, 0, S, S}.inset(x, y);
            const Colour dusty = metalPaint * (1 + 0.04 * fbm(u, v, 8, 8, 3, 0x4B1)) *
                                 (1 + 0.02 * pixelGrain(x, y, 0x4B2));
            if (outer < Border) {
                canvas.at(x, y) = dusty;
                height.at(x, y) = 4 * smoothstep(0, 4, outer) - 2 * smoothstep(Border - 5, Border, outer);
                continue;
            }
            // Louvres slope down and out: from the top of each opening, the
            // slat's lit upper edge, its face, then the dark gap under it.
            const double within = fract((y - Border + 0.5) / pitch); // 0 at the bottom of an opening
            if (within < 0.32) {
                const double depth = within / 0.32;
                canvas.at(x, y) = mix(rgb255(14, 14, 14), rgb255(46, 44, 40), depth);
                height.at(x, y) = -4;
            } else {
                const double face = (within - 0.32) / 0.68; // 0 at the slat's lower lip, 1 at its top
                Colour c = dusty * (0.70 + 0.25 * face);
                if (face > 0.9)
                    c = dusty * 1.12;
                canvas.at(x, y) = c;
                height.at(x, y) = -3 + 3 * face;
            }
        }
    Field shade = shadeFromHeight(height);
    // Screws in the corners of the frame.
    for (int y = 0; y < S; ++y)
        for (int x = 0; x < S; ++x)
            for (const double cx : {12.0, S - 12.0})
                for (const double cy : {12.0, S - 12.0}) {
                    const double d = distance(x + 0.5, y + 0.5, cx, cy);
                    if (d < 5) {
                        const double dome = 1.15 - 0.1 * (x + 0.5 - cx) + 0.1 * (y + 0.5 - cy);
                        canvas.at(x, y) = rgb255(150, 150, 146) * std::max(0.6, std::min(1.3, dome));
                        shade.at(x, y) = 1;
                        if (std::fabs((x + 0.5 - cx) - (y + 0.5 - cy)) < 1.1)
                            canvas.at(x, y) = rgb255(60, 60, 58); // slot
                    }
                }
    applyShade(canvas, shade, 0.6);
    return canvas;
}
