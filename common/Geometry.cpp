#include "common/Geometry.h"

#include <cmath>
#include <limits>

namespace kavren::detail {

std::int32_t RoundHalfAway(double value)
{
    if (std::isnan(value))
        return 0;
    double integral = 0.0;
    const double fraction = std::modf(value, &integral);
    if (std::fabs(fraction) >= 0.5)
        integral += (value < 0.0) ? -1.0 : 1.0;
    constexpr double lowest = std::numeric_limits<std::int32_t>::min();
    constexpr double highest = std::numeric_limits<std::int32_t>::max();
    if (integral <= lowest)
        return std::numeric_limits<std::int32_t>::min();
    if (integral >= highest)
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(integral);
}

} // namespace kavren::detail
