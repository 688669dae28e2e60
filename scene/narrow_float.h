// Storing a double-precision result as a 32-bit float. Coordinates are read
// and combined in double and kept as floats, rounded to the nearest float as
// the hardware's conversion does: a value up to half a float step above
// FLT_MAX still rounds to FLT_MAX, and only from there on becomes an infinity
// of its sign. Out-of-range values never reach the conversion itself, whose
// result C++ leaves undefined for them.
#pragma once

#include <cfloat>
#include <limits>

// FLT_MAX plus half the step between floats at the top of the range,
// 2^128 - 2^103 (exact in double). A value exactly there is a tie between
// FLT_MAX and 2^128; the tie goes to the even significand, 2^128, which
// overflows to infinity.
constexpr double FloatRoundsToInfinityAt = double(FLT_MAX) + 0x1p103;

inline float narrowToFloat(double value)
{
    if (value >= FloatRoundsToInfinityAt)
        return std::numeric_limits<float>::infinity();
    if (value <= -FloatRoundsToInfinityAt)
        return -std::numeric_limits<float>::infinity();
    if (value > double(FLT_MAX))
        return FLT_MAX;
    if (value < -double(FLT_MAX))
        return -FLT_MAX;
    return static_cast<float>(value);  // NaN stays NaN
}
