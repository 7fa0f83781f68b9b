// The whole part of a real as a 32-bit integer, defined for every value.
#pragma once

#include <cmath>
#include <cstdint>

// Truncation toward zero held to the 32-bit range: a value past either end gives that end, NaN gives 0 (a plain
// conversion of such values is undefined).
inline int32_t TruncateToInt(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483647.0)
        return INT32_MAX;
    if (value <= -2147483648.0)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}
