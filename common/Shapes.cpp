#include "common/Shapes.h"

namespace kavren::detail {

ImagePoint ToImage(const Layout& layout, double along, double across)
{
    const double left = layout.area.left;
    const double top = layout.area.top;
    const bool vertical = layout.orientation == 90 || layout.orientation == 270;
    const double width = vertical ? layout.thickness : layout.length;
    const double height = vertical ? layout.length : layout.thickness;
    switch (layout.orientation) {
    case 90: return {left + across, top + height - along};
    case 180: return {left + width - along, top + height - across};
    case 270: return {left + width - across, top + along};
    default: return {left + along, top + across};
    }
}

double TextAngle(std::int32_t orientation)
{
    constexpr double TextPi = 3.1415926;
    switch (orientation) {
    case 90:
    case 180:
    case 270: return orientation * TextPi / 180.0;
    default: return 0.0;
    }
}

} // namespace kavren::detail
