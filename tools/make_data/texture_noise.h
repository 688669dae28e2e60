// Deterministic randomness for the procedural textures: a small PRNG, an
// integer lattice hash, tiling gradient noise, fractal sums of it and tiling
// cellular (Voronoi) noise, plus a few smooth shaping functions.
// Entry points: Rng, latticeUnit, gradientNoise, fbm, cellNoise, sinTurns.
//
// Everything here is integer arithmetic or plain IEEE double +, -, *, / and
// sqrt, which give the same bits on every x86-64 build; no library
// transcendental functions and no std:: distributions, whose results differ
// between library versions. So the same seed always paints the same bytes.
//
// Noise coordinates are texture units u, v in 0..1 over the whole picture,
// and every noise repeats with period 1 in both: whatever is built from them
// tiles seamlessly when the picture repeats.
#pragma once

#include <cstdint>

// splitmix64: a tiny generator with a fixed, documented output sequence.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next();
    // Uniform in [0, 1), 53 random bits.
    double unit();
    double range(double lo, double hi) { return lo + (hi - lo) * unit(); }
    // Uniform integer in [0, n), n > 0.
    int below(int n);

private:
    std::uint64_t state_;
};

// Hash of an integer lattice point and a seed to [0, 1).
double latticeUnit(int x, int y, std::uint32_t seed);
std::uint32_t latticeHash(int x, int y, std::uint32_t seed);

// Perlin gradient noise on a lattice of cellsX x cellsY cells over the unit
// square, repeating with period 1; roughly -1..1, 0 on average.
double gradientNoise(double u, double v, int cellsX, int cellsY, std::uint32_t seed);

// Sum of `octaves` gradient noises, the first on cellsX x cellsY cells, each
// next one with twice the cells and `gain` times the amplitude; normalised
// back to roughly -1..1.
double fbm(double u, double v, int cellsX, int cellsY, int octaves, std::uint32_t seed,
           double gain = 0.5);

// The nearest and second nearest of one jittered feature point per cell of a
// cellsX x cellsY lattice over the unit square, repeating with period 1.
// Distances are measured in cells of the x direction (a y cell counts
// cellsX / cellsY of them), so with equal counts they are in cells.
struct CellSample {
    double nearest = 0;       // distance to the nearest feature point
    double second = 0;        // distance to the second nearest
    std::uint32_t id = 0;     // hash of the nearest point's (wrapped) cell
    double offsetU = 0;       // from the nearest feature point to the sample, texture units
    double offsetV = 0;
};
CellSample cellNoise(double u, double v, int cellsX, int cellsY, std::uint32_t seed,
                     double jitter = 0.8);

// The id of cellNoise mapped to [0, 1): a per-cell random value.
inline double idUnit(std::uint32_t id, std::uint32_t salt = 0)
{
    return latticeUnit(int(id & 0x7FFFFFFF), int(salt), 0x5EED);
}

// sin(2 pi x) and cos(2 pi x) from a polynomial: x in turns.
double sinTurns(double x);
inline double cosTurns(double x) { return sinTurns(x + 0.25); }

inline double clamp01(double x) { return x < 0 ? 0 : (x > 1 ? 1 : x); }

inline double smoothstep(double edge0, double edge1, double x)
{
    const double t = clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3 - 2 * t);
}

// x - floor(x): position within the current period.
double fract(double x);
