// Storing a double-precision result as a 32-bit float. Coordinates are read
// and combined in double and kept as floats; a value past the float range
// becomes an infinity of its sign, as the hardware would round it, without an
// out-of-range conversion.
#pragma once

#include <cfloat>
#include <limits>

inline float narrowToFloat(double value)
{
    if (value > double(FLT_MAX))
        return std::numeric_limits<float>::infinity();
    if (value < -double(FLT_MAX))
        return -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);  // NaN stays NaN
}
