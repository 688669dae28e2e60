// The sky picture and the river water.
//
// The sky is drawn on a sphere around the scene with sphere-map texture
// coordinates, which the GL computes in eye space: the picture stays fixed to
// the screen, its centre on the direction the camera looks at, its t axis up
// the screen and its s axis across it, both reversed (a direction to the upper
// right of the view lands below and left of the centre). So the sky is painted
// per viewing direction: for each texel the direction it shows is found from
// the sphere-map formula, and its colour follows that direction's elevation
// above the camera's level (pale haze at the horizon, deeper blue above),
// with a layer of clouds seen in perspective. The cameras of the scene look
// nearly level, so the horizon lands near the middle row. The picture is
// smooth everywhere a view can see; only the rim (straight behind) is
// singular.
#include "texture_makers.h"
#include "texture_paint.h"

#include <cmath>

namespace {

struct SkyStop {
    double elevation; // sine of the angle above the camera's level
    Colour colour;
};

constexpr SkyStop SkyProfile[] = {
    {-1.00, rgb255(196, 208, 218)},
    {0.00, rgb255(212, 224, 234)},
    {0.08, rgb255(178, 204, 230)},
    {0.25, rgb255(130, 172, 222)},
    {0.50, rgb255(98, 148, 212)},
    {1.00, rgb255(76, 124, 200)},
};

Colour skyAt(double elevation)
{
    constexpr int Stops = int(sizeof SkyProfile / sizeof SkyProfile[0]);
    for (int i = 1; i < Stops; ++i)
        if (elevation < SkyProfile[i].elevation) {
            const double t = (elevation - SkyProfile[i - 1].elevation) /
                             (SkyProfile[i].elevation - SkyProfile[i - 1].elevation);
            return mix(SkyProfile[i - 1].colour, SkyProfile[i].colour, smoothstep(0, 1, t));
        }
    return SkyProfile[Stops - 1].colour;
}

// Cloud cover at a point of the cloud layer, in layer units (one unit is
// the layer's height above the camera); 0 clear .. 1 thick.
double cloudCover(double x, double z)
{
    constexpr double Period = 12; // the noise repeats every 12 layer units
    const double n = fbm(fract(x / Period), fract(z / Period), 6, 6, 5, 0xC10D, 0.55);
    return smoothstep(0.10, 0.80, n);
}

} // namespace

Canvas paintSky()
{
    // 512 pixels: a 70-degree view sees the middle disc of about 200
    // texels across, enough for clouds this soft under nearest filtering;
    // at 1024 the sky alone took a third of the start-up's texture load.
    constexpr int S = 512;
    Canvas canvas(S, S);
    for (int y = 0; y < S; ++y)
        for (int x = 0; x < S; ++x) {
            // The sphere-map point (sx, sy) in -1..1 stands for the unit
            // normal (sx, sy, nz) of a mirror ball; the eye-space direction
            // seen there is the opposite of the reflected view vector:
            // (-2 nz sx, -2 nz sy, 1 - 2 nz^2), looking along -z.
            const double sx = 2 * pixelCentre(x, S) - 1;
            const double sy = 2 * pixelCentre(y, S) - 1;
            const double rho2 = sx * sx + sy * sy;
            const double nz = rho2 < 1 ? std::sqrt(1 - rho2) : 0;
            const double across = -2 * nz * sx;
            const double up = -2 * nz * sy;
            const double ahead = 2 * nz * nz - 1; // forward component, along -z
            Colour c = skyAt(up);
            if (up > 0.02 && rho2 < 0.98) {
                // Where the direction meets a cloud layer at height 1.
                const double cover = cloudCover(across / up, ahead / up);
                // Clouds thin into the haze towards the horizon.
                const double fade = smoothstep(0.03, 0.22, up);
                const double thick = smoothstep(0.4, 1.0, cover);
                const Colour cloud = mix(rgb255(250, 250, 252), rgb255(186, 194, 208), 0.7 * thick);
                c = mix(c, mix(skyAt(0.02), cloud, fade), cover * (0.45 + 0.55 * fade));
            }
            // Towards the rim (straight behind, never in view) the direction
            // changes ever faster: let it end in plain haze, as beyond it.
            c = mix(c, skyAt(0), smoothstep(0.80, 0.98, rho2));
            canvas.at(x, y) = c * (1 + 0.006 * pixelGrain(x, y, 0xC10E));
        }
    return canvas;
}

Canvas paintRiverWater()
{
    constexpr int S = 256;
    Canvas canvas(S, S);
    Field height(S, S);
    for (int y = 0; y < S; ++y)
        for (int x = 0; x < S; ++x) {
            const double u = pixelCentre(x, S), v = pixelCentre(y, S);
            // Ripples drawn out along the current (u), finer ones on top.
            const double warp = 0.03 * fbm(u, v, 2, 2, 2, 0xA61);
            height.at(x, y) = 4 * fbm(u + warp, v, 3, 8, 4, 0xA62) + 0.6 * fbm(u, v, 12, 32, 2, 0xA63);
        }
    const Field shade = shadeFromHeight(height);
    for (int y = 0; y < S; ++y)
        for (int x = 0; x < S; ++x) {
            const double u = pixelCentre(x, S), v = pixelCentre(y, S);
            Colour c = mix(rgb255(36, 64, 72), rgb255(62, 94, 96), clamp01(0.5 + 0.6 * fbm(u, v, 2, 2, 3, 0xA64)));
            const double s = shade.at(x, y);
            c = c * (0.8 + 0.2 * s);
            // Ripples that face the sky mirror it.
            c = mix(c, rgb255(150, 176, 190), 0.40 * smoothstep(1.05, 1.3, s));
            canvas.at(x, y) = c;
        }
    return canvas;
}
