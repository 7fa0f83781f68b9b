// Money: rounding to cents and the money text.
#include "park/Money.h"

#include <cmath>
#include <cstdio>

namespace
{

constexpr double kMostDollars = 2.0e9;

// The amount's size in whole cents.
long long CentsOf(float dollars)
{
    if (std::isnan(dollars))
        return 0;
    const double size = std::fmin(std::fabs(static_cast<double>(dollars)), kMostDollars);
    return std::llround(size * 100.0);
}

} // namespace

float RoundToCents(float dollars)
{
    const double cents = static_cast<double>(CentsOf(dollars));
    return static_cast<float>((dollars < 0.0f ? -cents : cents) / 100.0);
}

platform::WString FormatMoney(float dollars)
{
    const long long cents = CentsOf(dollars);
    char text[40];
    std::snprintf(text, sizeof text, "%s$%lld.%02lld", dollars < 0.0f ? "-" : "", cents / 100, cents % 100);
    return platform::AnsiToWide(text);
}
