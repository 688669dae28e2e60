// Small painting helpers shared by the texture painters: pixel centres in
// texture units, per-pixel grain, granite speckle, wrapped strokes and
// relief shading applied to a canvas. Entry points: the functions below.
#pragma once

#include "image_canvas.h"
#include "texture_noise.h"

#include <cstdint>

// Texture coordinate of the centre of pixel x on an axis of n pixels.
inline double pixelCentre(int x, int n) { return (x + 0.5) / n; }

// Independent per-pixel noise, -1..1.
inline double pixelGrain(int x, int y, std::uint32_t seed)
{
    return 2 * latticeUnit(x, y, seed) - 1;
}

// Granite as seen close up: a base colour sprinkled with dark mica and white
// feldspar grains, and mottled at a larger scale. u, v in texture units; x, y
// the pixel, for the grain. `cells` sets the size of the mottling.
Colour graniteColour(Colour base, double u, double v, int x, int y, int cells, std::uint32_t seed);

// Multiplies every pixel by 1 + strength * (shade - 1).
void applyShade(Canvas& canvas, const Field& shade, double strength);

// Blends `colour` over the pixel at (x, y) with weight alpha; coordinates
// wrap, so strokes cross the edges of a tiling picture.
void blendWrapped(Canvas& canvas, int x, int y, Colour colour, double alpha);

// A one-pixel-wide straight stroke from (x, y) along (dx, dy) (a unit
// vector) for `length` pixels, its colour going from `root` to `tip`.
void strokeWrapped(Canvas& canvas, double x, double y, double dx, double dy, double length,
                   Colour root, Colour tip, double alpha);

// A filled disc (an ellipse when ry differs from rx) blended over the
// canvas with weight alpha, its edge softened over one pixel; clipped at the
// canvas's edges.
void fillEllipse(Canvas& canvas, double cx, double cy, double rx, double ry, Colour colour,
                 double alpha = 1);

// An axis-aligned rectangle [x0, x1) x [y0, y1) of one colour, clipped.
void fillRect(Canvas& canvas, int x0, int y0, int x1, int y1, Colour colour);

// The picture at half its width and height, each pixel the mean of four.
Canvas halfSize(const Canvas& canvas);
// The picture shrunk to width x height, which divide its own width and
// height; each pixel the mean of the block it covers.
Canvas shrink(const Canvas& canvas, int width, int height);

// Copies `picture` into `canvas` with its pixel (0, 0) at (x, y).
void paste(Canvas& canvas, const Canvas& picture, int x, int y);

// Scales a colour's brightness while keeping its hue.
inline Colour shaded(Colour c, double k) { return c * k; }
