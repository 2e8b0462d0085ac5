#include "common/Shapes.h"

ImagePoint ToImage(const Layout& layout, double along, double across)
{
    const Rect& a = layout.area;
    const double width = static_cast<double>(a.right) - a.left;
    const double height = static_cast<double>(a.bottom) - a.top;
    switch (layout.orientation) {
    case 90: return {a.left + across, a.top + height - along};
    case 180: return {a.left + width - along, a.top + height - across};
    case 270: return {a.left + width - across, a.top + along};
    default: return {a.left + along, a.top + across};
    }
}
