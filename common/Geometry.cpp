#include "common/Geometry.h"

#include <cmath>
#include <limits>

namespace kavren::detail {

std::int32_t RoundHalfAway(double value)
{
    if (std::isnan(value))
        return 0;
    // std::round is exact and takes halves away from zero.
    const double integral = std::round(value);
    constexpr double lowest = std::numeric_limits<std::int32_t>::min();
    constexpr double highest = std::numeric_limits<std::int32_t>::max();
    if (integral <= lowest)
        return std::numeric_limits<std::int32_t>::min();
    if (integral >= highest)
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(integral);
}

} // namespace kavren::detail
